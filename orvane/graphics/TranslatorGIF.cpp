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

    void paint(std::uint8_t* out, const std::uint8_t* indices, std::size_t count) const {
        for (std::size_t i = 0; i < count; ++i)
            std::memcpy(out + 4 * i, rgba[indices[i]], 4);
    }
};

// The picture being drawn: an indexed canvas while every image of the file uses one colour
// map, turned into red, green, blue, alpha at the first image whose map differs, so that
// each image's pixels keep their own colours.
class Canvas {
public:
    Canvas(const GifFileType* gif)
        : indexed(allocateImage(PixelFormat::INDEX8, gif->SWidth, gif->SHeight)) {
        const int background = gif->SBackGroundColor & 0xFF;
        if (background != 0) // fresh pixel memory is already zero
            std::memset(indexed->pixels(), background, std::size_t(indexed->pixelBytes()));
    }

    // Makes ready for an image drawn with map (its local map, else the global one).
    void beginImage(const ColorMapObject* map, int width) {
        if (!images++) {
            canvasMap = copyOf(map);
        } else if (!rgba && !sameMap(map, canvasMap)) {
            toColour();
        }
        if (rgba) {
            colours = std::make_unique<Colours>(copyOf(map));
            line.resize(std::size_t(width));
        }
    }

    // Where giflib writes the pixels of an image row starting at (left, y).
    std::uint8_t* rowTarget(int left, int y) {
        if (rgba)
            return line.data();
        return static_cast<std::uint8_t*>(indexed->pixels()) +
               std::size_t(y) * std::size_t(indexed->getRowBytes()) + std::size_t(left);
    }

    // Called once giflib has filled rowTarget(left, y) with count pixels.
    void endRow(int left, int y, int count) {
        if (!rgba)
            return;
        auto* out = static_cast<std::uint8_t*>(rgba->pixels()) +
                    std::size_t(y) * std::size_t(rgba->getRowBytes()) + 4 * std::size_t(left);
        colours->paint(out, line.data(), std::size_t(count));
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
    void toColour() {
        rgba = allocateImage(PixelFormat::RGBA32, indexed->getWidth(), indexed->getHeight(),
                             PixelMemory::UNCLEARED);
        const Colours shared(canvasMap);
        shared.paint(static_cast<std::uint8_t*>(rgba->pixels()),
                     static_cast<const std::uint8_t*>(indexed->pixels()),
                     std::size_t(indexed->pixelBytes()));
        indexed.reset();
    }

    ImageHolder indexed;
    ImageHolder rgba;
    MapCopy canvasMap;                // the map the indexed canvas is drawn with
    std::unique_ptr<Colours> colours; // the current image's, once drawing in colour
    std::vector<std::uint8_t> line;
    int images = 0;
};

// Reads the current image's rows into the canvas.
void readImage(GifFileType* gif, Canvas& canvas, const Source& source) {
    const GifImageDesc& desc = gif->Image;
    if (desc.Left < 0 || desc.Top < 0 || desc.Width < 0 || desc.Height < 0 ||
        std::int64_t(desc.Left) + desc.Width > gif->SWidth ||
        std::int64_t(desc.Top) + desc.Height > gif->SHeight)
        refuse("GIF: image of %d x %d at (%d, %d) reaches outside the %d x %d screen", desc.Width,
               desc.Height, desc.Left, desc.Top, gif->SWidth, gif->SHeight);
    canvas.beginImage(desc.ColorMap ? desc.ColorMap : gif->SColorMap, desc.Width);
    if (desc.Width == 0 || desc.Height == 0) {
        // No rows to ask for, so giflib would not read past the image's (empty) data.
        int codeSize = 0;
        GifByteType* block = nullptr;
        succeed(gif, DGifGetCode(gif, &codeSize, &block), source);
        while (block)
            succeed(gif, DGifGetCodeNext(gif, &block), source);
        return;
    }
    auto readRow = [&](int row) {
        const int y = desc.Top + row;
        succeed(gif, DGifGetLine(gif, canvas.rowTarget(desc.Left, y), desc.Width), source);
        canvas.endRow(desc.Left, y, desc.Width);
    };
    if (!desc.Interlace) {
        for (int row = 0; row < desc.Height; ++row)
            readRow(row);
        return;
    }
    static constexpr int passStart[4] = {0, 4, 2, 1};
    static constexpr int passStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = passStart[pass]; row < desc.Height; row += passStep[pass])
            readRow(row);
}

void skipExtension(GifFileType* gif, const Source& source) {
    int code = 0;
    GifByteType* block = nullptr;
    succeed(gif, DGifGetExtension(gif, &code, &block), source);
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
            readImage(gif, canvas, source);
        } else if (record == EXTENSION_RECORD_TYPE) {
            skipExtension(gif, source);
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
