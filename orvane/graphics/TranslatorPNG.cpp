#include "orvane/graphics/TranslatorPNG.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <png.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

namespace orvane::graphics {

namespace {

constexpr int signatureBytes = 8;
// libpng keeps a few rows of up to 8 bytes a pixel; wider pictures are refused before
// libpng makes them.
constexpr std::uint32_t maximumWidth = 1u << 23;
constexpr png_alloc_size_t maximumChunkBytes = 8000000;
constexpr png_uint_32 maximumChunks = 1000;
constexpr double screenGamma = 2.2;
constexpr png_fixed_point screenGammaFixed = 220000;

// libpng's I/O pointer: the stream, and what it threw, raised once libpng has let go
// (exceptions must not travel through the library's C frames).
struct Source {
    io::InputStream* stream;
    std::exception_ptr failure;
    char message[128] = {}; // libpng's words for the error that stopped it
};

// libpng's error handler: keeps the message for the exception's detail, then jumps back
// to the guarded() step that is running.
void reportError(png_structp png, png_const_charp message) {
    auto* source = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

void readData(png_structp png, png_bytep data, std::size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    std::size_t done = 0;
    bool failed = false;
    try {
        while (done < length) {
            const int got = source->stream->read(
                data + done, int(std::min<std::size_t>(length - done, INT_MAX)));
            if (got <= 0)
                break;
            done += std::size_t(got);
        }
    } catch (...) {
        source->failure = std::current_exception();
        failed = true;
    }
    // Outside the handler: png_error jumps, and a jump out of a catch block would skip
    // the exception's end.
    if (failed)
        png_error(png, "Read Error");
    if (done < length) // as libpng's own reader: a file cut short is an error
        png_error(png, "Read Error");
}

// Owns one libpng read structure with its info structure, set up to read from source.
// Either may be null when memory ran out.
class ReadStruct {
public:
    explicit ReadStruct(Source& source) noexcept {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, reportError, nullptr);
        if (!png)
            return;
        info = png_create_info_struct(png);
        png_set_read_fn(png, &source, readData);
        png_set_sig_bytes(png, signatureBytes);
        // Sizes are checked against the engine's cap below, not by libpng.
        png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
        png_set_chunk_malloc_max(png, maximumChunkBytes);
        png_set_chunk_cache_max(png, maximumChunks);
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;
    ~ReadStruct() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }

    png_structp png = nullptr;
    png_infop info = nullptr;
};

// Runs step with libpng's jump target set; false when libpng's error handler jumped
// back. step must not hold objects with destructors: the jump would skip their ends.
template <class Step>
bool guarded(png_structp png, const Step& step) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    step();
    return true;
}

[[noreturn]] void fail(const Source& source) {
    if (source.failure)
        std::rethrow_exception(source.failure);
    if (std::strcmp(source.message, "Read Error") == 0)
        refuse("PNG: file cut short");
    refuse("PNG: %s", source.message);
}

struct Layout {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int channels = 0;
    std::size_t rowBytes = 0;
};

Layout layoutOf(png_structp png, png_infop info) {
    Layout layout;
    png_get_IHDR(png, info, &layout.width, &layout.height, &layout.bitDepth, &layout.colourType,
                 nullptr, nullptr, nullptr);
    layout.channels = png_get_channels(png, info);
    layout.rowBytes = png_get_rowbytes(png, info);
    return layout;
}

// Whether a palette file stays an indexed picture: nothing asks libpng to expand it.
bool staysIndexed(png_structp png, png_infop info, const Layout& file) {
    return file.colourType == PNG_COLOR_TYPE_PALETTE && !png_get_valid(png, info, PNG_INFO_tRNS) &&
           !png_get_valid(png, info, PNG_INFO_bKGD);
}

// Whether libpng composes a 16-bit picture on its background in linear light: a bKGD chunk
// under alpha (or tRNS) in a file whose gamma is known (gAMA, or sRGB, which implies one).
// Asked for 8-bit samples, libpng keeps 11 bits of each for its gamma tables, and near black
// the composite then moves in steps of up to 8 levels; such pictures are composed at 16 bits
// and narrowed afterwards (narrowRows). libpng composes 8-bit files with 8-bit tables
// whatever it is asked, so those keep its precision.
bool composesSixteenBitsInLinearLight(png_structp png, png_infop info, const Layout& file) {
    double gamma = 0.0;
    const bool alpha = (file.colourType & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    return file.bitDepth == 16 && alpha && png_get_valid(png, info, PNG_INFO_bKGD) &&
           png_get_gAMA(png, info, &gamma) && gamma > 0.0;
}

// The decoding settings, in this order: 8-bit samples (grey levels scaled to 0..255,
// palette indices kept), transparency as alpha, alpha composed on the file's background,
// gamma corrected for the screen. libpng corrects the palette of an indexed picture only
// when another transformation runs (so for 1, 2 and 4-bit files, not for 8-bit ones):
// pictures that stay indexed are left to correctPaletteGamma() instead, the one rule for
// every depth. With wide, 16-bit samples stay so, for narrowRows().
// Answers the number of passes libpng reads the rows in.
int setTransformations(png_structp png, png_infop info, const Layout& file, bool wide) {
    if (file.bitDepth == 16 && !wide)
        png_set_strip_16(png);
    if (file.bitDepth < 8) {
        if (file.colourType == PNG_COLOR_TYPE_GRAY)
            png_set_expand_gray_1_2_4_to_8(png);
        else
            png_set_packing(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_expand(png);
    png_color_16p background = nullptr;
    if (png_get_bKGD(png, info, &background))
        png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    double gamma = 0.0;
    if (png_get_gAMA(png, info, &gamma) && !staysIndexed(png, info, file))
        png_set_gamma(png, screenGamma, gamma);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return passes;
}

// Reads every row (every pass of an interlaced file) of 16-bit samples through one row
// buffer into the 8-bit image, each sample keeping its high byte, as png_set_strip_16 does.
// row must hold the rows libpng gives. Runs inside guarded(): holds nothing with a
// destructor.
void narrowRows(png_structp png, int passes, Image& image, png_bytep row) {
    auto* pixels = static_cast<std::uint8_t*>(image.pixels());
    const png_uint_32 width = png_uint_32(image.getWidth());
    const png_uint_32 height = png_uint_32(image.getHeight());
    const std::size_t channels = std::size_t(image.getRowBytes()) / width;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, row, nullptr);
            if (passes > 1 && !PNG_ROW_IN_INTERLACE_PASS(y, pass))
                continue; // libpng left the row alone
            std::uint8_t* out = pixels + std::size_t(y) * std::size_t(image.getRowBytes());
            for (png_uint_32 x = 0; x < width; ++x) {
                if (passes > 1 && !PNG_COL_IN_INTERLACE_PASS(x, pass))
                    continue; // not this pass's pixel: the buffer holds an older one
                for (std::size_t c = 0; c < channels; ++c) {
                    const std::size_t at = std::size_t(x) * channels + c;
                    out[at] = row[2 * at];
                }
            }
        }
    }
}

// The screen gamma correction libpng applies to 8-bit values for a file gamma, computed as
// libpng does (fixed-point exponent, corrections of less than 5 % ignored), for palettes
// that libpng leaves alone.
class GammaTable {
public:
    explicit GammaTable(png_fixed_point fileGamma) {
        const double exponent =
            std::floor(1e15 / double(fileGamma) / double(screenGammaFixed) + 0.5);
        significant = exponent < 95000 || exponent > 105000;
        for (int v = 0; v < 256; ++v)
            table[v] =
                v == 0 || v == 255
                    ? std::uint8_t(v)
                    : std::uint8_t(std::floor(255 * std::pow(v / 255.0, exponent * 1e-5) + 0.5));
    }
    bool isSignificant() const { return significant; }
    std::uint8_t operator[](std::uint8_t v) const { return table[v]; }

private:
    std::uint8_t table[256];
    bool significant;
};

void correctPaletteGamma(png_structp png, png_infop info, Image::ColourPalette& palette,
                         int count) {
    png_fixed_point fileGamma = 0;
    if (!png_get_gAMA_fixed(png, info, &fileGamma) || fileGamma <= 0)
        return;
    const GammaTable gamma(fileGamma);
    if (!gamma.isSignificant())
        return;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* e = palette.entry(i);
        palette.set(i, gamma[e[0]], gamma[e[1]], gamma[e[2]], e[3]);
    }
}

std::uint32_t formatFor(const Layout& layout) {
    switch (layout.colourType) {
    case PNG_COLOR_TYPE_GRAY:
        return PixelFormat::GREY8;
    case PNG_COLOR_TYPE_RGB:
        return layout.channels == 4 ? PixelFormat::RGBA32 : PixelFormat::RGB24;
    case PNG_COLOR_TYPE_PALETTE:
        return PixelFormat::INDEX8;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return PixelFormat::GREY_ALPHA16;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return PixelFormat::RGBA32;
    default:
        throw io::TranslatorFormatException();
    }
}

void carryPalette(png_structp png, png_infop info, const Layout& file, Image& image) {
    png_colorp colours = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &colours, &count) || count < 1 || !colours)
        return;
    Image::ColourPalette palette;
    count = std::min(count, Image::ColourPalette::ENTRIES);
    for (int i = 0; i < count; ++i)
        palette.set(i, colours[i].red, colours[i].green, colours[i].blue, 0);
    if (staysIndexed(png, info, file))
        correctPaletteGamma(png, info, palette, count);
    image.setPalette(&palette);
}

} // namespace

Image* TranslatorPNG::translate(io::InputStream* stream, int) {
    png_byte signature[signatureBytes];
    if (!readExactly(stream, signature, signatureBytes) ||
        png_sig_cmp(signature, 0, signatureBytes) != 0)
        refuse("PNG: no PNG signature");

    Source source{stream, nullptr};
    ReadStruct read(source);
    if (!read.png || !read.info)
        throw io::TranslatorMemoryException();
    png_structp png = read.png;
    png_infop info = read.info;

    Layout file;
    if (!guarded(png, [&] {
            png_read_info(png, info);
            file = layoutOf(png, info);
        }))
        fail(source);
    // Before libpng sizes its row buffers: the file's rows are at most twice as large as
    // the decoded ones (16-bit samples are halved), so this refuses nothing that fits. The
    // row pointers are bounded like any other buffer.
    if (file.width > maximumWidth || file.height > MAXIMUM_IMAGE_BYTES / sizeof(png_bytep) ||
        std::int64_t(file.rowBytes) * file.height > 2 * MAXIMUM_IMAGE_BYTES)
        object::raiseWithDetail(io::TranslatorMemoryException(), "PNG: picture too large");

    Layout decoded;
    bool wide = false;
    int passes = 1;
    if (!guarded(png, [&] {
            wide = composesSixteenBitsInLinearLight(png, info, file);
            passes = setTransformations(png, info, file, wide);
            decoded = layoutOf(png, info);
        }))
        fail(source);
    // libpng writes every row (every pass of an interlaced file) or fails.
    ImageHolder image =
        allocateImage(formatFor(decoded), decoded.width, decoded.height, PixelMemory::UNCLEARED);
    if (decoded.rowBytes != std::size_t(image->getRowBytes()) * (wide ? 2 : 1))
        throw io::TranslatorFormatException(); // libpng would write rows of another size
    carryPalette(png, info, file, *image);

    if (wide) {
        std::unique_ptr<png_byte[]> row(new (std::nothrow) png_byte[decoded.rowBytes]);
        if (!row)
            throw io::TranslatorMemoryException();
        image->lock();
        if (!guarded(png, [&] { narrowRows(png, passes, *image, row.get()); }))
            fail(source);
        image->unlock();
        return image.release();
    }
    std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[decoded.height + 1]);
    if (!rows)
        throw io::TranslatorMemoryException();
    auto* pixels = static_cast<png_bytep>(image->lock());
    for (png_uint_32 row = 0; row < decoded.height; ++row)
        rows[row] = pixels + std::size_t(row) * decoded.rowBytes;
    if (!guarded(png, [&] { png_read_image(png, rows.get()); }))
        fail(source);
    image->unlock();
    return image.release();
}

int TranslatorPNG::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorPNG::identify(io::File* file) {
    png_byte start[signatureBytes];
    return probe(file, start, signatureBytes) && png_sig_cmp(start, 0, signatureBytes) == 0;
}

types::String TranslatorPNG::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorPNG");
}

} // namespace orvane::graphics
