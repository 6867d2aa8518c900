#include "orvane/graphics/TranslatorGIF.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <exception>

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
    explicit GifHandle(Source& source) {
        int error = 0;
        gif = DGifOpen(&source, readBytes, &error);
    }
    GifHandle(const GifHandle&) = delete;
    GifHandle& operator=(const GifHandle&) = delete;
    ~GifHandle() { close(); }

    GifFileType* get() const noexcept { return gif; }
    bool close() noexcept {
        int error = 0;
        const bool closed = !gif || DGifCloseFile(gif, &error) == GIF_OK;
        gif = nullptr;
        return closed;
    }

private:
    GifFileType* gif = nullptr;
};

// Raises what the stream threw, or else TranslatorFormatException.
[[noreturn]] void fail(const Source& source) {
    if (source.failure)
        std::rethrow_exception(source.failure);
    throw io::TranslatorFormatException();
}

void succeed(int status, const Source& source) {
    if (status == GIF_ERROR)
        fail(source);
}

// Reads the current image's rows into the canvas.
void readImage(GifFileType* gif, Image& canvas, const Source& source) {
    const GifImageDesc& desc = gif->Image;
    if (desc.Left < 0 || desc.Top < 0 || desc.Width < 0 || desc.Height < 0 ||
        std::int64_t(desc.Left) + desc.Width > gif->SWidth ||
        std::int64_t(desc.Top) + desc.Height > gif->SHeight)
        throw io::TranslatorFormatException();
    if (desc.Width == 0 || desc.Height == 0) {
        // No rows to ask for, so giflib would not read past the image's (empty) data.
        int codeSize = 0;
        GifByteType* block = nullptr;
        succeed(DGifGetCode(gif, &codeSize, &block), source);
        while (block)
            succeed(DGifGetCodeNext(gif, &block), source);
        return;
    }
    auto* pixels = static_cast<std::uint8_t*>(canvas.pixels());
    auto readRow = [&](int row) {
        GifPixelType* out = pixels +
                            std::size_t(desc.Top + row) * std::size_t(canvas.getRowBytes()) +
                            std::size_t(desc.Left);
        succeed(DGifGetLine(gif, out, desc.Width), source);
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
    succeed(DGifGetExtension(gif, &code, &block), source);
    while (block)
        succeed(DGifGetExtensionNext(gif, &block), source);
}

void setPalette(Image& canvas, const ColorMapObject* map) {
    if (!map || !map->Colors)
        return;
    Image::ColourPalette palette;
    const int count = std::clamp(map->ColorCount, 0, Image::ColourPalette::ENTRIES);
    for (int i = 0; i < count; ++i)
        palette.set(i, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue, 0);
    canvas.setPalette(&palette);
}

} // namespace

Image* TranslatorGIF::translate(io::InputStream* stream, int) {
    Source source{stream, nullptr};
    GifHandle handle(source);
    GifFileType* gif = handle.get();
    if (!gif)
        fail(source);

    ImageHolder canvas = allocateImage(PixelFormat::INDEX8, gif->SWidth, gif->SHeight);
    canvas->lock();
    const int background = gif->SBackGroundColor & 0xFF;
    if (background != 0) // fresh pixel memory is already zero
        std::memset(canvas->pixels(), background, std::size_t(canvas->pixelBytes()));
    bool images = false;
    for (GifRecordType record = UNDEFINED_RECORD_TYPE; record != TERMINATE_RECORD_TYPE;) {
        succeed(DGifGetRecordType(gif, &record), source);
        if (record == IMAGE_DESC_RECORD_TYPE) {
            succeed(DGifGetImageDesc(gif), source);
            readImage(gif, *canvas, source);
            images = true;
        } else if (record == EXTENSION_RECORD_TYPE) {
            skipExtension(gif, source);
        }
    }
    canvas->unlock();
    setPalette(*canvas, images && gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap);
    if (!handle.close())
        throw io::TranslatorFormatException();
    return canvas.release();
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
