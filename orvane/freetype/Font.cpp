#include "orvane/freetype/Font.h"

#include "orvane/graphics/PixelFormat.h"

namespace orvane::freetype {

Font::Font(const Descriptor& descriptor, const std::int32_t size[2])
    : descriptor(descriptor)
    , image(graphics::PixelFormat::GREY8, size) {}

Font::Font(const Descriptor& descriptor)
    : descriptor(descriptor)
    , image(graphics::PixelFormat::GREY8, 0, 0) {}

types::String Font::getClassName() const {
    return object::classPath(Object::getClassName(), ":Font");
}

} // namespace orvane::freetype
