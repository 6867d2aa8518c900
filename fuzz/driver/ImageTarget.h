#pragma once

// The body shared by the image translator fuzz targets: recognise and decode one input
// held in memory. Malformed input may only end in the two translator exceptions; anything
// else escapes and is reported, and a decoded image is read through completely so that
// the sanitizers see every byte of it.

#include "orvane/graphics/Image.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/Translator.h"
#include "orvane/io/TranslatorException.h"

#include <cstdint>
#include <cstdlib>

namespace orvane::fuzz {

// Reads the image's pixels (the first and last MiB of large ones: reading hundreds of
// megabytes of a claimed-huge image on every run would starve the fuzzer) and its palette.
inline void checkImage(graphics::Image& image) {
    const auto* pixels = static_cast<const std::uint8_t*>(image.pixels());
    if (!pixels)
        std::abort();
    constexpr std::int64_t window = 1 << 20;
    const std::int64_t bytes = image.pixelBytes();
    unsigned sum = 0;
    for (std::int64_t i = 0; i < bytes; ++i) {
        if (i == window && bytes > 2 * window)
            i = bytes - window;
        sum += pixels[i];
    }
    if (auto* palette = image.palette())
        sum += palette->entry(255)[3];
    // Keeps the reads from being optimised away.
    asm volatile("" : : "r"(sum));
}

// Formats whose decoding work follows the size a header claims rather than the bytes
// present (a GIF canvas is filled, DDS levels are made whole) would spend every run on a
// few hundred megabytes of memory a 20-byte input can ask for, and the fuzzer would crawl.
// Their targets skip claims above this many pixels; the cap itself is a unit test's job.
constexpr std::uint64_t FUZZ_PIXEL_LIMIT = 1 << 22;

inline std::uint64_t readLittle(const std::uint8_t* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

inline int decodeImage(io::Translator<graphics::Image>& translator, const std::uint8_t* data,
                       std::size_t size) {
    io::MemoryFile file(data, size);
    translator.identify(&file);
    if (file.position() != 0)
        std::abort(); // identify must put the file back
    try {
        graphics::Image* image = translator.translate(file.getInputStream(), -1);
        if (image) {
            checkImage(*image);
            image->release();
        }
    } catch (const io::TranslatorFormatException&) {
    } catch (const io::TranslatorMemoryException&) {
    }
    return 0;
}

} // namespace orvane::fuzz
