#include "tools/orvane-image/ImageTool.h"

#include "orvane/graphics/ImageDecoding.h"
#include "orvane/graphics/TranslatorRoster.h"
#include "orvane/io/SystemError.h"
#include "orvane/io/SystemFile.h"
#include "orvane/io/TranslatorException.h"
#include "tools/orvane-image/PamImage.h"

#include <cstring>
#include <new>
#include <string>

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
        throw io::TranslatorFormatException();
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
    std::fprintf(out, "%s: %s format=0x%08X width=%d height=%d palette=%s levels=%d\n", name,
                 decoded.translator.c_str(), unsigned(image.getFormat()), image.getWidth(),
                 image.getHeight(), image.palette() ? "yes" : "no", levels);
}

void writePam(const Decoded& decoded, const char* input, const char* output) {
    if (!decoded.image)
        throw ConversionException((decoded.translator + " yields no image for " + input).c_str());
    const std::vector<std::uint8_t> bytes = toPam(*decoded.image).file();
    auto file = object::Pointer<io::SystemFile>::adopt(io::SystemFile::create(output));
    if (file->write(bytes.data(), int(bytes.size())) != int(bytes.size()))
        io::raiseError(io::ErrorCode::WRITE_FAULT);
    file->close();
}

// Runs one file's work, turning its failure into a line on err; answers whether it worked.
template <class Work>
bool attempt(std::FILE* err, const char* name, Work work) {
    try {
        work();
        return true;
    } catch (const object::Exception& e) {
        std::fprintf(err, "%s: %s: %s\n", name, e.getName().cString(), e.getMessage().cString());
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
