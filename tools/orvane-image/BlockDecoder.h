#pragma once

#include <cstdint>
#include <vector>

namespace orvane::tools {

// Turns the 4 x 4 blocks of a DXT1, DXT3 or DXT5 level (graphics::CompressedImage) into
// red, green, blue, alpha pixels, one row of blocks at a time, so that a converter never
// holds more than four rows of the picture. Colours of 5 and 6 bits are widened by
// repeating their bits; the interpolated colours and alphas are the integer thirds,
// halves, sevenths and fifths of the widened end points. A DXT1 block whose first colour
// is not above the second has a transparent black fourth colour.
class BlockDecoder {
public:
    // format: PixelFormat::DXT1, DXT3 or DXT5; blocks: the level's data, all of it.
    BlockDecoder(std::uint32_t format, const std::uint8_t* blocks, int width, int height);

    // Row y of the picture (0 on top), width x 4 bytes.
    const std::uint8_t* row(int y);

private:
    void decodeBlockRow(int blockRow);
    void decodeColours(const std::uint8_t* block, std::uint8_t* out, int stride, bool fourColours);
    void decodeExplicitAlpha(const std::uint8_t* block, std::uint8_t* out, int stride);
    void decodeInterpolatedAlpha(const std::uint8_t* block, std::uint8_t* out, int stride);

    std::uint32_t format;
    const std::uint8_t* blocks;
    int width;
    int height;
    int blockBytes;
    int blocksAcross;
    int cachedBlockRow = -1;
    std::vector<std::uint8_t> rows; // four rows of the picture, width x 4 bytes each
};

} // namespace orvane::tools
