#pragma once

#include "orvane/graphics3d/GL.h"
#include "orvane/graphics3d/Resource.h"

namespace orvane::graphics3d {

// One OpenGL texture object: its name and target, bound through the texture stack.
//
// Destroying a texture clears every unit of the calling thread's current context's
// texture stack that still names it (no OpenGL call, no unit disabled), so that a later
// texture at the same address is bound again.
class Texture : public Resource {
public:
    Texture(GLuint id, GLenum target);
    ~Texture() override;

    types::String getClassName() const override;

    GLuint id;
    GLenum target;
};

} // namespace orvane::graphics3d
