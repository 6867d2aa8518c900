#pragma once

// Writers for PNG, GIF, JPEG and DDS files, so that tests, fuzz seeds and benchmarks build
// their pictures from bytes instead of shipping binary files. PNG, GIF and JPEG files are
// made by the encoders of the same libraries the translators read them with; DDS headers
// are written field by field. A writer that fails has been given an impossible picture:
// it stops the program with a message.

#include "tests/support/ImageFiles.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

namespace orvane::test {

[[noreturn]] inline void writerFailed(const char* what) {
    std::fprintf(stderr, "test file writer failed: %s\n", what);
    std::abort();
}

// ---- PNG

struct Png {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 8;
    int colourType = PNG_COLOR_TYPE_RGB;
    bool interlaced = false;
    std::vector<Bytes> rows{};                // stored rows: packed samples, 16-bit ones big-endian
    std::vector<Rgb> palette{};               // PLTE, written when not empty
    Bytes paletteAlpha{};                     // tRNS of a palette picture
    std::optional<png_color_16> key{};        // tRNS of a grey or colour picture
    std::optional<png_color_16> background{}; // bKGD
    double gamma = 0.0;                       // gAMA, written when above 0
    int compression = 6;
};

inline Bytes pngFile(const Png& png) {
    Bytes out;
    png_structp writer = png_create_write_struct(
        PNG_LIBPNG_VER_STRING, nullptr,
        [](png_structp, png_const_charp message) { writerFailed(message); }, nullptr);
    png_infop info = png_create_info_struct(writer);
    png_set_write_fn(
        writer, &out,
        [](png_structp w, png_bytep data, std::size_t length) {
            auto* bytes = static_cast<Bytes*>(png_get_io_ptr(w));
            bytes->insert(bytes->end(), data, data + length);
        },
        nullptr);
    png_set_compression_level(writer, png.compression);
    png_set_IHDR(writer, info, png.width, png.height, png.bitDepth, png.colourType,
                 png.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colours;
    for (const Rgb& c : png.palette)
        colours.push_back({c[0], c[1], c[2]});
    if (!colours.empty())
        png_set_PLTE(writer, info, colours.data(), int(colours.size()));
    if (!png.paletteAlpha.empty())
        png_set_tRNS(writer, info, png.paletteAlpha.data(), int(png.paletteAlpha.size()), nullptr);
    if (png.key) {
        png_color_16 key = *png.key;
        png_set_tRNS(writer, info, nullptr, 0, &key);
    }
    if (png.background) {
        png_color_16 background = *png.background;
        png_set_bKGD(writer, info, &background);
    }
    if (png.gamma > 0.0)
        png_set_gAMA(writer, info, png.gamma);
    png_write_info(writer, info);
    std::vector<png_bytep> rows;
    for (const Bytes& row : png.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    if (rows.size() != png.height)
        writerFailed("PNG row count");
    png_write_image(writer, rows.data());
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return out;
}

// Rows of samples of the given depth packed as PNG stores them (most significant bits
// first; 16-bit samples big-endian). Each row lists its samples, channel by channel.
inline std::vector<Bytes> pngRows(const std::vector<std::vector<unsigned>>& samples, int depth) {
    std::vector<Bytes> rows;
    for (const auto& row : samples) {
        Bytes packed;
        if (depth == 16) {
            for (unsigned s : row)
                put8(packed, s >> 8), put8(packed, s);
        } else if (depth == 8) {
            for (unsigned s : row)
                put8(packed, s);
        } else {
            const std::size_t perByte = std::size_t(8 / depth);
            packed.assign((row.size() + perByte - 1) / perByte, 0);
            for (std::size_t i = 0; i < row.size(); ++i)
                packed[i / perByte] |= std::uint8_t(row[i] << (8 - depth * int(i % perByte + 1)));
        }
        rows.push_back(packed);
    }
    return rows;
}

// ---- GIF

struct GifImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<Rgb> localMap{}; // written when not empty; a power of two entries
    std::vector<Bytes> rows{};   // in the order they are stored (pass order when interlaced)
    bool controlBlock = false;   // a graphic control extension before the image
};

struct Gif {
    int width = 0;
    int height = 0;
    int background = 0;
    std::vector<Rgb> globalMap{}; // written when not empty; a power of two entries
    std::vector<GifImage> images{};
    std::string comment{}; // a comment extension after the screen, written when not empty
};

inline ColorMapObject* gifMap(const std::vector<Rgb>& colours) {
    if (colours.empty())
        return nullptr;
    std::vector<GifColorType> entries;
    for (const Rgb& c : colours)
        entries.push_back({c[0], c[1], c[2]});
    ColorMapObject* map = GifMakeMapObject(int(entries.size()), entries.data());
    if (!map)
        writerFailed("GIF colour map size");
    return map;
}

inline Bytes gifFile(const Gif& gif) {
    Bytes out;
    int error = 0;
    GifFileType* writer = EGifOpen(
        &out,
        [](GifFileType* w, const GifByteType* data, int length) {
            auto* bytes = static_cast<Bytes*>(w->UserData);
            bytes->insert(bytes->end(), data, data + length);
            return length;
        },
        &error);
    auto succeed = [](int status, const char* what) {
        if (status == GIF_ERROR)
            writerFailed(what);
    };
    EGifSetGifVersion(writer, true);
    ColorMapObject* global = gifMap(gif.globalMap);
    succeed(EGifPutScreenDesc(writer, gif.width, gif.height, 8, gif.background, global),
            "GIF screen");
    GifFreeMapObject(global);
    if (!gif.comment.empty())
        succeed(EGifPutComment(writer, gif.comment.c_str()), "GIF comment");
    for (const GifImage& image : gif.images) {
        if (image.controlBlock) {
            const GifByteType control[4] = {0x09, 10, 0, 3}; // disposal 2, transparent index 3
            succeed(EGifPutExtension(writer, GRAPHICS_EXT_FUNC_CODE, 4, control), "GIF control");
        }
        ColorMapObject* local = gifMap(image.localMap);
        if (!local && writer->Image.ColorMap) {
            // giflib's encoder would forget the previous image's map without freeing it.
            GifFreeMapObject(writer->Image.ColorMap);
            writer->Image.ColorMap = nullptr;
        }
        succeed(EGifPutImageDesc(writer, image.left, image.top, image.width, image.height,
                                 image.interlaced, local),
                "GIF image");
        GifFreeMapObject(local);
        for (Bytes row : image.rows)
            succeed(EGifPutLine(writer, row.data(), int(row.size())), "GIF row");
        if (image.width == 0 || image.height == 0) // no pixels: just close the data blocks
            succeed(EGifPutCodeNext(writer, nullptr), "GIF empty image");
    }
    succeed(EGifCloseFile(writer, &error), "GIF close");
    return out;
}

// The same file with its global colour map taken out (giflib writes none without a map).
inline Bytes withoutGlobalMap(Bytes gif) {
    const std::uint8_t flags = gif[10];
    if (flags & 0x80) {
        const std::size_t mapBytes = 3u << ((flags & 7) + 1);
        gif.erase(gif.begin() + 13, gif.begin() + 13 + long(mapBytes));
        gif[10] = flags & 0x7F;
    }
    return gif;
}

// ---- JPEG

struct Jpeg {
    int width = 0;
    int height = 0;
    J_COLOR_SPACE colourSpace = JCS_RGB; // JCS_GRAYSCALE, JCS_RGB or JCS_CMYK
    int quality = 90;
    bool jfif = true; // the JFIF header; without it an Exif header is written instead
    bool exif = true; // the Exif header of files without JFIF; without either, none
    bool progressive = false;
    // The colour space the file stores, when not libjpeg's choice for the input (JCS_YCCK
    // for CMYK input).
    J_COLOR_SPACE storedSpace = JCS_UNKNOWN;
    std::vector<jpeg_scan_info> scans{}; // a scan script of its own, when not empty
    Bytes samples{};                     // width x height x components, top row first
};

inline Bytes jpegFile(const Jpeg& jpeg) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    errors.error_exit = [](j_common_ptr c) {
        char message[JMSG_LENGTH_MAX];
        (*c->err->format_message)(c, message);
        writerFailed(message);
    };
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(jpeg.width);
    cinfo.image_height = JDIMENSION(jpeg.height);
    cinfo.input_components = jpeg.colourSpace == JCS_GRAYSCALE ? 1
                             : jpeg.colourSpace == JCS_CMYK    ? 4
                                                               : 3;
    cinfo.in_color_space = jpeg.colourSpace;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, jpeg.quality, TRUE);
    if (jpeg.storedSpace != JCS_UNKNOWN)
        jpeg_set_colorspace(&cinfo, jpeg.storedSpace);
    cinfo.write_JFIF_header = jpeg.jfif ? TRUE : FALSE;
    if (jpeg.progressive)
        jpeg_simple_progression(&cinfo);
    if (!jpeg.scans.empty()) {
        cinfo.scan_info = jpeg.scans.data();
        cinfo.num_scans = int(jpeg.scans.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    if (!jpeg.jfif && jpeg.exif) {
        static const JOCTET exif[] = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof exif);
    }
    const std::size_t stride = std::size_t(jpeg.width) * std::size_t(cinfo.input_components);
    if (jpeg.samples.size() != stride * std::size_t(jpeg.height))
        writerFailed("JPEG sample count");
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(jpeg.samples.data() + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

// A grey picture stored in as many scans as a progressive file can have: the DC band, then
// every AC coefficient on its own, each first at 1/1024 precision and then refined one bit
// at a time (1 + 63 x 10 scans).
inline std::vector<jpeg_scan_info> everyBitScans() {
    std::vector<jpeg_scan_info> scans;
    scans.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k) {
        scans.push_back({1, {0}, k, k, 0, 9});
        for (int bit = 9; bit > 0; --bit)
            scans.push_back({1, {0}, k, k, bit, bit - 1});
    }
    return scans;
}

// ---- DDS

struct Dds {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t levels = 0; // the mipmap count field
    std::string fourCC{};    // "DXT1", "DXT3", "DXT5", or empty for RGB data
    std::uint32_t bitCount = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0}; // red (or luminance), green, blue, alpha
    Bytes data{};                          // every level's data, one after the other
    // The pixel-format flags; 0 chooses them as writers do: FourCC, or RGB with the
    // alpha-pixels flag when an alpha mask is given.
    std::uint32_t pixelFlags = 0;
};

constexpr std::uint32_t DDS_ALPHA_PIXELS = 0x1;
constexpr std::uint32_t DDS_RGB = 0x40;
constexpr std::uint32_t DDS_LUMINANCE = 0x20000;

inline Bytes ddsFile(const Dds& dds) {
    Bytes out;
    put32(out, 0x20534444); // "DDS "
    put32(out, 124);        // header size
    put32(out, 0x1 | 0x2 | 0x4 | 0x1000 | (dds.levels > 1 ? 0x20000 : 0));
    put32(out, std::uint32_t(dds.height));
    put32(out, std::uint32_t(dds.width));
    put32(out, 0); // pitch or linear size
    put32(out, 0); // depth
    put32(out, std::uint32_t(dds.levels));
    out.resize(76, 0); // 11 reserved words
    put32(out, 32);    // pixel format size
    const std::uint32_t chosen =
        dds.fourCC.empty() ? DDS_RGB | (dds.masks[3] ? DDS_ALPHA_PIXELS : 0) : 0x4;
    put32(out, dds.pixelFlags ? dds.pixelFlags : chosen);
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < dds.fourCC.size() && i < 4; ++i)
        code |= std::uint32_t(std::uint8_t(dds.fourCC[i])) << (8 * i);
    put32(out, code);
    put32(out, dds.bitCount);
    for (std::uint32_t mask : dds.masks)
        put32(out, mask);
    put32(out, 0x1000 | (dds.levels > 1 ? 0x400008 : 0)); // caps
    out.resize(128, 0);
    append(out, dds.data);
    return out;
}

} // namespace orvane::test
