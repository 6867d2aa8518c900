#include "orvane/graphics/TranslatorTGA.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <cstring>

namespace orvane::graphics {

namespace {

constexpr int headerBytes = 18;

enum ImageType {
    MAPPED = 1,
    TRUE_COLOUR = 2,
    GREY = 3,
    MAPPED_RUN_LENGTH = 9,
    TRUE_COLOUR_RUN_LENGTH = 10,
    GREY_RUN_LENGTH = 11,
};

struct Header {
    int idLength;
    int colourMapType;
    int imageType;
    int colourMapLength;
    int colourMapEntryBits;
    std::int64_t width;
    std::int64_t height;
    int pixelBytes;
    bool topDown;
    bool rightToLeft;
    std::uint32_t format;

    bool runLength() const { return imageType >= MAPPED_RUN_LENGTH; }
};

std::uint32_t formatFor(const Header& header, int depth) {
    const int kind = header.imageType & 7; // the run-length types are the plain ones + 8
    if (kind == GREY) {
        if (depth == 8)
            return PixelFormat::GREY8;
        if (depth == 16)
            return PixelFormat::GREY_ALPHA16;
        refuse("TGA: grey pixels of %d bits", depth);
    }
    if (header.colourMapType != 0 && depth <= 8)
        return PixelFormat::INDEX8;
    if (kind == MAPPED)
        refuse(header.colourMapType ? "TGA: colour-mapped pixels of %d bits"
                                    : "TGA: colour-mapped image without a colour map (%d bits)",
               depth);
    if (depth <= 8)
        refuse("TGA: %d-bit pixels need a colour map", depth);
    const std::uint32_t format = directColourFormat(depth);
    if (!format)
        refuse("TGA: unsupported pixel depth %d", depth);
    return format;
}

Header parseHeader(const std::uint8_t* bytes) {
    Header header;
    header.idLength = bytes[0];
    header.colourMapType = bytes[1];
    header.imageType = bytes[2];
    header.colourMapLength = readLittle16(bytes + 5);
    header.colourMapEntryBits = bytes[7];
    header.width = readLittle16(bytes + 12);
    header.height = readLittle16(bytes + 14);
    const int depth = std::max<int>(bytes[16], 8);
    header.pixelBytes = (depth + 7) / 8;
    header.topDown = bytes[17] & 0x20;
    header.rightToLeft = bytes[17] & 0x10;
    switch (header.imageType) {
    case MAPPED:
    case TRUE_COLOUR:
    case GREY:
    case MAPPED_RUN_LENGTH:
    case TRUE_COLOUR_RUN_LENGTH:
    case GREY_RUN_LENGTH:
        break;
    default:
        refuse("TGA: unsupported image type %d", header.imageType);
    }
    header.format = formatFor(header, depth);
    const int entryBits = header.colourMapEntryBits;
    if (header.colourMapType == 1 && entryBits != 15 && entryBits != 16 && entryBits != 24 &&
        entryBits != 32)
        refuse("TGA: colour-map entries of %d bits", entryBits);
    return header;
}

// Turns every row over left to right, for files whose pixels start at the right edge.
void mirrorRows(Image& image) {
    const std::size_t width = std::size_t(image.getWidth());
    if (width < 2)
        return;
    auto* pixels = static_cast<std::uint8_t*>(image.lock());
    const std::size_t size = std::size_t(bytesPerPixel(image.getFormat()));
    for (std::int32_t y = 0; y < image.getHeight(); ++y) {
        std::uint8_t* row = pixels + std::size_t(y) * std::size_t(image.getRowBytes());
        for (std::size_t left = 0, right = width - 1; left < right; ++left, --right)
            std::swap_ranges(row + left * size, row + (left + 1) * size, row + right * size);
    }
    image.unlock();
}

void readColourMap(io::InputStream* stream, Image& image, const Header& header) {
    const int entryBytes = (header.colourMapEntryBits + 7) / 8;
    const DataBlock map = readBlock(stream, std::int64_t(header.colourMapLength) * entryBytes);
    Image::ColourPalette palette;
    const int entries =
        int(std::min<std::size_t>(map.size / entryBytes, Image::ColourPalette::ENTRIES));
    for (int i = 0; i < entries; ++i) {
        const std::uint8_t* e = map.begin() + i * entryBytes;
        if (entryBytes == 2) {
            const int v = readLittle16(e);
            palette.set(i, (v >> 7) & 0xF8, (v >> 2) & 0xF8, (v << 3) & 0xF8, 0);
        } else {
            palette.set(i, e[2], e[1], e[0], entryBytes == 4 ? e[3] : 0);
        }
    }
    image.setPalette(&palette);
}

// Places pixels in file order (left to right, rows in the file's order) into the image,
// turning bottom-up rows over and clearing bit 15 of 16-bit pixels on the way.
class PixelSink {
public:
    PixelSink(Image& image, const Header& header)
        : image(image)
        , pixels(static_cast<std::uint8_t*>(image.lock()))
        , rowBytes(image.getRowBytes())
        , header(header)
        , total(std::size_t(image.pixelBytes()))
        , sixteenBit(image.getFormat() == PixelFormat::RGB15 ||
                     image.getFormat() == PixelFormat::RGB16) {}
    ~PixelSink() { image.unlock(); }

    bool full() const { return written >= total; }

    // Copies whole pixels from in (count bytes, a multiple of the pixel size).
    void append(const std::uint8_t* in, std::size_t count) {
        count = std::min(count, total - written);
        while (count > 0) {
            const std::size_t column = written % std::size_t(rowBytes);
            const std::size_t k = std::min(count, std::size_t(rowBytes) - column);
            std::uint8_t* out = rowStart(written / std::size_t(rowBytes)) + column;
            if (sixteenBit)
                copyRgb15(out, in, k / 2);
            else
                std::memcpy(out, in, k);
            in += k;
            count -= k;
            written += k;
        }
    }

    // Appends `times` copies of one pixel.
    void repeat(const std::uint8_t* pixel, int times) {
        std::uint8_t run[128 * 4];
        const std::size_t size = std::size_t(header.pixelBytes);
        for (int i = 0; i < times; ++i)
            std::memcpy(run + i * size, pixel, size);
        append(run, size * std::size_t(times));
    }

private:
    std::uint8_t* rowStart(std::size_t fileRow) const {
        const std::size_t row = header.topDown ? fileRow : std::size_t(header.height) - 1 - fileRow;
        return pixels + row * std::size_t(rowBytes);
    }

    Image& image;
    std::uint8_t* pixels;
    std::int64_t rowBytes;
    const Header& header;
    std::size_t total;
    std::size_t written = 0;
    bool sixteenBit;
};

// Packets: a header byte whose low 7 bits are the pixel count less one; with the top bit
// set one pixel value follows to be repeated, otherwise that many pixels follow as they
// are. Packets may run on from one row into the next.
void decodeRunLength(const DataBlock& data, PixelSink& sink, int pixelBytes) {
    std::size_t at = 0;
    while (at < data.size && !sink.full()) {
        const std::uint8_t packet = data.bytes[at++];
        const int count = (packet & 0x7F) + 1;
        if (packet & 0x80) {
            if (data.size - at < std::size_t(pixelBytes))
                return;
            sink.repeat(data.begin() + at, count);
            at += std::size_t(pixelBytes);
        } else {
            const std::size_t wanted = std::size_t(count) * std::size_t(pixelBytes);
            const std::size_t present = std::min(wanted, data.size - at);
            sink.append(data.begin() + at, present - present % std::size_t(pixelBytes));
            at += wanted;
        }
    }
}

} // namespace

Image* TranslatorTGA::translate(io::InputStream* stream, int length) {
    const std::int64_t total = resolveLength(stream, length);
    std::uint8_t headerBytesRead[headerBytes];
    if (!readExactly(stream, headerBytesRead, headerBytes))
        refuse("TGA: file shorter than its header");
    const Header header = parseHeader(headerBytesRead);
    ImageHolder image = allocateImage(header.format, header.width, header.height);
    std::int64_t consumed = headerBytes + header.idLength;
    if (header.colourMapType == 1)
        consumed += std::int64_t(header.colourMapLength) * ((header.colourMapEntryBits + 7) / 8);
    // Each pixel of the image takes pixelBytes in the file, whatever the image's format.
    const std::int64_t pixelData = header.width * header.height * header.pixelBytes;
    const std::int64_t available = std::max<std::int64_t>(total - consumed, 0);
    if (pixelData > 0 && available == 0)
        refuse("TGA: no pixel data");
    if (!skipForward(stream, header.idLength))
        return image.release();
    if (header.colourMapType == 1)
        readColourMap(stream, *image, header);
    if (header.runLength()) {
        const DataBlock data = readBlock(stream, std::min(available, MAXIMUM_IMAGE_BYTES));
        PixelSink sink(*image, header);
        decodeRunLength(data, sink, header.pixelBytes);
        image->setTruncated(!sink.full());
    } else if (!readPackedRows(stream, *image, available, !header.topDown)) {
        const DataBlock data = readBlock(stream, std::min(available, pixelData));
        PixelSink sink(*image, header);
        sink.append(data.begin(), data.size - data.size % std::size_t(header.pixelBytes));
        image->setTruncated(!sink.full());
    }
    if (header.rightToLeft)
        mirrorRows(*image);
    return image.release();
}

int TranslatorTGA::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorTGA::identify(io::File* file) {
    std::uint8_t header[4];
    return probe(file, header, 4) && header[1] <= 1 && header[2] <= 11;
}

types::String TranslatorTGA::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorTGA");
}

} // namespace orvane::graphics
