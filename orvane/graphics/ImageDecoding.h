#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/io/InputStream.h"

#include <cstdint>
#include <memory>

namespace orvane::graphics {

// What the image translators share: the allocation cap, checked image creation, reading
// blocks from a stream, and little-endian fields.

// The most pixel memory one decoded image may take: 256 MiB, room for an 8192 x 8192
// image of 32-bit pixels. A file that claims a larger picture is answered with
// TranslatorMemoryException before anything is allocated, so no header can make a
// decoder reserve gigabytes. The same cap bounds every buffer a decoder reads the file
// into.
constexpr std::int64_t MAXIMUM_IMAGE_BYTES = std::int64_t(256) << 20;

// Gives up an object's reference when it goes out of scope: translators hold what they
// are building this way, so that an exception frees it, and release() it to the caller.
struct ReleaseObject {
    void operator()(const object::Object* object) const noexcept { object->release(); }
};
using ImageHolder = std::unique_ptr<Image, ReleaseObject>;

// Whether new pixel memory is cleared, or left as it comes for decoders that write every
// byte of it (Image::pixelsToOverwrite).
enum class PixelMemory { CLEARED, UNCLEARED };

// A new image of the given size whose pixel memory (zeroed unless asked otherwise) is
// already made. A negative size raises TranslatorFormatException; more than
// MAXIMUM_IMAGE_BYTES of pixels, or memory that cannot be had, raises
// TranslatorMemoryException.
ImageHolder allocateImage(std::uint32_t format, std::int64_t width, std::int64_t height,
                          PixelMemory memory = PixelMemory::CLEARED);

// Throws TranslatorFormatException carrying, as its detail, the printf-style text: what a
// person needs to know about the refusal ("BMP: unsupported compression 4"). The
// exception's message stays the class name.
[[noreturn]] void refuse(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Bytes read from a stream: up to what was asked for, fewer when the stream ended.
struct DataBlock {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;

    const std::uint8_t* begin() const noexcept { return bytes.get(); }
    const std::uint8_t* end() const noexcept { return bytes.get() + size; }
};

// Reads up to count bytes (a negative count reads none). Asking for more than
// MAXIMUM_IMAGE_BYTES, or memory that cannot be had, raises TranslatorMemoryException.
DataBlock readBlock(io::InputStream* stream, std::int64_t count);

// Reads exactly count bytes into buffer; false when the stream ended first.
bool readExactly(io::InputStream* stream, void* buffer, int count);

// Moves count bytes forward (nothing for count <= 0); answers false when the stream could
// not move that far.
bool skipForward(io::InputStream* stream, std::int64_t count);

inline std::uint16_t readLittle16(const std::uint8_t* p) noexcept {
    return std::uint16_t(p[0] | (p[1] << 8));
}
inline std::uint32_t readLittle32(const std::uint8_t* p) noexcept {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Reads all of an image's pixels straight into its pixel memory, for files that store rows
// exactly as the image keeps them (packed, unconverted): one read, then the rows turned
// over when the file stores them bottom-up, and bit 15 cleared for the 16-bit formats.
// Answers false, having read nothing, when fewer than all the pixel bytes are available;
// callers then decode what there is row by row, so that a short file costs work in
// proportion to its data rather than to the size it claims.
bool readPackedRows(io::InputStream* stream, Image& image, std::int64_t available, bool bottomUp);

// The format of stored pixels of 15, 16, 24 or 32 bits; 0 for other depths.
std::uint32_t directColourFormat(int bitsPerPixel);

// One channel of a pixel given by a bit mask (as BMP bit fields and DDS pixel formats
// give them), brought to 8 bits: narrower channels by repeating their bits (so 5 bits of
// 31 give 255, as graphics hardware widens them), wider ones keep their top 8 bits. An
// empty mask reads as 0.
class ChannelMask {
public:
    explicit ChannelMask(std::uint32_t mask) noexcept;

    std::uint8_t operator()(std::uint32_t pixel) const noexcept {
        return widened[(pixel >> shift) & limit];
    }
    bool present() const noexcept { return limit != 0; }

private:
    int shift = 0;
    std::uint32_t limit = 0;
    std::uint8_t widened[256] = {};
};

// Copies count 16-bit pixels, clearing bit 15 (see the 16-bit channel order in
// PixelFormat.h).
void copyRgb15(std::uint8_t* out, const std::uint8_t* in, std::size_t count) noexcept;

} // namespace orvane::graphics
