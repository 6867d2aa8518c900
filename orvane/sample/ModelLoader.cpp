#include "orvane/sample/ModelLoader.h"

#include "orvane/graphics3d/model/Model.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/SystemFile.h"
#include "orvane/object/Exception.h"
#include "orvane/object/Pointer.h"
#include "orvane/sample/Options.h"

#include <exception>
#include <filesystem>
#include <utility>

namespace orvane::sample {
namespace {

using graphics3d::Model;
using graphics3d::TextureManager;
using graphics3d::Translator3DS;

std::string describe(const std::string& file, const object::Exception& exception) {
    const std::string name = exception.getName().cString();
    const std::string message = exception.getMessage().cString();
    std::string line = displayName(file) + ": " + name;
    if (!message.empty() && message != name)
        line += ": " + message;
    else if (std::error_code error; !std::filesystem::exists(displayName(file), error))
        line += ": no such file or directory"; // a missing directory raises a bare IOException
    return line;
}

// The file is released however its reading ends.
struct OpenFile {
    explicit OpenFile(const std::string& path)
        : file(io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ)) {}
    ~OpenFile() {
        if (file)
            file->release();
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    io::SystemFile* file;
};

object::Pointer<TextureManager> textureManager(const std::string& directory) {
    auto manager = object::make<TextureManager>();
    manager->getFactory().setDirectory(directory.c_str());
    return manager;
}

} // namespace

ModelLoader::ModelLoader(std::string modelPath, std::string textureDirectory)
    : modelPath(std::move(modelPath))
    , textureDirectory(std::move(textureDirectory)) {}

Model* ModelLoader::load() {
    why.clear();
    try {
        Model* model = translate();
        if (!model)
            why = displayName(modelPath) + ": the file holds no 3D scene";
        return model;
    } catch (const object::Exception& exception) {
        why = failingTexture();
        if (why.empty())
            why = describe(modelPath, exception);
    } catch (const std::bad_alloc&) {
        why = displayName(modelPath) + ": out of memory";
    }
    return nullptr;
}

Model* ModelLoader::translate() {
    OpenFile opened(modelPath);
    const auto manager = textureManager(textureDirectory);
    Translator3DS translator;
    translator.setTextureManager(manager.get());
    return translator.translate(opened.file->getInputStream(), -1);
}

// The translator reports a texture's failure with the texture manager's exception, which
// does not name the file. Only after a failure, the model's textures are asked for once
// more, in the order the translator asks for them, and the first that fails is named.
std::string ModelLoader::failingTexture() {
    graphics3d::Scene3DS scene;
    try {
        OpenFile opened(modelPath);
        Translator3DS().read(opened.file->getInputStream(), -1, scene);
    } catch (const object::Exception&) {
        return {}; // the model itself is at fault
    }
    const auto manager = textureManager(textureDirectory);
    for (const graphics3d::Material3DS& material : scene.materials) {
        if (!material.textured)
            continue;
        try {
            manager->get(types::String(material.textureName.c_str()));
        } catch (const object::Exception& exception) {
            const std::string directory = manager->getFactory().getDirectory().cString();
            return describe(directory + material.textureName, exception);
        }
    }
    return {};
}

} // namespace orvane::sample
