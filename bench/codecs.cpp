// Decoding 2048 x 2048 PNG (colour, colour and alpha), JPEG (quality 90) and GIF pictures
// through the engine's translators, against the same libraries called directly with
// nothing of the engine around them: the files come from memory either way, the bare
// decoders write into one malloc'd block with the same settings the translators use.

#include "orvane/graphics/TranslatorGIF.h"
#include "orvane/graphics/TranslatorJPG.h"
#include "orvane/graphics/TranslatorPNG.h"
#include "orvane/io/MemoryFile.h"
#include "tests/support/CodecFiles.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <malloc.h>

namespace {

// Each iteration allocates a 12 or 16 MB picture. Left to itself glibc serves some from
// fresh mappings and trims others back to the system, so that page faults (very dear on
// this virtual machine) would decide the figures; kept on the heap, both sides measure
// the steady state of a program that decodes many images (as bench/images.cpp does).
const bool heapKept = [] {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return true;
}();

using orvane::test::Bytes;

constexpr int side = 2048;

// A picture with smooth shapes and a little grain, so that every codec has real work.
Bytes picture(int channels) {
    Bytes samples(std::size_t(side) * side * std::size_t(channels));
    std::uint32_t grain = 12345;
    std::size_t i = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            for (int c = 0; c < channels; ++c) {
                grain = grain * 1103515245u + 12345u;
                const double wave = std::sin(x * 0.011 * (c + 1)) * std::cos(y * 0.007 + c);
                samples[i++] = std::uint8_t(127 + 100 * wave + int((grain >> 16) % 9));
            }
    return samples;
}

std::vector<Bytes> rowsOf(const Bytes& samples, int channels) {
    std::vector<Bytes> rows;
    const std::size_t stride = std::size_t(side) * std::size_t(channels);
    for (int y = 0; y < side; ++y)
        rows.emplace_back(samples.begin() + long(y * stride),
                          samples.begin() + long((y + 1) * stride));
    return rows;
}

const Bytes& pngRgb() {
    static const Bytes file =
        orvane::test::pngFile({.width = side, .height = side, .rows = rowsOf(picture(3), 3)});
    return file;
}

const Bytes& pngRgba() {
    static const Bytes file = orvane::test::pngFile({.width = side,
                                                     .height = side,
                                                     .colourType = PNG_COLOR_TYPE_RGB_ALPHA,
                                                     .rows = rowsOf(picture(4), 4)});
    return file;
}

const Bytes& jpeg() {
    static const Bytes file = orvane::test::jpegFile(
        {.width = side, .height = side, .quality = 90, .samples = picture(3)});
    return file;
}

const Bytes& gif() {
    static const Bytes file = [] {
        std::vector<orvane::test::Rgb> colours;
        for (int i = 0; i < 256; ++i)
            colours.push_back({std::uint8_t(i & 0xE0), std::uint8_t((i << 3) & 0xE0),
                               std::uint8_t((i << 6) & 0xC0)});
        const Bytes rgb = picture(3);
        std::vector<Bytes> rows(side, Bytes(side));
        for (std::size_t p = 0; p < std::size_t(side) * side; ++p)
            rows[p / side][p % side] = std::uint8_t(
                (rgb[3 * p] & 0xE0) | ((rgb[3 * p + 1] >> 3) & 0x1C) | (rgb[3 * p + 2] >> 6));
        return orvane::test::gifFile({.width = side,
                                      .height = side,
                                      .globalMap = colours,
                                      .images = {{.width = side, .height = side, .rows = rows}}});
    }();
    return file;
}

// ---- through the engine

void engine(benchmark::State& state, orvane::io::Translator<orvane::graphics::Image>& translator,
            const Bytes& file) {
    orvane::io::MemoryFile memory(file.data(), file.size());
    for (auto _ : state) {
        memory.seek(0, orvane::io::File::FROM_START);
        orvane::graphics::Image* image = translator.translate(memory.getInputStream(), -1);
        benchmark::DoNotOptimize(image->pixels());
        image->release();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

void BM_EnginePngRgb(benchmark::State& state) {
    orvane::graphics::TranslatorPNG translator;
    engine(state, translator, pngRgb());
}
void BM_EnginePngRgba(benchmark::State& state) {
    orvane::graphics::TranslatorPNG translator;
    engine(state, translator, pngRgba());
}
void BM_EngineJpeg(benchmark::State& state) {
    orvane::graphics::TranslatorJPG translator;
    engine(state, translator, jpeg());
}
void BM_EngineGif(benchmark::State& state) {
    orvane::graphics::TranslatorGIF translator;
    engine(state, translator, gif());
}

// ---- the bare libraries

struct Cursor {
    const Bytes* file;
    std::size_t at;
};

// The bare decoders are written as a C program would use the libraries: malloc'd memory
// and no object with a destructor between setjmp and the library calls.
void bareLibraryPng(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        Cursor cursor{&file, 8};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            state.SkipWithError("libpng failed");
            break;
        }
        png_set_read_fn(png, &cursor, [](png_structp p, png_bytep out, std::size_t length) {
            auto* c = static_cast<Cursor*>(png_get_io_ptr(p));
            std::memcpy(out, c->file->data() + c->at, length);
            c->at += length;
        });
        png_set_sig_bytes(png, 8);
        png_read_info(png, info);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        const std::size_t rowBytes = png_get_rowbytes(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        auto* pixels = static_cast<png_bytep>(std::malloc(rowBytes * height));
        auto* rows = static_cast<png_bytepp>(std::malloc(height * sizeof(png_bytep)));
        for (png_uint_32 y = 0; y < height; ++y)
            rows[y] = pixels + y * rowBytes;
        png_read_image(png, rows);
        benchmark::DoNotOptimize(pixels);
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(rows);
        std::free(pixels);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

void BM_LibraryPngRgb(benchmark::State& state) {
    bareLibraryPng(state, pngRgb());
}
void BM_LibraryPngRgba(benchmark::State& state) {
    bareLibraryPng(state, pngRgba());
}

void BM_LibraryJpeg(benchmark::State& state) {
    const Bytes& file = jpeg();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr errors{};
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), file.size());
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = std::size_t(cinfo.output_width) * 3;
        auto* pixels = static_cast<JSAMPLE*>(std::malloc(stride * cinfo.output_height));
        auto* rows = static_cast<JSAMPARRAY>(std::malloc(cinfo.output_height * sizeof(JSAMPROW)));
        for (JDIMENSION y = 0; y < cinfo.output_height; ++y)
            rows[y] = pixels + y * stride;
        while (cinfo.output_scanline < cinfo.output_height)
            jpeg_read_scanlines(&cinfo, rows + cinfo.output_scanline,
                                cinfo.output_height - cinfo.output_scanline);
        jpeg_finish_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels);
        jpeg_destroy_decompress(&cinfo);
        std::free(rows);
        std::free(pixels);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

void BM_LibraryGif(benchmark::State& state) {
    const Bytes& file = gif();
    for (auto _ : state) {
        Cursor cursor{&file, 0};
        int error = 0;
        GifFileType* decoder = DGifOpen(
            &cursor,
            [](GifFileType* g, GifByteType* out, int count) {
                auto* c = static_cast<Cursor*>(g->UserData);
                const std::size_t n = std::min(std::size_t(count), c->file->size() - c->at);
                std::memcpy(out, c->file->data() + c->at, n);
                c->at += n;
                return int(n);
            },
            &error);
        const std::size_t width = std::size_t(decoder->SWidth);
        const std::size_t bytes = width * std::size_t(decoder->SHeight);
        auto* pixels = static_cast<GifPixelType*>(std::malloc(bytes));
        std::memset(pixels, decoder->SBackGroundColor, bytes);
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        while (record != TERMINATE_RECORD_TYPE && DGifGetRecordType(decoder, &record) == GIF_OK) {
            if (record != IMAGE_DESC_RECORD_TYPE)
                continue;
            DGifGetImageDesc(decoder);
            const GifImageDesc& desc = decoder->Image;
            for (int y = 0; y < desc.Height; ++y)
                DGifGetLine(decoder,
                            pixels + std::size_t(desc.Top + y) * width + std::size_t(desc.Left),
                            desc.Width);
        }
        benchmark::DoNotOptimize(pixels);
        DGifCloseFile(decoder, &error);
        std::free(pixels);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

BENCHMARK(BM_EnginePngRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryPngRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnginePngRgba)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryPngRgba)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineGif)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryGif)->Unit(benchmark::kMillisecond);

} // namespace
