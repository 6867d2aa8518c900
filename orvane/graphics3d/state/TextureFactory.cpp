#include "orvane/graphics3d/state/TextureFactory.h"

#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/io/FileName.h"
#include "orvane/io/TranslatorException.h"
#include "orvane/object/Pointer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace orvane::graphics3d {

void TextureFactory::setDirectory(const types::String& path) {
    directory = path;
    if (directory.length() > 0 && directory.cString()[directory.length() - 1] != '\\')
        directory.append('\\');
}

namespace {

// The name with its extension (after the last dot of its last component) replaced.
std::string withExtension(const std::string& name, const char* extension) {
    const std::size_t component = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (component == std::string::npos || dot > component);
    return (hasExtension ? name.substr(0, dot) : name) + "." + extension;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::string TextureFactory::locate(const char* name) const {
    const std::string inDirectory = directory.cString();
    const auto existing = [&](const std::string& candidate) {
        const std::string path =
            io::resolveCaseInsensitive(io::withSlashes((inDirectory + candidate).c_str()));
        std::error_code error;
        return std::filesystem::is_regular_file(path, error) ? path : std::string();
    };
    if (std::string path = existing(name); !path.empty())
        return path;
    for (const char* extension : graphics::TranslatorRoster::PICTURE_EXTENSIONS) {
        const std::string other = withExtension(name, extension);
        if (sameIgnoringCase(other, name))
            continue;
        if (std::string path = existing(other); !path.empty())
            return path;
    }
    return {};
}

io::SystemFile* TextureFactory::openImage(const std::string& name) {
    const std::string found = locate(name.c_str());
    // Nothing to open: the name asked for is the one the system's error reports.
    const std::string path = found.empty() ? std::string(directory.cString()) + name : found;
    return io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ);
}

Texture* TextureFactory::create(const char* name) {
    auto file = object::Pointer<io::SystemFile>::adopt(openImage(name));
    io::Translator<graphics::Image>* translator = roster.findTranslator(file.get());
    if (!translator)
        throw io::TranslatorFormatException();
    auto image =
        object::Pointer<graphics::Image>::adopt(translator->translate(file->getInputStream(), -1));
    file = nullptr;
    // A recognised file without a picture (TIFF is recognised only) makes no texture.
    if (!image)
        throw io::TranslatorFormatException();
    Texture* texture = createTexture2D(image.get(), -2);
    texture->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    return texture;
}

types::String TextureFactory::getClassName() const {
    return object::classPath(Object::getClassName(), ":TextureFactory");
}

} // namespace orvane::graphics3d
