#pragma once

#include "orvane/graphics3d/state/TextureShader.h"

namespace orvane::graphics3d {

// A du/dv map on unit 0 perturbing a sphere-mapped environment on unit 1.
class EnvironmentBumpShader : public TextureShader {
public:
    EnvironmentBumpShader();
    // Unit 0: texturing on, combine with GL_BUMP_ENVMAP_ATI aimed at unit 1. Unit 1:
    // texturing on, sphere-map generation of S and T on (its environment mode untouched).
    void apply() override;
    // Unit 0: texturing off; unit 1: texturing and both generations off.
    void unapply() override;
    ShaderUndo undoRecord() const override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
