#pragma once

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/Resource.h"

#include <cstdint>

namespace orvane::system {
class Assembler;
}

namespace orvane::graphics3d {

// One OpenGL texture object: its name and target, with the filters and wraps last given
// to it. Bound through the texture stack (Appearance) or directly by the texture code.
//
// Destroying a texture clears every unit of the calling thread's current context's
// texture stack that still names it (no OpenGL call, no unit disabled), so that a later
// texture at the same address is bound again. A plain Texture wraps an existing texture
// object and leaves it to its owner; a Texture2D owns its object.
class Texture : public Resource {
public:
    // Wraps an existing texture object: reads the internal format of level 0 into
    // `format`, and sets nearest filtering and repeating wraps on it. The target ends up
    // with no texture bound.
    Texture(GLuint id, GLenum target);
    ~Texture() override;

    // Stores and sets the minification and magnification filters. The texture that was
    // bound to the target before is bound again afterwards.
    void setFilter(GLenum min, GLenum mag);
    // Stores and sets the wrap modes of s and t the same way.
    void setWrap(GLenum s, GLenum t);
    // Appends to a render program the binding of this texture to the unit (0 to 7)
    // through the texture stack, without comparing. The program refers to this texture
    // by address, so whoever keeps the program keeps the texture alive.
    void emitBind(system::Assembler& assembler, int unit);

    types::String getClassName() const override;

    // The image format (PixelFormat.h) the internal format stands for: RGB and RGBA for
    // GL_RGB8 and GL_RGBA8, 8-bit palette for 1; 0 for any other.
    std::uint32_t format = 0;
    GLenum magFilter = GL_NEAREST;
    GLenum minFilter = GL_NEAREST;
    GLenum wrapS = GL_REPEAT;
    GLenum wrapT = GL_REPEAT;
    GLenum wrapR = GL_REPEAT;
    // Whether some texel of the picture it was made from lets what is behind show (alpha
    // below 1): such a texture is drawn blended.
    bool translucent = false;
    GLuint id;
    GLenum target;

protected:
    // Binds the texture to its target without the texture stack, which then no longer
    // knows what its units hold; every unit's entry is forgotten so the next selection
    // binds again.
    void bindDirectly() const;
};

} // namespace orvane::graphics3d
