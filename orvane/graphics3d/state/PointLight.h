#pragma once

#include "orvane/graphics3d/state/Light.h"

namespace orvane::graphics3d {

// A positional light radiating in every direction: colours, a position and the three
// attenuation factors. Plain data, set directly and placed with LightStack::select.
class PointLight : public Light {
public:
    PointLight() = default;

    // Sets every parameter of OpenGL light GL_LIGHT0 + index. The position goes with
    // w = 1 (always positional) and is transformed by the model-view matrix current at
    // this call; the spot cone is switched off.
    void apply(int index) override;

    types::String getClassName() const override;

    float ambient[4] = {0.1f, 0.1f, 0.1f, 0.0f};
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float specular[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    float position[3] = {0.0f, 0.0f, 0.0f};
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
};

} // namespace orvane::graphics3d
