// Writes the seed corpora of the image fuzz targets: small valid files of every layout the
// decoders know, built with the same writers the tests use. Run it when the writers or the
// layouts change:  build/fuzz/make-fuzz-seeds fuzz/corpus

#include "tests/support/ImageFiles.h"

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

// A small picture: `count` bytes that change slowly, so that run-length encoders find
// runs and literals both.
Bytes picture(std::size_t count, int step = 1) {
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.push_back(std::uint8_t((i / 3) * step));
    return bytes;
}

std::vector<Rgb> colours(int count) {
    std::vector<Rgb> table;
    for (int i = 0; i < count; ++i)
        table.push_back({std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 3)});
    return table;
}

std::vector<Bytes> rows(int height, std::size_t rowBytes) {
    std::vector<Bytes> all;
    for (int y = 0; y < height; ++y) {
        Bytes row = picture(rowBytes);
        for (auto& b : row)
            b = std::uint8_t(b + y * 16);
        all.push_back(row);
    }
    return all;
}

void bmpSeeds() {
    save("bmp", "mono.bmp",
         bmpFile({.width = 13,
                  .height = 3,
                  .bits = 1,
                  .palette = colours(2),
                  .pixelData = bmpRows(rows(3, 2))}));
    save("bmp", "nibbles.bmp",
         bmpFile({.width = 5,
                  .height = 3,
                  .bits = 4,
                  .palette = colours(16),
                  .pixelData = bmpRows(rows(3, 3))}));
    save("bmp", "indexed.bmp",
         bmpFile({.width = 5,
                  .height = 3,
                  .bits = 8,
                  .coloursUsed = 20,
                  .palette = colours(20),
                  .pixelData = bmpRows(rows(3, 5))}));
    save("bmp", "core.bmp",
         bmpFile({.width = 4,
                  .height = 2,
                  .bits = 8,
                  .infoSize = 12,
                  .palette = colours(256),
                  .pixelData = bmpRows(rows(2, 4))}));
    save("bmp", "short-info.bmp",
         bmpFile({.width = 3,
                  .height = 2,
                  .bits = 24,
                  .infoSize = 16,
                  .pixelData = bmpRows(rows(2, 9))}));
    for (int bits : {15, 16, 24, 32})
        save("bmp", "true-" + std::to_string(bits) + ".bmp",
             bmpFile({.width = 3,
                      .height = 3,
                      .bits = bits,
                      .pixelData = bmpRows(rows(3, std::size_t(3 * ((bits + 7) / 8))))}));
    save("bmp", "top-down.bmp",
         bmpFile({.width = 3, .height = -2, .bits = 24, .pixelData = bmpRows(rows(2, 9), true)}));
    save("bmp", "v5-header.bmp",
         bmpFile({.width = 2,
                  .height = 2,
                  .bits = 32,
                  .infoSize = 124,
                  .pixelData = bmpRows(rows(2, 8))}));
    save("bmp", "rle8.bmp",
         bmpFile({.width = 6,
                  .height = 4,
                  .bits = 8,
                  .compression = 1,
                  .palette = colours(8),
                  .pixelData = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2,
                                1, 6, 5, 0, 0, 0, 4, 1, 2, 3, 4, 0, 1}}));
    save("bmp", "rle4.bmp",
         bmpFile({.width = 7,
                  .height = 3,
                  .bits = 4,
                  .compression = 2,
                  .palette = colours(16),
                  .pixelData = {4, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 1, 7, 0xAB, 0, 1}}));
    save("bmp", "fields-565.bmp",
         bmpFile({.width = 3,
                  .height = 2,
                  .bits = 16,
                  .compression = 3,
                  .pixelData = bmpRows(rows(2, 6)),
                  .masks = {0xF800, 0x07E0, 0x001F}}));
    save("bmp", "fields-v5-alpha.bmp",
         bmpFile({.width = 2,
                  .height = 2,
                  .bits = 32,
                  .compression = 3,
                  .infoSize = 124,
                  .pixelData = bmpRows(rows(2, 8)),
                  .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}));
    save("bmp", "alpha-fields-4444.bmp",
         bmpFile({.width = 3,
                  .height = 2,
                  .bits = 16,
                  .compression = 6,
                  .pixelData = bmpRows(rows(2, 6)),
                  .masks = {0x0F00, 0x00F0, 0x000F, 0xF000}}));
}

void pcxSeeds() {
    Bytes lines;
    for (const Bytes& line : rows(4, 6))
        append(lines, pcxEncode(line));
    save("pcx", "indexed.pcx",
         pcxFile({.width = 5, .height = 4, .encoded = lines, .palette = colours(256)}));
    Bytes planes;
    for (const Bytes& line : rows(3, 12))
        append(planes, pcxEncode(line));
    save("pcx", "true-colour.pcx",
         pcxFile({.width = 4, .height = 3, .planes = 3, .encoded = planes}));
    save("pcx", "mono.pcx",
         pcxFile({.width = 11,
                  .height = 2,
                  .bitsPerPixel = 1,
                  .encoded = pcxEncode({0xA5, 0x3C, 0x0F, 0xF0})}));
    save("pcx", "ega.pcx",
         pcxFile({.width = 5,
                  .height = 1,
                  .bitsPerPixel = 1,
                  .planes = 4,
                  .headerPalette = colours(16),
                  .encoded = pcxEncode({0x80, 0, 0x40, 0, 0x20, 0, 0xF8, 0})}));
    save("pcx", "packed-4.pcx",
         pcxFile({.width = 3,
                  .height = 2,
                  .bitsPerPixel = 4,
                  .headerPalette = colours(16),
                  .encoded = pcxEncode({0x12, 0x30, 0x45, 0x60})}));
    save("pcx", "long-run.pcx",
         pcxFile({.width = 2, .height = 5, .encoded = {0xC7, 9, 1, 2, 3}, .palette = colours(4)}));
}

void tgaOtherTypeSeeds() {
    const Bytes levels = picture(12, 9);
    save("tga", "grey.tga",
         tgaFile({.imageType = 3, .width = 4, .height = 3, .depth = 8, .pixelData = levels}));
    save("tga", "grey-rle.tga",
         tgaFile({.imageType = 11,
                  .width = 4,
                  .height = 3,
                  .depth = 8,
                  .descriptor = 0x30,
                  .pixelData = tgaEncode(levels, 1)}));
    save("tga", "grey-alpha.tga",
         tgaFile(
             {.imageType = 3, .width = 3, .height = 2, .depth = 16, .pixelData = picture(12, 7)}));
    Bytes map24;
    for (int i = 0; i < 4; ++i)
        append(map24, {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(3 * i)});
    save("tga", "mapped-rle.tga",
         tgaFile({.imageType = 9,
                  .colourMapType = 1,
                  .colourMapLength = 4,
                  .colourMapEntryBits = 24,
                  .colourMap = map24,
                  .width = 3,
                  .height = 3,
                  .depth = 8,
                  .descriptor = 0x10,
                  .pixelData = tgaEncode({0, 0, 0, 1, 2, 3, 3, 3, 1}, 1)}));
    save("tga", "right-to-left.tga",
         tgaFile({.width = 3,
                  .height = 2,
                  .depth = 24,
                  .descriptor = 0x10,
                  .pixelData = picture(18, 11)}));
}

void tgaSeeds() {
    Bytes map24, map16, map32;
    for (int i = 0; i < 4; ++i) {
        append(map24, {std::uint8_t(i), std::uint8_t(2 * i), std::uint8_t(3 * i)});
        put16(map16, unsigned(0x1234 * i) & 0x7FFF);
        append(map32, {std::uint8_t(i), 1, 2, std::uint8_t(64 * i)});
    }
    const Bytes indices = {0, 1, 2, 3, 3, 2, 1, 0, 1};
    save("tga", "mapped-24.tga",
         tgaFile({.imageType = 1,
                  .colourMapType = 1,
                  .colourMapLength = 4,
                  .colourMapEntryBits = 24,
                  .colourMap = map24,
                  .width = 3,
                  .height = 3,
                  .depth = 8,
                  .pixelData = indices}));
    save("tga", "mapped-16.tga",
         tgaFile({.imageType = 1,
                  .colourMapType = 1,
                  .colourMapLength = 4,
                  .colourMapEntryBits = 16,
                  .colourMap = map16,
                  .width = 3,
                  .height = 3,
                  .depth = 8,
                  .descriptor = 0x20,
                  .pixelData = indices}));
    save("tga", "mapped-32-rle.tga",
         tgaFile({.imageType = 10,
                  .colourMapType = 1,
                  .colourMapLength = 4,
                  .colourMapEntryBits = 32,
                  .colourMap = map32,
                  .width = 3,
                  .height = 3,
                  .depth = 8,
                  .pixelData = tgaEncode(indices, 1)}));
    for (int depth : {15, 16, 24, 32}) {
        const std::size_t bytes = std::size_t((depth + 7) / 8);
        const Bytes pixels = picture(4 * 3 * bytes, 5);
        save("tga", "true-" + std::to_string(depth) + ".tga",
             tgaFile({.width = 4,
                      .height = 3,
                      .depth = depth,
                      .id = {'s', 'e', 'e', 'd'},
                      .pixelData = pixels}));
        save("tga", "rle-" + std::to_string(depth) + ".tga",
             tgaFile({.imageType = 10,
                      .width = 4,
                      .height = 3,
                      .depth = depth,
                      .descriptor = depth == 32 ? 0x28 : 0x20,
                      .pixelData = tgaEncode(pixels, bytes)}));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fuzz-seeds CORPUS-DIRECTORY\n");
        return 2;
    }
    root = argv[1];
    bmpSeeds();
    pcxSeeds();
    tgaSeeds();
    tgaOtherTypeSeeds();
    return 0;
}
