// Writes the seed corpora of the DDS, GIF, JPEG and PNG fuzz targets: small valid files of
// the layouts each decoder knows, made by the same writers the tests use (the codecs' own
// encoders for GIF, JPEG and PNG). Run it when the writers or the layouts change:
//   build/fuzz/make-codec-seeds fuzz/corpus

#include "tests/support/CodecFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace orvane::test;

std::filesystem::path root;

void save(const std::string& format, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(root / format);
    std::ofstream(root / format / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes picture(std::size_t count, unsigned seed = 1) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = std::uint8_t((i / 3) * 5 + seed * (i % 7));
    return bytes;
}

std::vector<Rgb> colours(int count) {
    std::vector<Rgb> table;
    for (int i = 0; i < count; ++i)
        table.push_back({std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 3)});
    return table;
}

std::vector<Bytes> rows(int height, std::size_t rowBytes, unsigned seed = 1) {
    std::vector<Bytes> all;
    for (int y = 0; y < height; ++y)
        all.push_back(picture(rowBytes, seed + unsigned(y)));
    return all;
}

void ddsSeeds() {
    save("dds", "bgra-levels.dds",
         ddsFile({.width = 8,
                  .height = 4,
                  .levels = 4,
                  .bitCount = 32,
                  .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                  .data = picture(4 * (32 + 8 + 2 + 1))}));
    save("dds", "rgba.dds",
         ddsFile({.width = 2,
                  .height = 2,
                  .bitCount = 32,
                  .masks = {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
                  .data = picture(16)}));
    save("dds", "bgr.dds",
         ddsFile({.width = 3,
                  .height = 2,
                  .levels = 2,
                  .bitCount = 24,
                  .masks = {0xFF0000, 0xFF00, 0xFF},
                  .data = picture(18 + 3)}));
    save("dds", "rgb565.dds",
         ddsFile({.width = 4,
                  .height = 2,
                  .bitCount = 16,
                  .masks = {0xF800, 0x07E0, 0x1F},
                  .data = picture(16)}));
    save("dds", "rgb555.dds",
         ddsFile({.width = 4,
                  .height = 2,
                  .bitCount = 16,
                  .masks = {0x7C00, 0x03E0, 0x1F, 0},
                  .data = picture(16)}));
    save("dds", "argb1555.dds",
         ddsFile({.width = 4,
                  .height = 2,
                  .bitCount = 16,
                  .masks = {0x7C00, 0x03E0, 0x1F, 0x8000},
                  .data = picture(16)}));
    save("dds", "argb4444-levels.dds",
         ddsFile({.width = 4,
                  .height = 4,
                  .levels = 3,
                  .bitCount = 16,
                  .masks = {0x0F00, 0x00F0, 0x0F, 0xF000},
                  .data = picture(2 * (16 + 4 + 1))}));
    save("dds", "xrgb.dds",
         ddsFile({.width = 2,
                  .height = 2,
                  .bitCount = 32,
                  .masks = {0xFF0000, 0xFF00, 0xFF, 0},
                  .data = picture(16)}));
    save("dds", "xbgr.dds",
         ddsFile({.width = 2,
                  .height = 2,
                  .bitCount = 32,
                  .masks = {0xFF, 0xFF00, 0xFF0000, 0},
                  .data = picture(16)}));
    save("dds", "luminance.dds",
         ddsFile({.width = 3,
                  .height = 3,
                  .bitCount = 8,
                  .masks = {0xFF, 0, 0, 0},
                  .data = picture(9),
                  .pixelFlags = DDS_LUMINANCE}));
    save("dds", "luminance-alpha.dds",
         ddsFile({.width = 3,
                  .height = 2,
                  .bitCount = 16,
                  .masks = {0xFF, 0, 0, 0xFF00},
                  .data = picture(12),
                  .pixelFlags = DDS_LUMINANCE | DDS_ALPHA_PIXELS}));
    save("dds", "dxt1-levels.dds",
         ddsFile({.width = 8, .height = 8, .levels = 4, .fourCC = "DXT1", .data = picture(8 * 7)}));
    save("dds", "dxt3.dds",
         ddsFile({.width = 4, .height = 4, .fourCC = "DXT3", .data = picture(16)}));
    save(
        "dds", "dxt5-levels.dds",
        ddsFile({.width = 8, .height = 4, .levels = 3, .fourCC = "DXT5", .data = picture(16 * 4)}));
}

void gifSeeds() {
    save("gif", "plain.gif",
         gifFile({.width = 5,
                  .height = 3,
                  .globalMap = colours(8),
                  .images = {{.width = 5, .height = 3, .rows = rows(3, 5)}}}));
    std::vector<Bytes> lines = rows(9, 4);
    for (auto& line : lines)
        for (auto& b : line)
            b &= 0x0F;
    save("gif", "interlaced.gif",
         gifFile({.width = 4,
                  .height = 9,
                  .globalMap = colours(16),
                  .images = {{.width = 4, .height = 9, .interlaced = true, .rows = lines}}}));
    save("gif", "frames.gif",
         gifFile(
             {.width = 6,
              .height = 4,
              .background = 2,
              .globalMap = colours(4),
              .images =
                  {{.width = 3, .height = 2, .rows = {{0, 1, 2}, {3, 2, 1}}, .controlBlock = true},
                   {.left = 2,
                    .top = 1,
                    .width = 4,
                    .height = 3,
                    .localMap = colours(32),
                    .rows = {{9, 8, 7, 6}, {5, 4, 3, 2}, {31, 30, 29, 28}},
                    .controlBlock = true}},
              .comment = "seed"}));
    save("gif", "no-map.gif",
         withoutGlobalMap(
             gifFile({.width = 2,
                      .height = 2,
                      .globalMap = colours(2),
                      .images = {{.width = 2, .height = 2, .rows = {{0, 1}, {1, 0}}}}})));
    save("gif", "own-maps.gif",
         gifFile({.width = 4,
                  .height = 2,
                  .globalMap = colours(4),
                  .images = {{.width = 2, .height = 2, .rows = {{0, 1}, {2, 3}}},
                             {.left = 2,
                              .width = 2,
                              .height = 2,
                              .interlaced = true,
                              .localMap = colours(8),
                              .rows = {{7, 6}, {5, 4}}}}}));
    {
        const Bytes plain =
            gifFile({.width = 2,
                     .height = 2,
                     .globalMap = colours(2),
                     .images = {{.width = 2, .height = 2, .rows = {{0, 1}, {1, 0}}}}});
        save("gif", "no-trailer.gif", Bytes(plain.begin(), plain.end() - 1));
    }
    save("gif", "empty-image.gif",
         gifFile(
             {.width = 2,
              .height = 1,
              .globalMap = colours(2),
              .images = {{.width = 0, .height = 0}, {.width = 2, .height = 1, .rows = {{1, 0}}}}}));
}

void jpegSeeds() {
    save("jpg", "colour.jpg", jpegFile({.width = 17, .height = 9, .samples = picture(17 * 9 * 3)}));
    save("jpg", "grey.jpg",
         jpegFile({.width = 9,
                   .height = 9,
                   .colourSpace = JCS_GRAYSCALE,
                   .quality = 50,
                   .samples = picture(81)}));
    save("jpg", "progressive.jpg",
         jpegFile({.width = 16, .height = 8, .progressive = true, .samples = picture(16 * 8 * 3)}));
    save("jpg", "exif.jpg",
         jpegFile({.width = 8, .height = 8, .jfif = false, .samples = picture(192)}));
    save("jpg", "cmyk.jpg",
         jpegFile({.width = 8, .height = 8, .colourSpace = JCS_CMYK, .samples = picture(256)}));
    save("jpg", "ycck.jpg",
         jpegFile({.width = 16,
                   .height = 8,
                   .colourSpace = JCS_CMYK,
                   .storedSpace = JCS_YCCK,
                   .samples = picture(16 * 8 * 4)}));
    save(
        "jpg", "bare.jpg",
        jpegFile({.width = 8, .height = 8, .jfif = false, .exif = false, .samples = picture(192)}));
}

void pngSeeds() {
    save("png", "rgb.png", pngFile({.width = 5, .height = 3, .rows = rows(3, 15)}));
    save("png", "rgba16.png",
         pngFile({.width = 3,
                  .height = 2,
                  .bitDepth = 16,
                  .colourType = PNG_COLOR_TYPE_RGB_ALPHA,
                  .rows = rows(2, 24)}));
    save("png", "grey1.png",
         pngFile({.width = 13,
                  .height = 2,
                  .bitDepth = 1,
                  .colourType = PNG_COLOR_TYPE_GRAY,
                  .rows = rows(2, 2)}));
    save("png", "grey-alpha.png",
         pngFile({.width = 4,
                  .height = 2,
                  .colourType = PNG_COLOR_TYPE_GRAY_ALPHA,
                  .rows = rows(2, 8)}));
    save("png", "palette-trns.png",
         pngFile({.width = 6,
                  .height = 2,
                  .bitDepth = 4,
                  .colourType = PNG_COLOR_TYPE_PALETTE,
                  .rows = rows(2, 3),
                  .palette = colours(16),
                  .paletteAlpha = {0, 64, 128}}));
    save("png", "grey-key.png",
         pngFile({.width = 4,
                  .height = 2,
                  .colourType = PNG_COLOR_TYPE_GRAY,
                  .rows = rows(2, 4),
                  .key = png_color_16{0, 0, 0, 0, 5}}));
    save("png", "background-gamma.png",
         pngFile({.width = 3,
                  .height = 3,
                  .colourType = PNG_COLOR_TYPE_RGB_ALPHA,
                  .rows = rows(3, 12),
                  .background = png_color_16{0, 10, 20, 30, 0},
                  .gamma = 0.45455}));
    save("png", "grey2.png",
         pngFile({.width = 7,
                  .height = 2,
                  .bitDepth = 2,
                  .colourType = PNG_COLOR_TYPE_GRAY,
                  .rows = rows(2, 2)}));
    save("png", "palette8-gamma.png",
         pngFile({.width = 4,
                  .height = 2,
                  .colourType = PNG_COLOR_TYPE_PALETTE,
                  .rows = {{0, 1, 2, 3}, {3, 2, 1, 0}},
                  .palette = colours(4),
                  .gamma = 1.0}));
    save("png", "adam7.png",
         pngFile({.width = 9,
                  .height = 9,
                  .bitDepth = 2,
                  .colourType = PNG_COLOR_TYPE_PALETTE,
                  .interlaced = true,
                  .rows = rows(9, 3),
                  .palette = colours(4)}));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    root = argv[1];
    ddsSeeds();
    gifSeeds();
    jpegSeeds();
    pngSeeds();
    return 0;
}
