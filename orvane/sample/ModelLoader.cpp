#include "orvane/sample/ModelLoader.h"

#include "orvane/graphics3d/model/Model.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/SystemFile.h"
#include "orvane/object/Exception.h"
#include "orvane/object/Pointer.h"
#include "orvane/sample/Options.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <utility>

namespace orvane::sample {
namespace {

using graphics3d::Model;
using graphics3d::ModelBuilder3DS;
using graphics3d::TextureManager;
using graphics3d::Translator3DS;

std::string describe(const std::string& file, const object::Exception& exception) {
    const std::string name = exception.getName().cString();
    const std::string message = exception.getMessage().cString();
    const std::string detail = exception.getDetail().cString();
    std::string line = displayName(file) + ": " + name;
    if (!message.empty() && message != name)
        line += ": " + message;
    else if (!detail.empty())
        line += ": " + detail;
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

std::string warningOf(const ModelBuilder3DS::TextureFailure& failure,
                      const std::string& directory) {
    using Failure = ModelBuilder3DS::TextureFailure;
    switch (failure.kind) {
    case Failure::MISSING:
        return failure.textureName + ": texture not found in " +
               (directory.empty() ? "." : displayName(directory));
    case Failure::UNNAMED:
        return "material \"" + failure.material + "\": its texture map names no file";
    case Failure::UNUSABLE:
        break;
    }
    return failure.textureName + ": texture not loaded: " + failure.reason;
}

} // namespace

ModelLoader::ModelLoader(std::string modelPath, std::string textureDirectory)
    : modelPath(std::move(modelPath))
    , textureDirectory(std::move(textureDirectory)) {}

Model* ModelLoader::load() {
    why.clear();
    notes.clear();
    if (std::error_code error; std::filesystem::is_directory(displayName(modelPath), error)) {
        why = displayName(modelPath) + ": is a directory";
        return nullptr;
    }
    try {
        Model* model = translate();
        if (!model)
            why = displayName(modelPath) + ": the file holds no 3D scene";
        return model;
    } catch (const object::Exception& exception) {
        why = describe(modelPath, exception);
    } catch (const std::bad_alloc&) {
        why = displayName(modelPath) + ": out of memory";
    }
    return nullptr;
}

Model* ModelLoader::translate() {
    OpenFile opened(modelPath);
    Translator3DS translator;
    // Without the folder no texture can load: one line says so, rather than one a file.
    std::error_code error;
    if (!textureDirectory.empty() &&
        !std::filesystem::is_directory(displayName(textureDirectory), error)) {
        notes.push_back(displayName(textureDirectory) +
                        ": no such directory; the model is shown without textures");
        ModelBuilder3DS withoutTextures(nullptr);
        return translator.translate(opened.file->getInputStream(), -1, withoutTextures);
    }
    auto manager = object::make<TextureManager>();
    manager->getFactory().setDirectory(textureDirectory.c_str());
    translator.setTextureManager(manager.get());
    translator.setTextureFailures(ModelBuilder3DS::TextureFailures::WARN);
    Model* model = translator.translate(opened.file->getInputStream(), -1);
    // Materials often share a texture: one line per file.
    for (const ModelBuilder3DS::TextureFailure& failure : translator.textureFailures()) {
        std::string line = warningOf(failure, textureDirectory);
        if (std::find(notes.begin(), notes.end(), line) == notes.end())
            notes.push_back(std::move(line));
    }
    return model;
}

} // namespace orvane::sample
