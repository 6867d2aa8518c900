#pragma once

#include "orvane/io/Translator.h"
#include "orvane/object/Pointer.h"

namespace orvane::graphics3d {

class Model;

// Base of the model translators. A model's materials name textures and shaders, which
// the translator obtains from the managers it was given: the texture manager (a
// TextureManager) and the shader manager. Both are held by reference and published as
// the object properties "texturemanager" and "shadermanager".
class ModelTranslator : public io::Translator<Model> {
public:
    ModelTranslator() = default;
    ModelTranslator(const ModelTranslator&) = delete;
    ModelTranslator& operator=(const ModelTranslator&) = delete;
    ~ModelTranslator() override;

    // Holds a reference to manager (null holds none) and lets go of the previous one.
    void setTextureManager(object::Object* manager) noexcept { textureManager = manager; }
    void clearTextureManager() noexcept { textureManager = nullptr; }
    void setShaderManager(object::Object* manager) noexcept { shaderManager = manager; }
    void clearShaderManager() noexcept { shaderManager = nullptr; }
    object::Object* getTextureManager() const noexcept { return textureManager.get(); }
    object::Object* getShaderManager() const noexcept { return shaderManager.get(); }

    // A new list with "texturemanager" and "shadermanager", in that order, whose object
    // values are the current managers (the list holds no references).
    object::PropertyList* getProperties() override;
    // Takes each manager the list names (a null value clears it); a manager the list does
    // not name is kept.
    void setProperties(const object::PropertyList* properties) override;

    types::String getClassName() const override;

private:
    object::Pointer<object::Object> textureManager;
    object::Pointer<object::Object> shaderManager;
};

} // namespace orvane::graphics3d
