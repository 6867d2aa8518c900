#include "orvane/graphics/TranslatorJPG.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/io/TranslatorException.h"

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace orvane::graphics {

namespace {

constexpr int inputBufferBytes = 16384;
constexpr int maximumScans = 500;
// libjpeg's whole-image buffers (progressive and multi-scan files keep every coefficient,
// 2 bytes a sample) are bounded by this; beyond it libjpeg fails instead of allocating.
constexpr long maximumWorkingMemory = long(2 * MAXIMUM_IMAGE_BYTES + (64 << 20));

// Everything libjpeg works with during one translate(). libjpeg's errors longjmp back to
// the guarded() call that is running: no object with a destructor may live in the frames
// between (the library's and this file's callbacks), so what such objects there are live
// here, outside them.
struct Session {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    jpeg_source_mgr source{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    io::InputStream* stream = nullptr;
    bool startOfFile = false;
    bool cutShort = false;              // the data ended before the picture did
    char message[JMSG_LENGTH_MAX] = {}; // libjpeg's words for the error that stopped it
    std::exception_ptr failure; // what the stream threw, raised once libjpeg is out of the way
    JOCTET buffer[inputBufferBytes];
};

Session& sessionOf(j_common_ptr cinfo) {
    return *static_cast<Session*>(cinfo->client_data);
}
Session& sessionOf(j_decompress_ptr cinfo) {
    return *static_cast<Session*>(cinfo->client_data);
}

void errorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    (*cinfo->err->format_message)(cinfo, sessionOf(cinfo).message);
    std::longjmp(sessionOf(cinfo).jump, 1);
}

void initSource(j_decompress_ptr cinfo) {
    sessionOf(cinfo).startOfFile = true;
}

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    Session& session = sessionOf(cinfo);
    int got = 0;
    bool failed = false;
    try {
        got = session.stream->read(session.buffer, inputBufferBytes);
    } catch (...) {
        session.failure = std::current_exception();
        failed = true;
    }
    // Outside the handler: a jump out of a catch block would skip the exception's end.
    if (failed)
        ERREXIT(cinfo, JERR_FILE_READ);
    if (got <= 0) {
        if (session.startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A truncated file: a fake end-of-image marker lets libjpeg finish what it has.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        session.cutShort = true;
        session.buffer[0] = 0xFF;
        session.buffer[1] = JPEG_EOI;
        got = 2;
    }
    session.source.next_input_byte = session.buffer;
    session.source.bytes_in_buffer = std::size_t(got);
    session.startOfFile = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr& source = sessionOf(cinfo).source;
    while (count > long(source.bytes_in_buffer)) {
        count -= long(source.bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    source.next_input_byte += count;
    source.bytes_in_buffer -= std::size_t(count);
}

void termSource(j_decompress_ptr) {}

// Called by libjpeg as it consumes input; stops files that pile up scans, each of which
// costs a pass over the whole picture.
void watchScans(j_common_ptr cinfo) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > maximumScans) {
        std::snprintf(sessionOf(cinfo).message, JMSG_LENGTH_MAX, "more than %d scans",
                      maximumScans);
        std::longjmp(sessionOf(cinfo).jump, 1);
    }
}

// Runs step with the session's jump target set; false when libjpeg's error exit jumped
// back. step must not hold objects with destructors.
template <class Step>
bool guarded(Session& session, const Step& step) {
    if (setjmp(session.jump))
        return false;
    step();
    return true;
}

// Raises what stopped libjpeg: the stream's own exception, the memory exception for
// exhausted or refused memory, the format exception for everything else (too many scans
// included).
[[noreturn]] void fail(const Session& session) {
    if (session.failure)
        std::rethrow_exception(session.failure);
    const int code = session.errors.msg_code;
    char detail[JMSG_LENGTH_MAX + 8];
    std::snprintf(detail, sizeof detail, "JPEG: %s", session.message);
    if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE)
        object::raiseWithDetail(io::TranslatorMemoryException(), detail);
    object::raiseWithDetail(io::TranslatorFormatException(), detail);
}

// Ink to light: CMYK samples as Adobe writes them, inverted (255 is no ink), to red, green,
// blue. Files without Adobe's marker are read the same way, as other decoders read them:
// CMYK encoders write inverted samples whether or not they write the marker, and taking
// them for plain ink amounts turns such a picture into its negative.
void cmykToRgb(std::uint8_t* out, const JSAMPLE* in, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, in += 4, out += 3) {
        const unsigned k = in[3];
        for (int c = 0; c < 3; ++c)
            out[c] = std::uint8_t((in[c] * k + 127) / 255);
    }
}

// Reads the rows of a CMYK (or YCCK, which libjpeg turns into CMYK) picture one at a time
// through a row buffer, turning each into red, green, blue. Answers false when libjpeg
// stalled.
bool readInkRows(Session& session, Image& image, JSAMPLE* buffer) {
    jpeg_decompress_struct& cinfo = session.cinfo;
    auto* pixels = static_cast<std::uint8_t*>(image.pixels());
    JSAMPROW row[1] = {buffer};
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION y = cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, row, 1) == 0)
            return false;
        cmykToRgb(pixels + std::size_t(y) * std::size_t(image.getRowBytes()), buffer,
                  cinfo.output_width);
    }
    return true;
}

// Owns a Session with its libjpeg decompressor made, and destroys both.
class Decompressor {
public:
    explicit Decompressor(io::InputStream* stream)
        : session(new (std::nothrow) Session) {
        if (!session)
            throw io::TranslatorMemoryException();
        Session& s = *session;
        s.stream = stream;
        s.cinfo.err = jpeg_std_error(&s.errors);
        s.errors.error_exit = errorExit;
        s.cinfo.client_data = &s;
        if (!guarded(s, [&] { jpeg_create_decompress(&s.cinfo); })) {
            jpeg_destroy_decompress(&s.cinfo); // what was made before the failure
            fail(s);
        }
        s.cinfo.mem->max_memory_to_use = maximumWorkingMemory;
        s.source.init_source = initSource;
        s.source.fill_input_buffer = fillInputBuffer;
        s.source.skip_input_data = skipInputData;
        s.source.resync_to_restart = jpeg_resync_to_restart;
        s.source.term_source = termSource;
        s.source.next_input_byte = nullptr;
        s.source.bytes_in_buffer = 0;
        s.cinfo.src = &s.source;
        s.progress.progress_monitor = watchScans;
        s.cinfo.progress = &s.progress;
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor() { jpeg_destroy_decompress(&session->cinfo); }

    Session& operator*() const noexcept { return *session; }

private:
    std::unique_ptr<Session> session;
};

} // namespace

Image* TranslatorJPG::translate(io::InputStream* stream, int) {
    Decompressor decompressor(stream);
    Session& session = *decompressor;
    jpeg_decompress_struct& cinfo = session.cinfo;

    bool ink = false;
    if (!guarded(session, [&] {
            jpeg_read_header(&cinfo, TRUE);
            ink = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
            cinfo.out_color_space = ink ? JCS_CMYK : JCS_RGB;
            jpeg_calc_output_dimensions(&cinfo);
        }))
        fail(session);
    // Checked before libjpeg allocates anything of the picture's size.
    const std::int64_t width = cinfo.output_width;
    const std::int64_t height = cinfo.output_height;
    if (width * height * 3 > MAXIMUM_IMAGE_BYTES)
        object::raiseWithDetail(io::TranslatorMemoryException(), "JPEG: picture too large");
    if (!guarded(session, [&] { jpeg_start_decompress(&cinfo); }))
        fail(session);
    if (cinfo.output_components != (ink ? 4 : 3))
        refuse("JPEG: %d colour components", cinfo.output_components);

    // libjpeg writes every row (a truncated file's missing ones too) or fails.
    ImageHolder image = allocateImage(PixelFormat::RGB24, width, height, PixelMemory::UNCLEARED);
    auto* pixels = static_cast<JSAMPLE*>(image->lock());
    std::unique_ptr<JSAMPROW[]> rows(new (std::nothrow) JSAMPROW[std::size_t(height) + 1]);
    std::unique_ptr<JSAMPLE[]> inkRow(ink ? new (std::nothrow) JSAMPLE[std::size_t(width) * 4]
                                          : nullptr);
    if (!rows || (ink && !inkRow))
        throw io::TranslatorMemoryException();
    for (std::int64_t row = 0; row < height; ++row)
        rows[std::size_t(row)] = pixels + row * image->getRowBytes();

    bool stalled = false;
    if (!guarded(session, [&] {
            if (ink)
                stalled = !readInkRows(session, *image, inkRow.get());
            while (cinfo.output_scanline < cinfo.output_height && !stalled)
                stalled = jpeg_read_scanlines(&cinfo, rows.get() + cinfo.output_scanline,
                                              cinfo.output_height - cinfo.output_scanline) == 0;
            if (!stalled)
                jpeg_finish_decompress(&cinfo);
        }))
        fail(session);
    if (stalled)
        refuse("JPEG: the decoder stalled");
    image->unlock();
    image->setTruncated(session.cutShort);
    return image.release();
}

int TranslatorJPG::write(const Image*, io::OutputStream*) {
    return 0;
}

bool TranslatorJPG::identify(io::File* file) {
    std::uint8_t start[3];
    return probe(file, start, 3) && start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF;
}

types::String TranslatorJPG::getClassName() const {
    return object::classPath(Translator::getClassName(), ":TranslatorJPG");
}

} // namespace orvane::graphics
