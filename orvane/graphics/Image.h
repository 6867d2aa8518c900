#pragma once

#include "orvane/graphics/Palette.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/object/Pointer.h"

#include <cstdint>

namespace orvane::graphics {

// The engine's in-memory picture: width, height, a pixel format (PixelFormat.h), packed
// rows with row 0 at the top, an optional palette and an optional next image (the next
// mipmap level; each level holds the next, so releasing the head frees the chain).
//
// Pixel memory is made on the first call to pixels() (height x rowBytes bytes, zeroed)
// and kept until the image dies. Width, height and format are fixed at construction;
// rowBytes is width x bytesPerPixel(format), or -1 when that does not fit 32 bits or the
// width or height is negative, in which case the image never has pixel memory.
//
// Code that works on the pixels brackets its use with lock()/unlock() (or sets the
// locked mark itself around pixels()/releasePixels()), so that others can see it is busy.
class Image : public object::Object {
public:
    using ColourPalette = Palette<unsigned char>;

    Image() noexcept = default;
    Image(std::uint32_t format, std::int32_t width, std::int32_t height) noexcept;
    // size: width, then height.
    Image(std::uint32_t format, const std::int32_t size[2]) noexcept;
    // Format and size of other, then copyPixels() and copyPalette() from it. The next
    // level is not copied.
    Image(const Image& other);
    Image& operator=(const Image&) = delete;
    ~Image() override;

    // The pixel memory, made (zeroed) on the first call; null when it cannot be made.
    virtual void* pixels();
    // The same memory, but when this call makes it, it is left uncleared: for decoders
    // that write every byte before anything reads one, to whom clearing would be one more
    // pass over the picture. Concerns this class's own memory, not a subclass's pixels().
    void* pixelsToOverwrite();
    // Ends a use of the pointer that pixels() gave; nothing to do here.
    virtual void releasePixels();
    // Copies the palette's 256 entries into out and answers true, or answers false
    // (out untouched) when the image has no palette.
    virtual bool getPalette(ColourPalette* out) const;
    // Copies the 256 entries of in into the image's palette, making it when needed.
    virtual bool setPalette(const ColourPalette* in);

    // When both images have the same format and yield pixel memory: copies the common
    // top-left part (the smaller height, the smaller row size) and answers true.
    bool copyPixels(const Image* source);
    // When both are indexed (PixelFormat::INDEX8): this image's palette becomes a copy of
    // the source's, or all zeros when the source has none; answers true.
    bool copyPalette(const Image* source);

    // pixels() with the locked mark set / releasePixels() with the mark cleared.
    void* lock();
    void unlock();
    bool isLocked() const noexcept { return locked; }

    std::int32_t getWidth() const noexcept { return width; }
    std::int32_t getHeight() const noexcept { return height; }
    std::int32_t getRowBytes() const noexcept { return rowBytes; }
    std::uint32_t getFormat() const noexcept { return format; }
    // Height x rowBytes: the size of the pixel memory (0 when there can be none).
    std::int64_t pixelBytes() const noexcept;

    // Whether the file the image was decoded from ended before all of its pixels: the
    // missing ones are left as fresh pixel memory has them. Set by the translators.
    bool isTruncated() const noexcept { return truncated; }
    void setTruncated(bool value) noexcept { truncated = value; }

    ColourPalette* palette() const noexcept { return colours.get(); }
    Image* nextLevel() const noexcept { return next.get(); }
    // Holds a reference to level (or none) and lets go of the previous one.
    void setNextLevel(Image* level) noexcept { next = level; }

    types::String getClassName() const override;

private:
    object::Pointer<ColourPalette> colours;
    object::Pointer<Image> next;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowBytes = 0;
    std::uint32_t format = 0;
    unsigned char* memory = nullptr;
    bool locked = false;
    bool truncated = false;

    void* makePixels(bool cleared);
};

} // namespace orvane::graphics
