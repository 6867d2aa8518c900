#pragma once

#include "orvane/graphics3d/state/TextureShader.h"

namespace orvane::graphics3d {

// A sphere-mapped environment on unit 0 (coordinates generated, so no coordinate array).
class EnvironmentShader : public TextureShader {
public:
    EnvironmentShader();
    // Unit 0: texturing on, GL_MODULATE, sphere-map generation of S and T switched on.
    void apply() override;
    // Unit 0: texturing and both generations off.
    void unapply() override;
    ShaderUndo undoRecord() const override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
