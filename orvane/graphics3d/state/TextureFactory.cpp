#include "orvane/graphics3d/state/TextureFactory.h"

#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/io/IOException.h"
#include "orvane/io/TranslatorException.h"
#include "orvane/object/Pointer.h"

#include <algorithm>
#include <cctype>

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

io::SystemFile* TextureFactory::openImage(const std::string& name) {
    const std::string inDirectory = directory.cString();
    try {
        return io::SystemFile::open((inDirectory + name).c_str(), io::SystemFile::MODE_READ);
    } catch (const io::FileNotFoundException&) {
        for (const char* extension : graphics::TranslatorRoster::PICTURE_EXTENSIONS) {
            const std::string other = withExtension(name, extension);
            if (sameIgnoringCase(other, name))
                continue;
            try {
                return io::SystemFile::open((inDirectory + other).c_str(),
                                            io::SystemFile::MODE_READ);
            } catch (const io::FileNotFoundException&) {
            }
        }
        throw; // the name asked for is the one reported
    }
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
