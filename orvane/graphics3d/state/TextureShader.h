#pragma once

#include "orvane/graphics3d/state/Shader.h"

namespace orvane::graphics3d {

// The lighting colour modulated by the texture of unit 0: vertices, normals and the
// coordinates of unit 0.
class TextureShader : public Shader {
public:
    TextureShader();
    // Unit 0: texturing on, GL_MODULATE.
    void apply() override;
    // Unit 0: texturing off.
    void unapply() override;
    ShaderUndo undoRecord() const override;

    types::String getClassName() const override;

protected:
    // For the shaders built on this one that need other vertex arrays.
    explicit TextureShader(std::uint32_t arrays);
};

} // namespace orvane::graphics3d
