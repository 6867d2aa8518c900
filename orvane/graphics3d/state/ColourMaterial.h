#pragma once

#include "orvane/graphics3d/state/Material.h"

namespace orvane::graphics3d {

// The material of the fixed-function lighting model: four colours (red, green, blue,
// alpha) and the specular exponent (0 to 128), all zero after construction. Builders set
// the fields directly.
class ColourMaterial : public Material {
public:
    ColourMaterial() = default;

    // Sets the colours and the exponent for both faces, makes colour tracking follow
    // ambient and diffuse, and makes the ambient colour the current colour, so that where
    // a mode or shader enables GL_COLOR_MATERIAL both follow the ambient colour. Neither
    // colour tracking nor lighting is switched on or off here.
    // Through the current context's material stack, only what differs from the colours
    // the last colour material applied is sent (MaterialStack::AppliedColours).
    void apply() override;
    bool keepsAppliedColours() const noexcept override { return true; }

    types::String getClassName() const override;

    float ambient[4] = {0, 0, 0, 0};
    float diffuse[4] = {0, 0, 0, 0};
    float specular[4] = {0, 0, 0, 0};
    float emission[4] = {0, 0, 0, 0};
    float shininess = 0;
};

} // namespace orvane::graphics3d
