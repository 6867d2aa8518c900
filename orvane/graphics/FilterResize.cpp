#include "orvane/graphics/FilterResize.h"

#include "orvane/graphics/ImageDecoding.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace orvane::graphics {

namespace {

// The single-precision step between source positions of neighbouring target positions;
// 0 for a one-pixel target, whose only pixel takes the source's first.
float ratio(std::int32_t source, std::int32_t target) {
    if (target <= 1)
        return 0.0f;
    return float(source - 1) / float(target - 1);
}

template <std::size_t Bytes>
void copyRow(std::uint8_t* out, const std::uint8_t* in, const std::vector<std::int32_t>& columns) {
    for (std::size_t j = 0; j < columns.size(); ++j)
        std::memcpy(out + j * Bytes, in + std::size_t(columns[j]) * Bytes, Bytes);
}

void copyRow(std::uint8_t* out, const std::uint8_t* in, const std::vector<std::int32_t>& columns,
             std::size_t bytes) {
    switch (bytes) {
    case 1:
        return copyRow<1>(out, in, columns);
    case 2:
        return copyRow<2>(out, in, columns);
    case 3:
        return copyRow<3>(out, in, columns);
    case 4:
        return copyRow<4>(out, in, columns);
    default:
        for (std::size_t j = 0; j < columns.size(); ++j)
            std::memcpy(out + j * bytes, in + std::size_t(columns[j]) * bytes, bytes);
    }
}

} // namespace

Image* FilterResize::apply(const Image* source) {
    const int bits = codedBitsPerPixel(source->getFormat());
    if ((bits != 8 && bits != 16 && bits != 24 && bits != 32) || width < 0 || height < 0)
        return nullptr;
    // Pixels are copied whole, at the size the format stores them.
    const std::size_t pixelSize = std::size_t(bytesPerPixel(source->getFormat()));
    const bool emptyTarget = width == 0 || height == 0;
    if (!emptyTarget && (source->getWidth() <= 0 || source->getHeight() <= 0))
        return nullptr;

    ImageHolder target(new (std::nothrow) Image(source->getFormat(), width, height));
    auto* from = const_cast<Image*>(source); // taking the pixels is not a visible change
    if (!target || !target->pixels() || (!emptyTarget && !from->pixels()))
        return nullptr;
    if (source->getFormat() == PixelFormat::INDEX8)
        target->copyPalette(source);
    if (emptyTarget)
        return target.release();

    const float rx = ratio(source->getWidth(), width);
    std::vector<std::int32_t> columns(static_cast<std::size_t>(width));
    for (std::int32_t j = 0; j < width; ++j) {
        const float x = rx * float(j);
        columns[std::size_t(j)] = std::min(std::int32_t(x), source->getWidth() - 1);
    }

    const auto* in = static_cast<const std::uint8_t*>(from->lock());
    auto* out = static_cast<std::uint8_t*>(target->lock());
    const float ry = ratio(source->getHeight(), height);
    float e = 0.0f;
    std::int64_t sourceRow = 0;
    for (std::int32_t i = 0; i < height; ++i) {
        const std::int64_t row = std::min<std::int64_t>(sourceRow, source->getHeight() - 1);
        copyRow(out + std::size_t(i) * std::size_t(target->getRowBytes()),
                in + std::size_t(row) * std::size_t(source->getRowBytes()), columns, pixelSize);
        const float f = ry + e;
        const float whole = std::floor(f);
        sourceRow += std::int64_t(whole);
        e = f - whole;
    }
    target->unlock();
    from->unlock();
    return target.release();
}

types::String FilterResize::getClassName() const {
    return object::classPath(FilterImage::getClassName(), ":FilterResize");
}

} // namespace orvane::graphics
