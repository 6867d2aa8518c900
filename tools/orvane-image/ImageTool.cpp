#include "tools/orvane-image/ImageTool.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/graphics/TranslatorRoster.h"
#include "orvane/io/SystemError.h"
#include "orvane/io/SystemFile.h"
#include "orvane/io/TranslatorException.h"
#include "tools/orvane-image/PamRows.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace orvane::tools {

namespace {

constexpr const char* usage = "usage: orvane-image info FILE...\n"
                              "       orvane-image pam FILE OUT.pam\n";

struct Decoded {
    std::string translator;
    graphics::ImageHolder image; // null when the format yields no image
};

std::string shortName(const object::Object& object) {
    const std::string path = object.getClassName().cString();
    return path.substr(path.rfind(':') + 1);
}

// Reads a file the way the engine's texture loading does: open, ask the roster, decode.
Decoded decodeFile(graphics::TranslatorRoster& roster, const char* name) {
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open(name, io::SystemFile::MODE_READ));
    io::Translator<graphics::Image>* translator = roster.findTranslator(file.get());
    if (!translator)
        object::raiseWithDetail(io::TranslatorFormatException(),
                                "not in any image format the engine reads");
    return {shortName(*translator),
            graphics::ImageHolder(translator->translate(file->getInputStream(), -1))};
}

void report(std::FILE* out, const char* name, const Decoded& decoded) {
    if (!decoded.image) {
        std::fprintf(out, "%s: %s no image\n", name, decoded.translator.c_str());
        return;
    }
    const graphics::Image& image = *decoded.image;
    int levels = 0;
    for (const graphics::Image* level = &image; level; level = level->nextLevel())
        ++levels;
    std::fprintf(out, "%s: %s format=0x%08X width=%d height=%d palette=%s levels=%d%s\n", name,
                 decoded.translator.c_str(), unsigned(image.getFormat()), image.getWidth(),
                 image.getHeight(), image.palette() ? "yes" : "no", levels,
                 image.isTruncated() ? " truncated" : "");
}

void writeAll(io::SystemFile& file, const void* bytes, std::size_t count) {
    if (file.write(bytes, int(count)) != int(count))
        io::raiseError(io::ErrorCode::WRITE_FAULT, "the output could not be written in full");
}

// Rows are converted and written a few at a time, so that the output never needs memory
// of the picture's size on top of the decoded image.
void writePam(const Decoded& decoded, const char* input, const char* output) {
    if (!decoded.image)
        throw ConversionException((decoded.translator + " yields no image for " + input).c_str());
    PamRows rows(*decoded.image);
    auto file = object::Pointer<io::SystemFile>::adopt(io::SystemFile::create(output));
    const std::string header = rows.header();
    writeAll(*file, header.data(), header.size());
    constexpr std::size_t chunkBytes = 1 << 20;
    const std::size_t rowBytes = rows.rowBytes();
    const std::size_t rowsAtOnce =
        std::max<std::size_t>(1, chunkBytes / std::max<std::size_t>(rowBytes, 1));
    std::vector<std::uint8_t> chunk(rowsAtOnce * rowBytes);
    for (int y = 0; y < rows.height();) {
        std::size_t filled = 0;
        for (; filled < rowsAtOnce && y < rows.height(); ++filled, ++y)
            rows.convertRow(y, chunk.data() + filled * rowBytes);
        writeAll(*file, chunk.data(), filled * rowBytes);
    }
    file->close();
}

// "FILE: Class: message", with the exception's detail when it has one: instead of a
// message that only repeats the class's name, otherwise after the message.
void reportFailure(std::FILE* err, const char* name, const object::Exception& e) {
    const std::string className = e.getName().cString();
    const std::string message = e.getMessage().cString();
    const std::string detail = e.getDetail().cString();
    if (detail.empty())
        std::fprintf(err, "%s: %s: %s\n", name, className.c_str(), message.c_str());
    else if (message == className)
        std::fprintf(err, "%s: %s: %s\n", name, className.c_str(), detail.c_str());
    else
        std::fprintf(err, "%s: %s: %s (%s)\n", name, className.c_str(), message.c_str(),
                     detail.c_str());
}

// Runs one file's work, turning its failure into a line on err; answers whether it worked.
template <class Work>
bool attempt(std::FILE* err, const char* name, Work work) {
    try {
        work();
        return true;
    } catch (const object::Exception& e) {
        reportFailure(err, name, e);
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s: out of memory\n", name);
    }
    return false;
}

} // namespace

int runImageTool(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    const char* command = argc > 1 ? argv[1] : "";
    graphics::TranslatorRoster roster;
    if (std::strcmp(command, "info") == 0 && argc > 2) {
        bool allWorked = true;
        for (int i = 2; i < argc; ++i)
            allWorked &=
                attempt(err, argv[i], [&] { report(out, argv[i], decodeFile(roster, argv[i])); });
        return allWorked ? 0 : 1;
    }
    if (std::strcmp(command, "pam") == 0 && argc == 4)
        return attempt(err, argv[2],
                       [&] { writePam(decodeFile(roster, argv[2]), argv[2], argv[3]); })
                   ? 0
                   : 1;
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
        std::fputs(usage, out);
        return 0;
    }
    std::fputs(usage, err);
    return 2;
}

} // namespace orvane::tools
