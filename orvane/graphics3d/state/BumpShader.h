#pragma once

#include "orvane/graphics3d/state/TextureShader.h"

namespace orvane::graphics3d {

// Dot-product bump mapping on unit 0: the texture is the normal map, the light vector
// comes in as the vertex colour.
class BumpShader : public TextureShader {
public:
    BumpShader();
    // Unit 0: texturing on, combine with GL_DOT3_RGBA_ARB of the previous colour and the
    // texture.
    void apply() override;
    void unapply() override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
