#pragma once

#include "orvane/graphics3d/state/TextureShader.h"

namespace orvane::graphics3d {

// A base texture on unit 0, a du/dv map on unit 1 perturbing an environment that unit 2
// adds (sphere-mapped): vertices, normals and the coordinates of units 0 and 1.
class TextureEnvironmentBumpShader : public TextureShader {
public:
    TextureEnvironmentBumpShader();
    // Units 0 to 2: texturing on, combine with the texture as first source; unit 0
    // modulates the previous colour, unit 1 bumps aimed at unit 2, unit 2 adds the
    // previous colour and generates sphere-map coordinates.
    void apply() override;
    // Units 0 to 2: texturing off; unit 2: both generations off.
    void unapply() override;
    ShaderUndo undoRecord() const override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
