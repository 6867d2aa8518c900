#pragma once

#include "orvane/graphics3d/state/Shader.h"

namespace orvane::graphics3d {

// Plain lighting colour: vertices and normals, no texture state of its own. It relies on
// the previous shader's unapply to have switched texturing off.
class ColourShader : public Shader {
public:
    ColourShader();

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
