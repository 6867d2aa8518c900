#include "tools/orvane-image/BlockDecoder.h"

#include "orvane/graphics/PixelFormat.h"

#include <algorithm>

namespace orvane::tools {

namespace {

struct Colour {
    int r, g, b;
};

// Red 5, green 6, blue 5 (little-endian word) widened to 8 bits a channel.
Colour widen565(const std::uint8_t* p) {
    const unsigned v = unsigned(p[0]) | (unsigned(p[1]) << 8);
    const int r = int(v >> 11), g = int((v >> 5) & 0x3F), b = int(v & 0x1F);
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

Colour mix(Colour a, Colour b, int weightA, int weightB) {
    const int total = weightA + weightB;
    return {(weightA * a.r + weightB * b.r) / total, (weightA * a.g + weightB * b.g) / total,
            (weightA * a.b + weightB * b.b) / total};
}

} // namespace

BlockDecoder::BlockDecoder(std::uint32_t format, const std::uint8_t* blocks, int width, int height)
    : format(format)
    , blocks(blocks)
    , width(width)
    , height(height)
    , blockBytes(format == graphics::PixelFormat::DXT1 ? 8 : 16)
    , blocksAcross((width + 3) / 4)
    , rows(std::size_t(width) * 4 * 4) {}

const std::uint8_t* BlockDecoder::row(int y) {
    if (y / 4 != cachedBlockRow)
        decodeBlockRow(y / 4);
    return rows.data() + std::size_t(y % 4) * std::size_t(width) * 4;
}

void BlockDecoder::decodeBlockRow(int blockRow) {
    cachedBlockRow = blockRow;
    const int stride = width * 4;
    // Blocks are decoded whole into a 4 x 4 scratch area, then the part inside the picture
    // is copied: pictures need not be a multiple of 4 wide or high.
    std::uint8_t block[4 * 4 * 4];
    const int rowsHere = std::min(4, height - blockRow * 4);
    for (int across = 0; across < blocksAcross; ++across) {
        const std::uint8_t* data =
            blocks + (std::size_t(blockRow) * std::size_t(blocksAcross) + std::size_t(across)) *
                         std::size_t(blockBytes);
        if (format == graphics::PixelFormat::DXT1) {
            decodeColours(data, block, 16, false);
        } else {
            decodeColours(data + 8, block, 16, true);
            if (format == graphics::PixelFormat::DXT3)
                decodeExplicitAlpha(data, block, 16);
            else
                decodeInterpolatedAlpha(data, block, 16);
        }
        const int columns = std::min(4, width - across * 4);
        for (int y = 0; y < rowsHere; ++y)
            std::copy(block + y * 16, block + y * 16 + columns * 4,
                      rows.data() + std::size_t(y) * std::size_t(stride) +
                          std::size_t(across) * 16);
    }
}

void BlockDecoder::decodeColours(const std::uint8_t* block, std::uint8_t* out, int stride,
                                 bool alwaysFour) {
    const Colour c0 = widen565(block), c1 = widen565(block + 2);
    const unsigned first = unsigned(block[0]) | (unsigned(block[1]) << 8);
    const unsigned second = unsigned(block[2]) | (unsigned(block[3]) << 8);
    const bool four = alwaysFour || first > second;
    const Colour palette[4] = {c0, c1, four ? mix(c0, c1, 2, 1) : mix(c0, c1, 1, 1),
                               four ? mix(c0, c1, 1, 2) : Colour{0, 0, 0}};
    const unsigned indices = unsigned(block[4]) | (unsigned(block[5]) << 8) |
                             (unsigned(block[6]) << 16) | (unsigned(block[7]) << 24);
    for (int i = 0; i < 16; ++i) {
        const unsigned index = (indices >> (2 * i)) & 3;
        std::uint8_t* p = out + (i / 4) * stride + (i % 4) * 4;
        p[0] = std::uint8_t(palette[index].r);
        p[1] = std::uint8_t(palette[index].g);
        p[2] = std::uint8_t(palette[index].b);
        p[3] = !four && index == 3 ? 0 : 255;
    }
}

void BlockDecoder::decodeExplicitAlpha(const std::uint8_t* block, std::uint8_t* out, int stride) {
    for (int i = 0; i < 16; ++i) {
        const int nibble = (block[i / 2] >> (4 * (i % 2))) & 0xF;
        out[(i / 4) * stride + (i % 4) * 4 + 3] = std::uint8_t(nibble * 17);
    }
}

void BlockDecoder::decodeInterpolatedAlpha(const std::uint8_t* block, std::uint8_t* out,
                                           int stride) {
    const int a0 = block[0], a1 = block[1];
    int alphas[8] = {a0, a1};
    if (a0 > a1) {
        for (int i = 1; i < 7; ++i)
            alphas[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i < 5; ++i)
            alphas[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        alphas[6] = 0;
        alphas[7] = 255;
    }
    std::uint64_t indices = 0;
    for (int i = 0; i < 6; ++i)
        indices |= std::uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        out[(i / 4) * stride + (i % 4) * 4 + 3] = std::uint8_t(alphas[(indices >> (3 * i)) & 7]);
}

} // namespace orvane::tools
