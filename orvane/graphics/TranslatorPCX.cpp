#include "orvane/graphics/TranslatorPCX.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvane::graphics {

namespace {

constexpr int headerBytes = 128;
constexpr int paletteBytes = 768;
constexpr int headerPaletteOffset = 16;

enum class Layout { Indexed8, Rgb24, PackedIndices, PlanarIndices };

struct Header {
    std::int64_t width;
    std::int64_t height;
    int bitsPerPixel;
    int planes;
    std::int64_t bytesPerLine;
    Layout layout;
};

Layout layoutOf(int bitsPerPixel, int planes) {
    if (bitsPerPixel == 8 && planes == 1)
        return Layout::Indexed8;
    if (bitsPerPixel == 8 && planes == 3)
        return Layout::Rgb24;
    if ((bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 4) && planes == 1)
        return Layout::PackedIndices;
    if (bitsPerPixel == 1 && planes >= 2 && planes <= 4)
        return Layout::PlanarIndices;
    refuse("PCX: unsupported layout of %d bits in %d planes", bitsPerPixel, planes);
}

Header parseHeader(const std::uint8_t* bytes) {
    if (bytes[0] != 10)
        refuse("PCX: not a PCX file");
    const int spanX = int(readLittle16(bytes + 8)) - int(readLittle16(bytes + 4));
    const int spanY = int(readLittle16(bytes + 10)) - int(readLittle16(bytes + 6));
    if (spanX < -1 || spanX > 16383 || spanY < -1 || spanY > 16383)
        refuse("PCX: window of %d x %d pixels out of range", spanX + 1, spanY + 1);
    Header header;
    header.width = spanX + 1;
    header.height = spanY + 1;
    header.bitsPerPixel = bytes[3];
    header.planes = bytes[65];
    header.layout = layoutOf(header.bitsPerPixel, header.planes);
    // A line too short for its pixels is read as if it had no padding at all.
    const std::int64_t needed = (header.width * header.bitsPerPixel + 7) / 8;
    header.bytesPerLine = std::max<std::int64_t>(readLittle16(bytes + 66), needed);
    return header;
}

// Decodes the run-length stream one scan line at a time. A run may carry over into the
// next line; a byte above 192 is a run of (byte & 63) copies of the next byte, any other
// byte is itself.
class LineDecoder {
public:
    LineDecoder(const DataBlock& data, std::size_t lineBytes)
        : data(data)
        , line(lineBytes) {}

    // The next line, zero-filled where the data ran out; null when it had already run out
    // (or lines are empty).
    const std::uint8_t* next() {
        if (exhausted() || line.empty())
            return nullptr;
        cutShort = false;
        std::uint8_t* out = line.data();
        const std::size_t size = line.size();
        std::size_t filled = std::min<std::size_t>(pending, size);
        std::memset(out, pendingValue, filled);
        pending -= int(filled);
        const std::uint8_t* in = data.begin();
        while (filled < size && at < data.size) {
            const std::uint8_t d = in[at];
            if (d <= 192) {
                out[filled++] = d;
                ++at;
                continue;
            }
            if (at + 1 >= data.size) { // a run count without its value
                at = data.size;
                break;
            }
            const std::size_t count = d & 0x3F;
            const std::uint8_t value = in[at + 1];
            at += 2;
            const std::size_t k = std::min(count, size - filled);
            for (std::size_t i = 0; i < k; ++i)
                out[filled + i] = value;
            filled += k;
            pending = int(count - k);
            pendingValue = value;
        }
        std::memset(out + filled, 0, size - filled);
        cutShort = filled < size;
        return out;
    }

    // Whether the last line given was cut short by the end of the data.
    bool wasShort() const { return cutShort; }

private:
    bool exhausted() const { return pending == 0 && at >= data.size; }

    bool cutShort = false;
    const DataBlock& data;
    std::vector<std::uint8_t> line;
    std::size_t at = 0;
    int pending = 0;
    std::uint8_t pendingValue = 0;
};

void convertLine(std::uint8_t* out, const std::uint8_t* in, const Header& header) {
    const std::int64_t width = header.width;
    const std::int64_t stride = header.bytesPerLine;
    switch (header.layout) {
    case Layout::Indexed8:
        std::memcpy(out, in, std::size_t(width));
        break;
    case Layout::Rgb24:
        for (std::int64_t x = 0; x < width; ++x) {
            out[3 * x] = in[x];
            out[3 * x + 1] = in[stride + x];
            out[3 * x + 2] = in[2 * stride + x];
        }
        break;
    case Layout::PackedIndices: {
        const int bits = header.bitsPerPixel;
        const int perByte = 8 / bits;
        const int mask = (1 << bits) - 1;
        for (std::int64_t x = 0; x < width; ++x) {
            const int shift = 8 - bits * int(x % perByte + 1);
            out[x] = std::uint8_t((in[x / perByte] >> shift) & mask);
        }
        break;
    }
    case Layout::PlanarIndices:
        for (std::int64_t x = 0; x < width; ++x) {
            std::uint8_t index = 0;
            for (int plane = 0; plane < header.planes; ++plane)
                index |=
                    std::uint8_t(((in[plane * stride + (x >> 3)] >> (7 - (x & 7))) & 1) << plane);
            out[x] = index;
        }
        break;
    }
}

// The palette of the small layouts: black and white for one bit, otherwise the 16
// colours kept in the header.
Image::ColourPalette headerPalette(const std::uint8_t* header, int colourBits) {
    Image::ColourPalette palette;
    if (colourBits == 1) {
        palette.set(1, 255, 255, 255, 0);
        return palette;
    }
    for (int i = 0; i < 16; ++i) {
        const std::uint8_t* rgb = header + headerPaletteOffset + 3 * i;
        palette.set(i, rgb[0], rgb[1], rgb[2], 0);
    }
    return palette;
}

} // namespace

Image* TranslatorPCX::translate(io::InputStream* stream, int length) {
    const std::int64_t total = resolveLength(stream, length);
    std::uint8_t headerBytesRead[headerBytes];
    if (!readExactly(stream, headerBytesRead, headerBytes))
        refuse("PCX: file shorter than its header");
    const Header header = parseHeader(headerBytesRead);
    const bool trailingPalette = header.layout == Layout::Indexed8;
    // The 256-colour palette is the file's last 768 bytes; a file too short to hold it
    // cannot be read.
    const std::int64_t encodedBytes = total - headerBytes - (trailingPalette ? paletteBytes : 0);
    if (encodedBytes < 0)
        refuse("PCX: file shorter than its header and 256-colour palette");
    if (encodedBytes == 0 && header.width > 0 && header.height > 0)
        refuse("PCX: no pixel data");

    ImageHolder image =
        allocateImage(header.layout == Layout::Rgb24 ? PixelFormat::RGB24 : PixelFormat::INDEX8,
                      header.width, header.height);
    const DataBlock encoded = readBlock(stream, encodedBytes);
    if (trailingPalette) {
        std::uint8_t colours[paletteBytes] = {};
        readExactly(stream, colours, paletteBytes);
        Image::ColourPalette palette;
        for (int i = 0; i < Image::ColourPalette::ENTRIES; ++i)
            palette.set(i, colours[3 * i], colours[3 * i + 1], colours[3 * i + 2], 0);
        image->setPalette(&palette);
    } else if (header.layout != Layout::Rgb24) {
        const Image::ColourPalette palette =
            headerPalette(headerBytesRead, header.bitsPerPixel * header.planes);
        image->setPalette(&palette);
    }

    auto* pixels = static_cast<std::uint8_t*>(image->lock());
    LineDecoder lines(encoded, std::size_t(header.bytesPerLine * header.planes));
    std::int64_t row = 0;
    for (; row < header.height; ++row) {
        const std::uint8_t* line = lines.next();
        if (!line)
            break;
        convertLine(pixels + row * image->getRowBytes(), line, header);
        if (lines.wasShort())
            break;
    }
    image->setTruncated(header.width > 0 && row < header.height);
    image->unlock();
    return image.release();
}

int TranslatorPCX::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorPCX::identify(io::File* file) {
    std::uint8_t header[headerBytes];
    if (!probe(file, header, headerBytes))
        return false;
    const int bits = header[3];
    return header[0] == 10 && (bits == 1 || bits == 2 || bits == 4 || bits == 8) &&
           header[1] <= 5 && header[2] == 1;
}

types::String TranslatorPCX::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorPCX");
}

} // namespace orvane::graphics
