#pragma once

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/ShaderUndo.h"

namespace orvane::graphics3d::textureunits {

// Small steps the texture-environment shaders are written in. Each acts on the active
// texture unit, except select, which changes it.

inline void select(int unit) {
    gl.glActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
}

inline void environment(GLenum name, GLenum value) {
    gl.glTexEnvi(GL_TEXTURE_ENV, name, GLint(value));
}

// Texturing off on units 0 to count - 1, each selected in turn.
inline void disableUnits(int count) {
    for (int unit = 0; unit < count; ++unit) {
        select(unit);
        gl.glDisable(GL_TEXTURE_2D);
    }
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

// The undo record of a shader whose unapply is disableUnits(count), then sphereMapOff()
// when `sphereMapped`.
inline ShaderUndo undoUnits(int count, bool sphereMapped) {
    ShaderUndo undo;
    undo.function = [](const std::uintptr_t(&words)[4]) {
        disableUnits(int(words[0]));
        if (words[1])
            sphereMapOff();
    };
    undo.words[0] = std::uintptr_t(count);
    undo.words[1] = sphereMapped ? 1 : 0;
    return undo;
}

} // namespace orvane::graphics3d::textureunits
