#include "orvane/graphics/Image.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace orvane::graphics {

namespace {

std::int32_t rowBytesFor(std::uint32_t format, std::int32_t width, std::int32_t height) {
    const std::int64_t bytes = std::int64_t(width) * bytesPerPixel(format);
    if (width < 0 || height < 0 || bytes > INT_MAX)
        return -1;
    return std::int32_t(bytes);
}

} // namespace

Image::Image(std::uint32_t format, std::int32_t width, std::int32_t height) noexcept
    : width(width)
    , height(height)
    , rowBytes(rowBytesFor(format, width, height))
    , format(format) {}

Image::Image(std::uint32_t format, const std::int32_t size[2]) noexcept
    : Image(format, size[0], size[1]) {}

Image::Image(const Image& other)
    : Object(other)
    , width(other.width)
    , height(other.height)
    , rowBytes(other.rowBytes)
    , format(other.format) {
    copyPixels(&other);
    copyPalette(&other);
}

Image::~Image() {
    std::free(memory);
}

std::int64_t Image::pixelBytes() const noexcept {
    return rowBytes < 0 ? 0 : std::int64_t(height) * rowBytes;
}

void* Image::pixels() {
    return makePixels(true);
}

void* Image::pixelsToOverwrite() {
    return makePixels(false);
}

void* Image::makePixels(bool cleared) {
    if (!memory && rowBytes >= 0) {
        const std::int64_t bytes = pixelBytes();
        if (std::uint64_t(bytes) <= SIZE_MAX) {
            const std::size_t size = std::size_t(std::max<std::int64_t>(bytes, 1));
            memory =
                static_cast<unsigned char*>(cleared ? std::calloc(size, 1) : std::malloc(size));
        }
    }
    return memory;
}

void Image::releasePixels() {}

bool Image::getPalette(ColourPalette* out) const {
    if (!colours)
        return false;
    *out = *colours;
    return true;
}

bool Image::setPalette(const ColourPalette* in) {
    if (!colours)
        colours = object::make<ColourPalette>();
    *colours = *in;
    return true;
}

void* Image::lock() {
    locked = true;
    return pixels();
}

void Image::unlock() {
    releasePixels();
    locked = false;
}

bool Image::copyPixels(const Image* source) {
    // Lazily made pixel memory is not a visible change of the source.
    auto* from = const_cast<Image*>(source);
    if (from == this)
        return pixels() != nullptr;
    if (format != source->format || !pixels() || !from->pixels())
        return false;
    const auto* in = static_cast<const unsigned char*>(from->lock());
    auto* out = static_cast<unsigned char*>(lock());
    const std::int32_t rows = std::min(height, source->height);
    const std::size_t bytes = std::size_t(std::min(rowBytes, source->rowBytes));
    for (std::int32_t row = 0; row < rows; ++row)
        std::memcpy(out + std::size_t(row) * rowBytes, in + std::size_t(row) * source->rowBytes,
                    bytes);
    unlock();
    from->unlock();
    return true;
}

bool Image::copyPalette(const Image* source) {
    if (format != PixelFormat::INDEX8 || source->format != PixelFormat::INDEX8)
        return false;
    ColourPalette colours;
    source->getPalette(&colours);
    setPalette(&colours);
    return true;
}

types::String Image::getClassName() const {
    return object::classPath(Object::getClassName(), ":Image");
}

} // namespace orvane::graphics
