#include "orvane/graphics/FilterHalve.h"

#include "orvane/graphics/ImageDecoding.h"

#include <algorithm>
#include <new>

namespace orvane::graphics {

namespace {

// One target row from the two source rows it covers (the same row twice for a source one
// row high); `across` is 2 where the source is wider than one pixel, else 1.
void halveRow(std::uint8_t* out, const std::uint8_t* above, const std::uint8_t* below,
              std::int32_t width, int channels, int across) {
    const int step = across * channels;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::uint8_t* a = above + std::size_t(x) * std::size_t(step);
        const std::uint8_t* b = below + std::size_t(x) * std::size_t(step);
        for (int c = 0; c < channels; ++c) {
            const int right = (across - 1) * channels + c;
            const unsigned sum = unsigned(a[c]) + a[right] + b[c] + b[right];
            out[x * channels + c] = std::uint8_t((sum + 2) / 4);
        }
    }
}

} // namespace

bool FilterHalve::takes(std::uint32_t format) noexcept {
    using namespace PixelFormat;
    return format == GREY8 || format == GREY_ALPHA16 || format == RGB24 || format == BGR24 ||
           format == RGBA32 || format == BGRA32;
}

Image* FilterHalve::apply(const Image* source) {
    if (!source || !takes(source->getFormat()) || source->getWidth() <= 0 ||
        source->getHeight() <= 0)
        return nullptr;
    const std::int32_t width = std::max(source->getWidth() / 2, 1);
    const std::int32_t height = std::max(source->getHeight() / 2, 1);
    ImageHolder target(new (std::nothrow) Image(source->getFormat(), width, height));
    auto* from = const_cast<Image*>(source); // taking the pixels is not a visible change
    if (!target || !target->pixels() || !from->pixels())
        return nullptr;

    const int channels = bytesPerPixel(source->getFormat());
    const int across = source->getWidth() > 1 ? 2 : 1;
    const std::size_t down = source->getHeight() > 1 ? 1 : 0;
    const auto* in = static_cast<const std::uint8_t*>(from->lock());
    auto* out = static_cast<std::uint8_t*>(target->lock());
    const std::size_t inRow = std::size_t(source->getRowBytes());
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* above = in + std::size_t(y) * 2 * inRow;
        halveRow(out + std::size_t(y) * std::size_t(target->getRowBytes()), above,
                 above + down * inRow, width, channels, across);
    }
    target->unlock();
    from->unlock();
    return target.release();
}

types::String FilterHalve::getClassName() const {
    return object::classPath(FilterImage::getClassName(), ":FilterHalve");
}

} // namespace orvane::graphics
