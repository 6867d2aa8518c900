#pragma once

#include "orvane/graphics/FilterImage.h"

#include <cstdint>

namespace orvane::graphics {

// Nearest-neighbour resampling to a fixed size (the texture path uses it to reach sizes
// OpenGL accepts).
//
// Target column j takes source column floor(rx * j) with rx = (source width - 1) /
// (target width - 1) in single precision. Rows are walked with an accumulator: after each
// target row the source row advances by floor(ry + e) and e keeps the fraction, with ry
// likewise (source height - 1) / (target height - 1), all in single precision. A target
// width or height of 1 takes the source's first column or row.
class FilterResize : public FilterImage {
public:
    // size: the target width, then height.
    explicit FilterResize(const std::int32_t size[2]) noexcept
        : width(size[0])
        , height(size[1]) {}
    FilterResize(std::int32_t width, std::int32_t height) noexcept
        : width(width)
        , height(height) {}

    // A new image of the source's format and the target size (indexed images keep their
    // palette), or null when the source's coded pixel size is not 8, 16, 24 or 32 bits,
    // when the source has no pixels to take from (an empty source for a non-empty
    // target) or when memory cannot be had.
    Image* apply(const Image* source) override;

    std::int32_t getWidth() const noexcept { return width; }
    std::int32_t getHeight() const noexcept { return height; }

    types::String getClassName() const override;

private:
    std::int32_t width;
    std::int32_t height;
};

} // namespace orvane::graphics
