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
constexpr int infoHeaderBytes = 40;

enum Compression : std::uint32_t {
    RGB = 0,
    RLE8 = 1,
    RLE4 = 2,
    BITFIELDS = 3,
    ALPHA_BITFIELDS = 6,
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0; // rows, always positive here
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = RGB;
    std::uint32_t coloursUsed = 0;
    int paletteEntryBytes = 4;
    std::int64_t infoBytes = 0;
    // Channel masks of bit-field files: red, green, blue, alpha.
    std::uint32_t masks[4] = {};
    int masksInHeader = 0; // how many of them the info header itself holds
};

// Reads the info header after the file header; the stream ends up just past it.
Header readInfoHeader(io::InputStream* stream, std::int64_t remaining) {
    std::uint8_t info[largestHeaderBytes] = {};
    if (!readExactly(stream, info, 4))
        refuse("BMP: file shorter than its header");
    const std::uint32_t size = readLittle32(info);
    const bool core = size == coreHeaderBytes;
    // Anything shorter than the fields up to the bit count cannot be read.
    if (!core && size < 16)
        refuse("BMP: unknown info header of %u bytes", unsigned(size));
    if (size > remaining)
        refuse("BMP: file shorter than its header");
    const int kept = int(std::min<std::uint32_t>(size, largestHeaderBytes));
    if (!readExactly(stream, info + 4, kept - 4) || !skipForward(stream, size - kept))
        refuse("BMP: file shorter than its header");

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
        if (size >= infoHeaderBytes) {
            header.compression = readLittle32(info + 16);
            header.coloursUsed = readLittle32(info + 32);
        }
        // Later headers (52 bytes and up) hold the masks themselves.
        header.masksInHeader = size >= 56 ? 4 : size >= 52 ? 3 : 0;
        for (int i = 0; i < header.masksInHeader; ++i)
            header.masks[i] = readLittle32(info + infoHeaderBytes + 4 * i);
    }
    header.topDown = height < 0;
    header.height = height < 0 ? -height : height;
    return header;
}

bool isBitFields(const Header& header) {
    return header.compression == BITFIELDS || header.compression == ALPHA_BITFIELDS;
}

// Bit-field files whose masks are the plain layout of their depth decode as plain files
// (32-bit ones with or without an alpha mask).
bool hasPlainMasks(const Header& header) {
    const std::uint32_t* m = header.masks;
    if (header.bitCount == 16)
        return m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F && m[3] == 0;
    return m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF && (m[3] == 0 || m[3] == 0xFF000000);
}

// A plain 32-bit bit-field file without an alpha mask says that its fourth byte is not
// alpha: the picture is opaque.
bool isOpaqueBitFields(const Header& header) {
    return isBitFields(header) && header.bitCount == 32 && header.masks[3] == 0;
}

// Masks a short info header does not hold follow it: three, or four with alpha bit
// fields. Answers the bytes read.
int readTrailingMasks(io::InputStream* stream, Header& header) {
    const int count = header.compression == ALPHA_BITFIELDS ? 4 : 3;
    int read = 0;
    for (int i = header.masksInHeader; i < count; ++i, read += 4) {
        std::uint8_t mask[4];
        if (!readExactly(stream, mask, 4))
            refuse("BMP: file shorter than its colour masks");
        header.masks[i] = readLittle32(mask);
    }
    return read;
}

void setOpaque(Image& image) {
    auto* pixels = static_cast<std::uint8_t*>(image.lock());
    for (std::int64_t i = 3; i < image.pixelBytes(); i += 4)
        pixels[i] = 0xFF;
    image.unlock();
}

void checkDecodable(const Header& header) {
    const int bits = header.bitCount;
    switch (header.compression) {
    case RGB:
        if (bits != 1 && bits != 4 && bits != 8 && bits != 15 && bits != 16 && bits != 24 &&
            bits != 32)
            refuse("BMP: unsupported bit count %d", bits);
        return;
    case RLE8:
    case RLE4:
        if (bits != 4 && bits != 8)
            refuse("BMP: run-length data of %d bits a pixel", bits);
        return;
    case BITFIELDS:
    case ALPHA_BITFIELDS:
        if (bits != 16 && bits != 32)
            refuse("BMP: bit fields of %d bits a pixel", bits);
        for (int i = 0; i < 3; ++i)
            if (header.masks[i] == 0)
                refuse("BMP: colour mask %d is empty", i);
        return;
    default:
        refuse("BMP: unsupported compression %u", unsigned(header.compression));
    }
}

std::uint32_t formatFor(const Header& header) {
    if (header.bitCount <= 8)
        return PixelFormat::INDEX8;
    if (isBitFields(header) && !hasPlainMasks(header))
        return header.masks[3] ? PixelFormat::BGRA32 : PixelFormat::BGR24;
    return directColourFormat(header.bitCount);
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

// Bit-field pixels of 16 or 32 bits to blue, green, red (, alpha).
class BitFieldConverter {
public:
    explicit BitFieldConverter(const Header& header)
        : red(header.masks[0])
        , green(header.masks[1])
        , blue(header.masks[2])
        , alpha(header.masks[3])
        , pixelBytes(header.bitCount / 8) {}

    void convert(std::uint8_t* out, const std::uint8_t* in, std::int64_t width) const {
        const int outBytes = alpha.present() ? 4 : 3;
        for (std::int64_t x = 0; x < width; ++x, in += pixelBytes, out += outBytes) {
            const std::uint32_t p = pixelBytes == 2 ? readLittle16(in) : readLittle32(in);
            out[0] = blue(p);
            out[1] = green(p);
            out[2] = red(p);
            if (outBytes == 4)
                out[3] = alpha(p);
        }
    }

private:
    ChannelMask red, green, blue, alpha;
    int pixelBytes;
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
    std::unique_ptr<BitFieldConverter> fields;
    if (isBitFields(header) && !hasPlainMasks(header))
        fields = std::make_unique<BitFieldConverter>(header);
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
        std::uint8_t* out = pixels + order.imageRow(row) * image.getRowBytes();
        if (fields)
            fields->convert(out, in, header.width);
        else
            decodeRow(out, in, header.bitCount, header.width);
    }
    image.unlock();
}

// Run-length decoding of 8-bit (one pixel a byte) and 4-bit (two a byte, high nibble
// first) data. Writes are clipped to the image; the decoder stops at the end-of-bitmap
// record, when the data runs out, or when the position leaves the image.
//
// The data is read through a small buffer that stays in the cache, refilled whenever less
// than the longest record is left in it, rather than copied whole into memory of its own:
// for a picture without runs the encoded data is twice the picture, and fresh memory for
// it cost more than the decoding. The loop keeps its position in locals: pixel stores go
// through a byte pointer, which may alias anything, so positions kept in members would be
// reloaded after every store.
class RunLengthDecoder {
public:
    RunLengthDecoder(Image& image, const Header& header, io::InputStream* stream,
                     std::int64_t available)
        : image(image)
        , pixels(static_cast<std::uint8_t*>(image.lock()))
        , rowBytes(image.getRowBytes())
        , width(header.width)
        , order{header.height, header.topDown}
        , fourBit(header.bitCount == 4)
        , stream(stream)
        , unread(available)
        , buffer(new std::uint8_t[bufferBytes]) {}

    ~RunLengthDecoder() { image.unlock(); }

    // Answers whether the data ended properly: with the end-of-bitmap record or after
    // the last row.
    bool run() {
        const std::uint8_t* const bytes = buffer.get();
        std::size_t at = 0;
        std::int64_t x = 0;
        std::int64_t row = 0;
        std::uint8_t* line = rowStart(row);
        while (line) {
            if (filled - at < longestRecord && unread > 0)
                at = refill(at);
            if (at + 2 > filled)
                break;
            const std::uint8_t count = bytes[at];
            const std::uint8_t value = bytes[at + 1];
            at += 2;
            if (count > 0) {
                if (fourBit)
                    repeatNibbles(line, x, count, value);
                else if (x < width)
                    fill(line + x, std::min<std::int64_t>(count, width - x), value);
                x = std::min<std::int64_t>(x + count, width);
                continue;
            }
            switch (value) {
            case 0: // end of line
                x = 0;
                line = rowStart(++row);
                break;
            case 1: // end of bitmap
                return true;
            case 2: // delta: right and up
                if (at + 2 > filled)
                    return false;
                x = std::min<std::int64_t>(x + bytes[at], width);
                row += bytes[at + 1];
                line = rowStart(row);
                at += 2;
                break;
            default: // absolute run of `value` pixels, padded to 16 bits
                at = absolute(line, x, at, value);
                break;
            }
        }
        return !line;
    }

private:
    // An absolute record: 2 bytes, up to 255 pixel bytes and a padding byte.
    static constexpr std::size_t longestRecord = 2 + 255 + 1;
    static constexpr std::size_t bufferBytes = 64 << 10;

    // Moves what is left from `at` on to the front of the buffer and fills the rest from
    // the stream; answers the new position of `at` (0).
    std::size_t refill(std::size_t at) {
        const std::size_t left = filled - at;
        std::memmove(buffer.get(), buffer.get() + at, left);
        filled = left;
        while (filled < bufferBytes && unread > 0) {
            const int wanted =
                int(std::min<std::int64_t>(std::int64_t(bufferBytes - filled), unread));
            const int got = stream->read(buffer.get() + filled, wanted);
            if (got <= 0) {
                unread = 0;
                break;
            }
            filled += std::size_t(got);
            unread -= got;
        }
        return 0;
    }

    std::uint8_t* rowStart(std::int64_t fileRow) const {
        return fileRow < order.rows ? pixels + order.imageRow(fileRow) * rowBytes : nullptr;
    }

    // Most runs are short: a plain loop beats a call to memset for them.
    static void fill(std::uint8_t* out, std::int64_t count, std::uint8_t value) {
        if (count > 16) {
            std::memset(out, value, std::size_t(count));
            return;
        }
        for (std::int64_t i = 0; i < count; ++i)
            out[i] = value;
    }

    void repeatNibbles(std::uint8_t* line, std::int64_t x, int count, std::uint8_t value) const {
        const std::int64_t k = std::min<std::int64_t>(count, width - x);
        for (std::int64_t i = 0; i < k; ++i)
            line[x + i] = (i & 1) ? (value & 0x0F) : (value >> 4);
    }

    // Copies an absolute run into the row at x (advanced past it); answers where the data
    // goes on.
    std::size_t absolute(std::uint8_t* line, std::int64_t& x, std::size_t at, int count) const {
        const std::size_t bytes = fourBit ? std::size_t(count + 1) / 2 : std::size_t(count);
        const std::size_t present = std::min(bytes, filled - at);
        const std::uint8_t* in = buffer.get() + at;
        const std::int64_t pixelsPresent =
            fourBit ? std::min<std::int64_t>(count, std::int64_t(present) * 2)
                    : std::int64_t(present);
        const std::int64_t k = std::min(pixelsPresent, width - x);
        if (fourBit) {
            for (std::int64_t i = 0; i < k; ++i)
                line[x + i] = (i & 1) ? (in[i >> 1] & 0x0F) : (in[i >> 1] >> 4);
        } else if (k > 0) {
            std::memcpy(line + x, in, std::size_t(k));
        }
        x = std::min(x + pixelsPresent, width);
        return std::min(at + bytes + (bytes & 1), filled);
    }

    Image& image;
    std::uint8_t* pixels;
    std::int64_t rowBytes;
    std::int64_t width;
    RowOrder order;
    bool fourBit;
    io::InputStream* stream;
    std::int64_t unread; // bytes of the file's pixel data not yet in the buffer
    std::unique_ptr<std::uint8_t[]> buffer;
    std::size_t filled = 0; // bytes in the buffer
};

void readPalette(io::InputStream* stream, Image& image, const Header& header,
                 std::int64_t entries) {
    const std::int64_t bytes = entries * header.paletteEntryBytes;
    const DataBlock table = readBlock(stream, bytes);
    if (std::int64_t(table.size) < bytes)
        refuse("BMP: file shorter than its palette");
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
        refuse("BMP: file shorter than its header");
    const std::uint32_t dataOffset = readLittle32(fileHeader + 10);
    Header header = readInfoHeader(stream, total - fileHeaderBytes);
    std::int64_t consumed = fileHeaderBytes + header.infoBytes;
    if (isBitFields(header))
        consumed += readTrailingMasks(stream, header);
    checkDecodable(header);

    const std::uint32_t format = formatFor(header);
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
        refuse("BMP: file shorter than its palette");

    ImageHolder image = allocateImage(format, header.width, header.height);
    if (paletteEntries > 0) {
        readPalette(stream, *image, header, paletteEntries);
        consumed += paletteBytes;
    }
    // Pixel data starts at the offset the file header gives, or right here when that
    // offset points backwards; an offset past the end leaves no pixel data.
    const std::int64_t dataStart = std::max(consumed, std::min<std::int64_t>(dataOffset, total));
    const std::int64_t available = total - dataStart;
    if (image->pixelBytes() > 0 && (available <= 0 || !skipForward(stream, dataStart - consumed)))
        refuse("BMP: no pixel data");
    if (header.compression == RLE8 || header.compression == RLE4) {
        image->setTruncated(!RunLengthDecoder(*image, header, stream, available).run());
        return image.release();
    }
    const int storedBits = header.bitCount == 15 ? 16 : header.bitCount;
    const std::int64_t stride = (header.width * storedBits + 31) / 32 * 4;
    const bool converted = isBitFields(header) && !hasPlainMasks(header);
    if (!converted && storedBits >= 8 && stride == image->getRowBytes() &&
        readPackedRows(stream, *image, available, !header.topDown)) {
        if (isOpaqueBitFields(header))
            setOpaque(*image);
        return image.release();
    }
    const DataBlock data = readBlock(stream, std::min(stride * header.height, available));
    image->setTruncated(std::int64_t(data.size) < stride * header.height);
    decodeUncompressed(*image, header, stride, data);
    if (isOpaqueBitFields(header) && hasPlainMasks(header))
        setOpaque(*image);
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
