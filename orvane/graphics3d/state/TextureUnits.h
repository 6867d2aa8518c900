#pragma once

#include "orvane/graphics3d/gl/GL.h"

namespace orvane::graphics3d::textureunits {

// Small steps the texture-environment shaders are written in. Each acts on the active
// texture unit, except select, which changes it.

inline void select(int unit) {
    gl.glActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
}

inline void environment(GLenum name, GLenum value) {
    gl.glTexEnvi(GL_TEXTURE_ENV, name, GLint(value));
}

// Sphere-map generation of S and T, both switched on.
inline void sphereMap() {
    gl.glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GLint(GL_SPHERE_MAP));
    gl.glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GLint(GL_SPHERE_MAP));
    gl.glEnable(GL_TEXTURE_GEN_S);
    gl.glEnable(GL_TEXTURE_GEN_T);
}

inline void sphereMapOff() {
    gl.glDisable(GL_TEXTURE_GEN_S);
    gl.glDisable(GL_TEXTURE_GEN_T);
}

} // namespace orvane::graphics3d::textureunits
