#include "orvane/graphics3d/state/TextureFactory.h"

#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/io/SystemFile.h"
#include "orvane/io/TranslatorException.h"
#include "orvane/object/Pointer.h"

namespace orvane::graphics3d {

void TextureFactory::setDirectory(const types::String& path) {
    directory = path;
    if (directory.length() > 0 && directory.cString()[directory.length() - 1] != '\\')
        directory.append('\\');
}

Texture* TextureFactory::create(const char* name) {
    types::String path = directory;
    path.append(name);
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open(path.cString(), io::SystemFile::MODE_READ));
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
