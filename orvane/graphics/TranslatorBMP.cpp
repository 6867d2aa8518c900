#include "orvane/graphics/TranslatorBMP.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <algorithm>
#include <cstring>

namespace orvane::graphics {

namespace {

constexpr int fileHeaderBytes = 14;
constexpr int coreHeaderBytes = 12; // OS/2 1.x: 16-bit sizes, 3-byte palette entries
constexpr int largestHeaderBytes = 124;

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0; // rows, always positive here
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    int paletteEntryBytes = 4;
    std::int64_t infoBytes = 0;
};

// Reads the info header after the file header; the stream ends up just past it.
Header readInfoHeader(io::InputStream* stream, std::int64_t remaining) {
    std::uint8_t info[largestHeaderBytes] = {};
    if (!readExactly(stream, info, 4))
        throw io::TranslatorFormatException();
    const std::uint32_t size = readLittle32(info);
    const bool core = size == coreHeaderBytes;
    // Anything shorter than the fields up to the bit count cannot be read.
    if ((!core && size < 16) || size > remaining)
        throw io::TranslatorFormatException();
    const int kept = int(std::min<std::uint32_t>(size, largestHeaderBytes));
    if (!readExactly(stream, info + 4, kept - 4) || !skipForward(stream, size - kept))
        throw io::TranslatorFormatException();

    Header header;
    header.infoBytes = size;
    std::int64_t height;
    if (core) {
        header.width = readLittle16(info + 4);
        height = readLittle16(info + 6);
        header.bitCount = readLittle16(info + 10);
        header.paletteEntryBytes = 3;
    } else {
        header.width = std::int32_t(readLittle32(info + 4));
        height = std::int32_t(readLittle32(info + 8));
        header.bitCount = readLittle16(info + 14);
        if (size >= 40) {
            header.compression = readLittle32(info + 16);
            header.coloursUsed = readLittle32(info + 32);
        }
    }
    header.topDown = height < 0;
    header.height = height < 0 ? -height : height;
    return header;
}

std::uint32_t formatFor(int bitCount) {
    if (bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8)
        return PixelFormat::INDEX8;
    return directColourFormat(bitCount);
}

// Where the picture's rows go: the file stores them bottom-up unless the height was
// negative.
struct RowOrder {
    std::int64_t rows;
    bool topDown;
    std::int64_t imageRow(std::int64_t fileRow) const {
        return topDown ? fileRow : rows - 1 - fileRow;
    }
};

void decodeRow(std::uint8_t* out, const std::uint8_t* in, int bitCount, std::int64_t width) {
    switch (bitCount) {
    case 1:
        for (std::int64_t x = 0; x < width; ++x)
            out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
        break;
    case 4:
        for (std::int64_t x = 0; x < width; ++x)
            out[x] = (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4);
        break;
    case 15:
    case 16:
        copyRgb15(out, in, std::size_t(width));
        break;
    default:
        std::memcpy(out, in, std::size_t(width) * std::size_t(bitCount / 8));
        break;
    }
}

void decodeUncompressed(Image& image, const Header& header, std::int64_t rowStride,
                        const DataBlock& data) {
    const std::size_t stride = std::size_t(rowStride);
    const RowOrder order{header.height, header.topDown};
    auto* pixels = static_cast<std::uint8_t*>(image.lock());
    std::unique_ptr<std::uint8_t[]> partial;
    for (std::int64_t row = 0; row < header.height && stride > 0; ++row) {
        const std::size_t offset = std::size_t(row) * stride;
        if (offset >= data.size)
            break;
        const std::uint8_t* in = data.begin() + offset;
        if (data.size - offset < stride) { // the file ends inside this row
            partial.reset(new std::uint8_t[stride]());
            std::memcpy(partial.get(), in, data.size - offset);
            in = partial.get();
        }
        decodeRow(pixels + order.imageRow(row) * image.getRowBytes(), in, header.bitCount,
                  header.width);
    }
    image.unlock();
}

// Run-length decoding of 8-bit (one pixel a byte) and 4-bit (two a byte, high nibble
// first) data. Writes are clipped to the image; the decoder stops at the end-of-bitmap
// record, when the data runs out, or when the position leaves the image.
class RunLengthDecoder {
public:
    RunLengthDecoder(Image& image, const Header& header, const DataBlock& data)
        : image(image)
        , pixels(static_cast<std::uint8_t*>(image.lock()))
        , rowBytes(image.getRowBytes())
        , width(header.width)
        , order{header.height, header.topDown}
        , data(data)
        , fourBit(header.bitCount == 4) {
        moveToRow(0);
    }

    ~RunLengthDecoder() { image.unlock(); }

    void run() {
        std::size_t at = 0;
        while (at + 2 <= data.size && row < order.rows) {
            const std::uint8_t count = data.bytes[at];
            const std::uint8_t value = data.bytes[at + 1];
            at += 2;
            if (count > 0) {
                repeat(count, value);
                continue;
            }
            switch (value) {
            case 0: // end of line
                x = 0;
                moveToRow(row + 1);
                break;
            case 1: // end of bitmap
                return;
            case 2: // delta: right and up
                if (at + 2 > data.size)
                    return;
                advance(data.bytes[at]);
                moveToRow(row + data.bytes[at + 1]);
                at += 2;
                break;
            default: // absolute run of `value` pixels, padded to 16 bits
                at = absolute(at, value);
                break;
            }
        }
    }

private:
    void moveToRow(std::int64_t fileRow) {
        row = fileRow;
        rowPixels = row < order.rows ? pixels + order.imageRow(row) * rowBytes : nullptr;
    }

    void put(std::int64_t count, const std::uint8_t* source, std::uint8_t fill) {
        if (rowPixels && x < width) {
            const std::int64_t k = std::min(count, width - x);
            if (source)
                std::memcpy(rowPixels + x, source, std::size_t(k));
            else
                std::memset(rowPixels + x, fill, std::size_t(k));
        }
        advance(count);
    }
    void advance(std::int64_t count) { x = std::min(x + count, width); }

    void repeat(int count, std::uint8_t value) {
        if (!fourBit) {
            put(count, nullptr, value);
            return;
        }
        std::uint8_t pair[256];
        for (int i = 0; i < count; ++i)
            pair[i] = (i & 1) ? (value & 0x0F) : (value >> 4);
        put(count, pair, 0);
    }

    std::size_t absolute(std::size_t at, int count) {
        const std::size_t bytes = fourBit ? std::size_t(count + 1) / 2 : std::size_t(count);
        const std::size_t present = std::min(bytes, data.size - at);
        const std::uint8_t* in = data.begin() + at;
        if (fourBit) {
            std::uint8_t unpacked[256];
            const int pixelsPresent = int(std::min<std::size_t>(count, present * 2));
            for (int i = 0; i < pixelsPresent; ++i)
                unpacked[i] = (i & 1) ? (in[i >> 1] & 0x0F) : (in[i >> 1] >> 4);
            put(pixelsPresent, unpacked, 0);
        } else {
            put(std::int64_t(present), in, 0);
        }
        return at + bytes + (bytes & 1);
    }

    Image& image;
    std::uint8_t* pixels;
    std::int64_t rowBytes;
    std::int64_t width;
    RowOrder order;
    const DataBlock& data;
    bool fourBit;
    std::int64_t x = 0;
    std::int64_t row = 0;              // counted in file order from the first stored row
    std::uint8_t* rowPixels = nullptr; // that row in the image, null once past the last
};

void readPalette(io::InputStream* stream, Image& image, const Header& header,
                 std::int64_t entries) {
    const std::int64_t bytes = entries * header.paletteEntryBytes;
    const DataBlock table = readBlock(stream, bytes);
    if (std::int64_t(table.size) < bytes)
        throw io::TranslatorFormatException();
    Image::ColourPalette palette;
    const int kept = int(std::min<std::int64_t>(entries, Image::ColourPalette::ENTRIES));
    for (int i = 0; i < kept; ++i) {
        const std::uint8_t* entry = table.begin() + i * header.paletteEntryBytes;
        palette.set(i, entry[2], entry[1], entry[0], 0);
    }
    image.setPalette(&palette);
}

} // namespace

Image* TranslatorBMP::translate(io::InputStream* stream, int length) {
    const std::int64_t total = resolveLength(stream, length);
    std::uint8_t fileHeader[fileHeaderBytes];
    if (!readExactly(stream, fileHeader, fileHeaderBytes))
        throw io::TranslatorFormatException();
    const std::uint32_t dataOffset = readLittle32(fileHeader + 10);
    const Header header = readInfoHeader(stream, total - fileHeaderBytes);
    std::int64_t consumed = fileHeaderBytes + header.infoBytes;

    const std::uint32_t format = formatFor(header.bitCount);
    const bool runLength = header.compression != 0;
    if (runLength ? header.bitCount != 4 && header.bitCount != 8 : header.bitCount == 2)
        throw io::TranslatorFormatException();
    std::int64_t paletteEntries = 0;
    if (header.bitCount <= 8)
        paletteEntries = header.coloursUsed ? header.coloursUsed : 1 << header.bitCount;
    // Writers that store fewer colours than the bit count allows while leaving the count
    // at 0 are common: the palette ends where the pixel data begins.
    if (dataOffset >= consumed)
        paletteEntries =
            std::min(paletteEntries, (dataOffset - consumed) / header.paletteEntryBytes);
    const std::int64_t paletteBytes = paletteEntries * header.paletteEntryBytes;
    if (paletteBytes > total - consumed)
        throw io::TranslatorFormatException();

    ImageHolder image = allocateImage(format, header.width, header.height);
    if (paletteEntries > 0) {
        readPalette(stream, *image, header, paletteEntries);
        consumed += paletteBytes;
    }
    // Pixel data starts at the offset the file header gives, or right here when that
    // offset points backwards; an offset past the end leaves no pixel data.
    const std::int64_t dataStart = std::max(consumed, std::min<std::int64_t>(dataOffset, total));
    if (!skipForward(stream, dataStart - consumed))
        return image.release();
    const std::int64_t available = total - dataStart;
    if (runLength) {
        const DataBlock data = readBlock(stream, std::min(available, MAXIMUM_IMAGE_BYTES));
        RunLengthDecoder(*image, header, data).run();
    } else {
        const int storedBits = header.bitCount == 15 ? 16 : header.bitCount;
        const std::int64_t stride = (header.width * storedBits + 31) / 32 * 4;
        if (storedBits >= 8 && stride == image->getRowBytes() &&
            readPackedRows(stream, *image, available, !header.topDown))
            return image.release();
        const DataBlock data = readBlock(stream, std::min(stride * header.height, available));
        decodeUncompressed(*image, header, stride, data);
    }
    return image.release();
}

int TranslatorBMP::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorBMP::identify(io::File* file) {
    std::uint8_t magic[2];
    return probe(file, magic, 2) && readLittle16(magic) == 0x4D42;
}

types::String TranslatorBMP::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorBMP");
}

} // namespace orvane::graphics
