#include "orvane/graphics/CompressedImage.h"

#include <cstdlib>

namespace orvane::graphics {

CompressedImage::CompressedImage(std::uint32_t format, std::int32_t width,
                                 std::int32_t height) noexcept
    : Image(format, width, height) {}

CompressedImage::~CompressedImage() {
    std::free(blocks);
}

void* CompressedImage::pixels() {
    if (!blocks) {
        const std::int64_t bytes = dataBytes();
        if (std::uint64_t(bytes) < SIZE_MAX)
            blocks = static_cast<unsigned char*>(std::calloc(std::size_t(bytes) + 1, 1));
    }
    return blocks;
}

std::int64_t CompressedImage::dataBytes() const noexcept {
    return dataBytesFor(getFormat(), getWidth(), getHeight());
}

bool CompressedImage::isCompressed(std::uint32_t format) noexcept {
    return format == PixelFormat::DXT1 || format == PixelFormat::DXT3 ||
           format == PixelFormat::DXT5;
}

std::int64_t CompressedImage::dataBytesFor(std::uint32_t format, std::int64_t width,
                                           std::int64_t height) noexcept {
    if (!isCompressed(format) || width < 0 || height < 0)
        return 0;
    const std::int64_t blockBytes = format == PixelFormat::DXT1 ? 8 : 16;
    return (width + 3) / 4 * ((height + 3) / 4) * blockBytes;
}

types::String CompressedImage::getClassName() const {
    return object::classPath(Image::getClassName(), ":CompressedImage");
}

} // namespace orvane::graphics
