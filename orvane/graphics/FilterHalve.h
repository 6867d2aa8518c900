#pragma once

#include "orvane/graphics/FilterImage.h"

#include <cstdint>

namespace orvane::graphics {

// The next mipmap level of a picture: each side halved (rounded down, at least 1), each
// target pixel the mean of the 2 x 2 source pixels it covers, rounded to nearest, channel
// by channel. Where a side is 1 the pair along the other side is averaged; an odd side's
// last row or column is left out, as halving it leaves no pixel for it.
//
// Works on pictures of 8-bit channels only (grey, grey with alpha, RGB and RGBA in either
// order): averaging palette indices, packed 5-bit channels or signed offsets as bytes
// would give wrong colours.
class FilterHalve : public FilterImage {
public:
    // Whether apply() takes images of this format.
    static bool takes(std::uint32_t format) noexcept;

    // A new image of the source's format and half its size, or null when the format is
    // not taken, the source has no pixels, or memory cannot be had.
    Image* apply(const Image* source) override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics
