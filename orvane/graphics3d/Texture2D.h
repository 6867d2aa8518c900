#pragma once

#include "orvane/graphics3d/Texture.h"

#include <cstdint>

namespace orvane::graphics3d {

// A two-dimensional texture with the size of its level 0.
class Texture2D : public Texture {
public:
    // Wraps an existing texture object: binds it and reads the size of level 0.
    explicit Texture2D(GLuint id);

    types::String getClassName() const override;

    std::int32_t width = 0;
    std::int32_t height = 0;
};

} // namespace orvane::graphics3d
