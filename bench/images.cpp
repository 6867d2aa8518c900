// Decoding speed of the BMP, PCX and TGA translators on 2048 x 2048 pictures read from
// disk, against a plain fread of the same file followed by a naive per-row copy loop into
// freshly allocated pixel memory (what any decoder must at least do). Figures are MB/s of
// decoded pixels. BmpRle8Singles decodes, from memory, an RLE8 picture without runs as
// encoders without absolute records write it: one record a pixel.

#include "orvane/graphics/TranslatorBMP.h"
#include "orvane/graphics/TranslatorPCX.h"
#include "orvane/graphics/TranslatorTGA.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/SystemFile.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/TempDirectory.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <memory>

namespace {

// Every iteration allocates pictures of 4 to 16 MB. Left to itself glibc serves some of
// them from fresh mappings and trims others back to the system after each iteration, so
// that page faults (very dear on virtual machines) would decide the figures. Keeping all
// of them on the heap measures the steady state of a program that decodes many images,
// for the decoders and the baseline alike.
const bool heapKept = [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return true;
}();

using namespace orvane;
using test::Bytes;

constexpr int side = 2048;

// A picture made of runs: in each 64-pixel block of a row the runs have one length, from
// 1 to 32 pixels, varying from block to block and row to row.
std::uint8_t sample(int x, int y) {
    const int run = 1 + (x / 64 + y) % 32;
    return std::uint8_t((x / run) * 7 + y / 4);
}

// RLE8 rows: runs of equal bytes as (count, value), stretches of different ones as
// absolute runs (padded to 16 bits), an end of line after each row.
Bytes rle8(int width, int height) {
    Bytes out;
    for (int y = height - 1; y >= 0; --y) {
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 255 && sample(x + run, y) == sample(x, y))
                ++run;
            if (run >= 2) {
                test::append(out, {std::uint8_t(run), sample(x, y)});
                x += run;
                continue;
            }
            int literal = 1;
            while (x + literal < width && literal < 255 &&
                   sample(x + literal, y) != sample(x + literal - 1, y))
                ++literal;
            if (literal < 3) {
                test::append(out, {1, sample(x, y)});
                ++x;
                continue;
            }
            test::append(out, {0, std::uint8_t(literal)});
            for (int i = 0; i < literal; ++i)
                out.push_back(sample(x + i, y));
            if (literal & 1)
                out.push_back(0);
            x += literal;
        }
        test::append(out, {0, 0});
    }
    test::append(out, {0, 1});
    return out;
}

// RLE8 rows as encoders without absolute runs write a picture without runs (noise, dither):
// one (1, value) record a pixel, an end of line after each row.
Bytes rle8Singles(int width, int height) {
    Bytes out;
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525 + 1013904223;
            test::append(out, {1, std::uint8_t(state >> 24)});
        }
        test::append(out, {0, 0});
    }
    test::append(out, {0, 1});
    return out;
}

Bytes plainRows(int width, int height, int pixelBytes, bool bottomUp, bool pad) {
    Bytes out;
    for (int row = 0; row < height; ++row) {
        const int y = bottomUp ? height - 1 - row : row;
        for (int x = 0; x < width; ++x)
            for (int b = 0; b < pixelBytes; ++b)
                out.push_back(std::uint8_t(sample(x, y) + 40 * b));
        while (pad && out.size() % 4)
            out.push_back(0);
    }
    return out;
}

struct Fixture {
    std::string path;
    int pixelBytes;
    bool bottomUp;
    std::size_t dataOffset; // where the raw rows start, for the baseline copy
};

class Files {
public:
    Files() {
        std::vector<test::Rgb> palette(256);
        for (int i = 0; i < 256; ++i)
            palette[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)};
        bmp24 = {directory.write(
                     "rgb.bmp", test::bmpFile({.width = side,
                                               .height = side,
                                               .bits = 24,
                                               .pixelData = plainRows(side, side, 3, true, true)})),
                 3, true, 54};
        bmpRle8 = {directory.write("rle8.bmp", test::bmpFile({.width = side,
                                                              .height = side,
                                                              .bits = 8,
                                                              .compression = 1,
                                                              .palette = palette,
                                                              .pixelData = rle8(side, side)})),
                   1, true, 54 + 1024};
        bmpRle8Singles = {directory.write("rle8-singles.bmp",
                                          test::bmpFile({.width = side,
                                                         .height = side,
                                                         .bits = 8,
                                                         .compression = 1,
                                                         .palette = palette,
                                                         .pixelData = rle8Singles(side, side)})),
                          1, true, 54 + 1024};
        Bytes lines;
        for (int y = 0; y < side; ++y) {
            Bytes line;
            for (int x = 0; x < side; ++x)
                line.push_back(sample(x, y));
            test::append(lines, test::pcxEncode(line));
        }
        pcx = {directory.write(
                   "indexed.pcx",
                   test::pcxFile(
                       {.width = side, .height = side, .encoded = lines, .palette = palette})),
               1, false, 128};
        tga32 = {directory.write("rgba.tga", test::tgaFile({.width = side,
                                                            .height = side,
                                                            .depth = 32,
                                                            .pixelData = plainRows(side, side, 4,
                                                                                   true, false)})),
                 4, true, 18};
    }

    test::TempDirectory directory;
    Fixture bmp24, bmpRle8, bmpRle8Singles, pcx, tga32;
};

Files& files() {
    static Files made;
    return made;
}

constexpr std::int64_t imageBytes(const Fixture& fixture) {
    return std::int64_t(side) * side * fixture.pixelBytes;
}

void decode(benchmark::State& state, io::Translator<graphics::Image>& translator,
            const Fixture& fixture) {
    for (auto _ : state) {
        auto* file = io::SystemFile::open(fixture.path.c_str(), io::SystemFile::MODE_READ);
        graphics::Image* image = translator.translate(file->getInputStream(), -1);
        benchmark::DoNotOptimize(image->pixels());
        image->release();
        file->release();
    }
    state.SetBytesProcessed(state.iterations() * imageBytes(fixture));
}

// fread of the whole file, then each row copied byte by byte into place.
void baseline(benchmark::State& state, const Fixture& fixture) {
    const std::size_t rowBytes = std::size_t(side) * std::size_t(fixture.pixelBytes);
    for (auto _ : state) {
        std::FILE* in = std::fopen(fixture.path.c_str(), "rb");
        std::fseek(in, 0, SEEK_END);
        const std::size_t size = std::size_t(std::ftell(in));
        std::fseek(in, 0, SEEK_SET);
        std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[size]);
        benchmark::DoNotOptimize(std::fread(data.get(), 1, size, in));
        std::fclose(in);
        std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[rowBytes * side]);
        const std::size_t available = size - fixture.dataOffset;
        for (int row = 0; row < side; ++row) {
            const int stored = fixture.bottomUp ? side - 1 - row : row;
            const std::size_t from = std::min(std::size_t(stored) * rowBytes, available - rowBytes);
            const std::uint8_t* source = data.get() + fixture.dataOffset + from;
            std::uint8_t* target = pixels.get() + std::size_t(row) * rowBytes;
            for (std::size_t i = 0; i < rowBytes; ++i)
                target[i] = source[i];
        }
        benchmark::DoNotOptimize(pixels.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * imageBytes(fixture));
}

void Bmp24(benchmark::State& state) {
    graphics::TranslatorBMP translator;
    decode(state, translator, files().bmp24);
}
void Bmp24Baseline(benchmark::State& state) {
    baseline(state, files().bmp24);
}
void BmpRle8(benchmark::State& state) {
    graphics::TranslatorBMP translator;
    decode(state, translator, files().bmpRle8);
}
void BmpRle8Baseline(benchmark::State& state) {
    baseline(state, files().bmpRle8);
}
// From a buffer in memory, as peer decoders are measured: the file's bytes are read once,
// then every iteration decodes them through a MemoryFile.
void BmpRle8Singles(benchmark::State& state) {
    graphics::TranslatorBMP translator;
    const Bytes bytes = [] {
        auto* file =
            io::SystemFile::open(files().bmpRle8Singles.path.c_str(), io::SystemFile::MODE_READ);
        Bytes all(std::size_t(file->size()));
        file->read(all.data(), int(all.size()));
        file->release();
        return all;
    }();
    for (auto _ : state) {
        io::MemoryFile memory(bytes.data(), bytes.size());
        graphics::Image* image = translator.translate(memory.getInputStream(), -1);
        benchmark::DoNotOptimize(image->pixels());
        image->release();
    }
    state.SetBytesProcessed(state.iterations() * imageBytes(files().bmpRle8Singles));
}
void Pcx8(benchmark::State& state) {
    graphics::TranslatorPCX translator;
    decode(state, translator, files().pcx);
}
void Pcx8Baseline(benchmark::State& state) {
    baseline(state, files().pcx);
}
void Tga32(benchmark::State& state) {
    graphics::TranslatorTGA translator;
    decode(state, translator, files().tga32);
}
void Tga32Baseline(benchmark::State& state) {
    baseline(state, files().tga32);
}

BENCHMARK(Bmp24)->Unit(benchmark::kMillisecond);
BENCHMARK(Bmp24Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BmpRle8)->Unit(benchmark::kMillisecond);
BENCHMARK(BmpRle8Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BmpRle8Singles)->Unit(benchmark::kMillisecond);
BENCHMARK(Pcx8)->Unit(benchmark::kMillisecond);
BENCHMARK(Pcx8Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(Tga32)->Unit(benchmark::kMillisecond);
BENCHMARK(Tga32Baseline)->Unit(benchmark::kMillisecond);

} // namespace
