#include "orvane/graphics/TranslatorGIF.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

namespace orvane::graphics {

namespace {

// giflib's user data: the stream, and what it threw, kept until giflib has been shut
// down (exceptions must not travel through the library's C frames).
struct Source {
    io::InputStream* stream;
    std::exception_ptr failure;
};

// giflib's read function: count bytes, fewer only at the end of the stream (giflib takes
// any short read as an error).
int readBytes(GifFileType* gif, GifByteType* buffer, int count) {
    auto* source = static_cast<Source*>(gif->UserData);
    int done = 0;
    try {
        while (done < count) {
            const int got = source->stream->read(buffer + done, count - done);
            if (got <= 0)
                break;
            done += got;
        }
    } catch (...) {
        source->failure = std::current_exception();
        return 0;
    }
    return done;
}

// Owns the open giflib handle; close() reports whether giflib closed it cleanly.
class GifHandle {
public:
    explicit GifHandle(Source& source) { gif = DGifOpen(&source, readBytes, &error); }
    GifHandle(const GifHandle&) = delete;
    GifHandle& operator=(const GifHandle&) = delete;
    ~GifHandle() { close(); }

    GifFileType* get() const noexcept { return gif; }
    // giflib's error code when opening failed.
    int openError() const noexcept { return error; }
    bool close() noexcept {
        int error = 0;
        const bool closed = !gif || DGifCloseFile(gif, &error) == GIF_OK;
        gif = nullptr;
        return closed;
    }

private:
    GifFileType* gif = nullptr;
    int error = 0;
};

// Raises what the stream threw, or else TranslatorFormatException with giflib's words.
[[noreturn]] void fail(const Source& source, int error) {
    if (source.failure)
        std::rethrow_exception(source.failure);
    const char* text = GifErrorString(error);
    refuse("GIF: %s", text ? text : "unreadable file");
}

void succeed(GifFileType* gif, int status, const Source& source) {
    if (status == GIF_ERROR)
        fail(source, gif->Error);
}

// A colour map's entries, kept: giflib frees an image's local map when it reads the next
// image's descriptor.
using MapCopy = std::vector<GifColorType>;

MapCopy copyOf(const ColorMapObject* map) {
    if (!map || !map->Colors || map->ColorCount <= 0)
        return {};
    return MapCopy(map->Colors, map->Colors + std::min(map->ColorCount, 256));
}

bool sameMap(const ColorMapObject* map, const MapCopy& copy) {
    const MapCopy entries = copyOf(map);
    return entries.size() == copy.size() &&
           std::memcmp(entries.data(), copy.data(), sizeof(GifColorType) * copy.size()) == 0;
}

// The 256 colours of a map as red, green, blue, alpha (opaque); indices the map does not
// reach, and a missing map, give black.
struct Colours {
    std::uint8_t rgba[256][4] = {};

    explicit Colours(const MapCopy& map) {
        for (std::size_t i = 0; i < 256; ++i) {
            if (i < map.size()) {
                rgba[i][0] = map[i].Red;
                rgba[i][1] = map[i].Green;
                rgba[i][2] = map[i].Blue;
            }
            rgba[i][3] = 0xFF;
        }
    }
};

// What a graphic control extension says about the image that follows it.
struct Control {
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparent = NO_TRANSPARENT_COLOR; // the index that leaves what lies below
};

// The part of the screen an image covers: columns left to right, rows top to bottom (both
// ends exclusive), clipped to the screen.
struct Area {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    bool empty() const { return right <= left || bottom <= top; }
};

// The picture being drawn: the last frame of the file as an animation shows it. Each image
// is drawn over what the previous ones left, after the previous image's disposal (kept,
// its area made transparent, or its area put back as it was before it); the last image's
// own disposal has not happened yet. Pixels of an image's transparent index leave what
// lies below; the first image's keep their colour and become transparent, and the screen
// outside it is the background colour, transparent when that first image has a
// transparent index (as a lone transparent image reads). A transparent pixel drawn over a
// transparent one leaves nothing: transparent black.
//
// The canvas is indexed while every image uses one colour map and no pixel is transparent,
// and is turned into red, green, blue, alpha at the first image whose map differs or the
// first transparent pixel, so that each image keeps its own colours.
class Canvas {
public:
    explicit Canvas(const GifFileType* gif)
        : indexed(allocateImage(PixelFormat::INDEX8, gif->SWidth, gif->SHeight))
        , screen{0, 0, gif->SWidth, gif->SHeight}
        , background(std::uint8_t(gif->SBackGroundColor & 0xFF)) {
        if (background != 0) // fresh pixel memory is already zero
            std::memset(indexed->pixels(), background, std::size_t(indexed->pixelBytes()));
    }

    // Makes ready for an image drawn with map (its local map, else the global one) into
    // area, once the previous image has been disposed of.
    void beginImage(const ColorMapObject* map, const Area& area, const Control& control) {
        dispose();
        first = images++ == 0;
        if (first) {
            canvasMap = copyOf(map);
            startTransparent = control.transparent >= 0;
            if (startTransparent && !coversScreen(area))
                toColour(NO_TRANSPARENT_COLOR, true);
        } else if (!rgba && !sameMap(map, canvasMap)) {
            toColour(NO_TRANSPARENT_COLOR, false);
        }
        if (rgba)
            colours = std::make_unique<Colours>(copyOf(map));
        // The first image's previous content is the plain screen: nothing to keep.
        if (!first && control.disposal == DISPOSE_PREVIOUS && !area.empty())
            saved = copyArea(area);
        current = area;
        key = control.transparent;
        disposal = control.disposal;
        keySeen = false;
    }

    // Draws the visible part of one image row on screen row y: indices hold the image's
    // pixels from the area's left edge on.
    void drawRow(int y, const std::uint8_t* indices) {
        const std::size_t count = std::size_t(current.width());
        if (!rgba) {
            std::uint8_t* out = indexRow(y) + current.left;
            if (key < 0 || first) {
                std::memcpy(out, indices, count);
                keySeen = keySeen || (key >= 0 && std::memchr(indices, key, count));
            } else {
                for (std::size_t i = 0; i < count; ++i)
                    if (indices[i] != key)
                        out[i] = indices[i];
            }
            return;
        }
        std::uint8_t* out = colourRow(y) + 4 * std::size_t(current.left);
        for (std::size_t i = 0; i < count; ++i, out += 4) {
            const std::uint8_t index = indices[i];
            if (index != key) {
                std::memcpy(out, colours->rgba[index], 4);
            } else if (first) {
                std::memcpy(out, colours->rgba[index], 3);
                out[3] = 0;
            } else if (out[3] == 0) {
                std::memset(out, 0, 4);
            }
        }
    }

    void endImage() {
        if (first && !rgba && keySeen)
            toColour(key, false);
        pending = {current, disposal, first};
    }

    // The finished picture; the indexed one carries the last image's map (or the global
    // map) as its palette.
    Image* release(const ColorMapObject* paletteMap) {
        if (rgba)
            return rgba.release();
        if (paletteMap && paletteMap->Colors) {
            Image::ColourPalette palette;
            const int count = std::clamp(paletteMap->ColorCount, 0, Image::ColourPalette::ENTRIES);
            for (int i = 0; i < count; ++i)
                palette.set(i, paletteMap->Colors[i].Red, paletteMap->Colors[i].Green,
                            paletteMap->Colors[i].Blue, 0);
            indexed->setPalette(&palette);
        }
        return indexed.release();
    }

    int imageCount() const { return images; }

private:
    struct Disposal {
        Area area;
        int mode = DISPOSAL_UNSPECIFIED;
        bool firstImage = false;
    };

    Image& canvas() const { return rgba ? *rgba : *indexed; }

    std::uint8_t* indexRow(int y) const {
        return static_cast<std::uint8_t*>(indexed->pixels()) +
               std::size_t(y) * std::size_t(indexed->getRowBytes());
    }
    std::uint8_t* colourRow(int y) const {
        return static_cast<std::uint8_t*>(rgba->pixels()) +
               std::size_t(y) * std::size_t(rgba->getRowBytes());
    }

    bool coversScreen(const Area& area) const {
        return area.left == 0 && area.top == 0 && area.right == screen.right &&
               area.bottom == screen.bottom;
    }

    // The screen as it was before the first image: the background colour, transparent when
    // the first image has a transparent index.
    void fillStart(const Area& area) {
        std::uint8_t start[4];
        std::memcpy(start, Colours(canvasMap).rgba[background], 4);
        start[3] = startTransparent ? 0 : 0xFF;
        for (int y = area.top; y < area.bottom; ++y) {
            if (!rgba) {
                std::memset(indexRow(y) + area.left, background, std::size_t(area.width()));
                continue;
            }
            std::uint8_t* out = colourRow(y) + 4 * std::size_t(area.left);
            for (int x = 0; x < area.width(); ++x, out += 4)
                std::memcpy(out, start, 4);
        }
    }

    // Undoes what the previous image left, as its disposal asks, before the next is drawn.
    void dispose() {
        const Disposal done = pending;
        pending = {};
        if (done.area.empty())
            return;
        if (done.mode == DISPOSE_BACKGROUND) {
            // The area becomes transparent; its colours stay as they were.
            if (!rgba)
                toColour(NO_TRANSPARENT_COLOR, false);
            for (int y = done.area.top; y < done.area.bottom; ++y) {
                std::uint8_t* out = colourRow(y) + 4 * std::size_t(done.area.left);
                for (int x = 0; x < done.area.width(); ++x)
                    out[4 * x + 3] = 0;
            }
        } else if (done.mode == DISPOSE_PREVIOUS) {
            if (done.firstImage)
                fillStart(done.area);
            else if (saved)
                putArea(done.area, *saved);
        }
        saved.reset();
    }

    ImageHolder copyArea(const Area& area) const {
        const Image& from = canvas();
        const std::size_t size = std::size_t(bytesPerPixel(from.getFormat()));
        ImageHolder copy = allocateImage(from.getFormat(), area.width(), area.bottom - area.top,
                                         PixelMemory::UNCLEARED);
        auto* out = static_cast<std::uint8_t*>(copy->pixels());
        for (int y = area.top; y < area.bottom; ++y, out += copy->getRowBytes())
            std::memcpy(out, (rgba ? colourRow(y) : indexRow(y)) + size * std::size_t(area.left),
                        std::size_t(copy->getRowBytes()));
        return copy;
    }

    // Puts back an area kept by copyArea(); the canvas has not changed its format since.
    void putArea(const Area& area, Image& copy) const {
        const std::size_t size = std::size_t(bytesPerPixel(copy.getFormat()));
        const auto* in = static_cast<const std::uint8_t*>(copy.pixels());
        for (int y = area.top; y < area.bottom; ++y, in += copy.getRowBytes())
            std::memcpy((rgba ? colourRow(y) : indexRow(y)) + size * std::size_t(area.left), in,
                        std::size_t(copy.getRowBytes()));
    }

    // Turns the indexed canvas into red, green, blue, alpha through the map it was drawn
    // with: every pixel transparent (clear), or those of index key, or none. Never called
    // while an area is kept for DISPOSE_PREVIOUS: that is copied after any change of format.
    void toColour(int transparentKey, bool clear) {
        rgba = allocateImage(PixelFormat::RGBA32, indexed->getWidth(), indexed->getHeight(),
                             PixelMemory::UNCLEARED);
        const Colours shared(canvasMap);
        const auto* in = static_cast<const std::uint8_t*>(indexed->pixels());
        auto* out = static_cast<std::uint8_t*>(rgba->pixels());
        const std::size_t count = std::size_t(indexed->pixelBytes());
        for (std::size_t i = 0; i < count; ++i, out += 4) {
            std::memcpy(out, shared.rgba[in[i]], 4);
            if (clear || in[i] == transparentKey)
                out[3] = 0;
        }
        indexed.reset();
    }

    ImageHolder indexed;
    ImageHolder rgba;
    MapCopy canvasMap;                // the map the indexed canvas is drawn with
    std::unique_ptr<Colours> colours; // the current image's, once drawing in colour
    Area screen;
    std::uint8_t background;
    bool startTransparent = false;
    int images = 0;
    // The image being drawn.
    Area current;
    int key = NO_TRANSPARENT_COLOR;
    int disposal = DISPOSAL_UNSPECIFIED;
    bool first = false;
    bool keySeen = false; // a pixel of the first image's transparent index was drawn
    // The last image's disposal, done when the next image begins.
    Disposal pending;
    ImageHolder saved; // what the last image covered, for DISPOSE_PREVIOUS
};

// Reads the current image's rows into the canvas. An image may reach past the screen's
// edges: only the part on the screen is drawn, as other decoders clip it.
void readImage(GifFileType* gif, Canvas& canvas, const Control& control, const Source& source) {
    const GifImageDesc& desc = gif->Image;
    if (desc.Left < 0 || desc.Top < 0 || desc.Width < 0 || desc.Height < 0)
        refuse("GIF: image of %d x %d at (%d, %d)", desc.Width, desc.Height, desc.Left, desc.Top);
    auto clip = [](std::int64_t at, int limit) { return int(std::min<std::int64_t>(at, limit)); };
    const Area visible{clip(desc.Left, gif->SWidth), clip(desc.Top, gif->SHeight),
                       clip(std::int64_t(desc.Left) + desc.Width, gif->SWidth),
                       clip(std::int64_t(desc.Top) + desc.Height, gif->SHeight)};
    canvas.beginImage(desc.ColorMap ? desc.ColorMap : gif->SColorMap, visible, control);
    if (desc.Width == 0 || desc.Height == 0) {
        // No rows to ask for, so giflib would not read past the image's (empty) data.
        int codeSize = 0;
        GifByteType* block = nullptr;
        succeed(gif, DGifGetCode(gif, &codeSize, &block), source);
        while (block)
            succeed(gif, DGifGetCodeNext(gif, &block), source);
        canvas.endImage();
        return;
    }
    std::vector<GifByteType> line(std::size_t(desc.Width));
    auto readRow = [&](int row) {
        succeed(gif, DGifGetLine(gif, line.data(), desc.Width), source);
        const std::int64_t y = std::int64_t(desc.Top) + row;
        if (!visible.empty() && y < visible.bottom)
            canvas.drawRow(int(y), line.data());
    };
    if (!desc.Interlace) {
        for (int row = 0; row < desc.Height; ++row)
            readRow(row);
    } else {
        static constexpr int passStart[4] = {0, 4, 2, 1};
        static constexpr int passStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = passStart[pass]; row < desc.Height; row += passStep[pass])
                readRow(row);
    }
    canvas.endImage();
}

// Reads past an extension; a graphic control extension says how the next image is drawn.
void readExtension(GifFileType* gif, Control& control, const Source& source) {
    int code = 0;
    GifByteType* block = nullptr;
    succeed(gif, DGifGetExtension(gif, &code, &block), source);
    GraphicsControlBlock graphics{};
    if (code == GRAPHICS_EXT_FUNC_CODE && block &&
        DGifExtensionToGCB(block[0], block + 1, &graphics) == GIF_OK) {
        control.disposal = graphics.DisposalMode;
        control.transparent = graphics.TransparentColor;
    }
    while (block)
        succeed(gif, DGifGetExtensionNext(gif, &block), source);
}

} // namespace

Image* TranslatorGIF::translate(io::InputStream* stream, int) {
    Source source{stream, nullptr};
    GifHandle handle(source);
    GifFileType* gif = handle.get();
    if (!gif)
        fail(source, handle.openError());

    Canvas canvas(gif);
    Control control; // from the graphic control extension before the next image
    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != TERMINATE_RECORD_TYPE;) {
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) {
            // Writers that leave out the trailer end the file right after the last image's
            // data: what was read is complete.
            if (gif->Error == D_GIF_ERR_READ_FAILED && !source.failure && canvas.imageCount() > 0)
                break;
            fail(source, gif->Error);
        }
        if (record == IMAGE_DESC_RECORD_TYPE) {
            succeed(gif, DGifGetImageDesc(gif), source);
            readImage(gif, canvas, control, source);
            control = Control{};
        } else if (record == EXTENSION_RECORD_TYPE) {
            readExtension(gif, control, source);
        }
    }
    ImageHolder image(canvas.release(
        canvas.imageCount() > 0 && gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap));
    if (!handle.close())
        refuse("GIF: the file could not be closed cleanly");
    return image.release();
}

int TranslatorGIF::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorGIF::identify(io::File* file) {
    std::uint8_t magic[4];
    return probe(file, magic, 4) && readLittle32(magic) == 0x38464947;
}

types::String TranslatorGIF::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorGIF");
}

} // namespace orvane::graphics
