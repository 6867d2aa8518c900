#pragma once

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/Shader.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvane::graphics3d::test {

// State objects that leave one recognisable call in the log when applied (and unapplied),
// so that call logs show which object was selected.

class MarkMode : public Mode {
public:
    explicit MarkMode(int mark)
        : mark(mark) {}
    void apply() override { gl.glStencilMask(GLuint(mark)); }
    void unapply() override { gl.glClearStencil(mark); }
    int mark;
};

class MarkShader : public Shader {
public:
    MarkShader(int mark, std::uint32_t arrays)
        : Shader(arrays)
        , mark(mark) {}
    void apply() override { gl.glLineWidth(float(mark)); }
    void unapply() override { gl.glPointSize(float(mark)); }
    int mark;
};

class MarkMaterial : public Material {
public:
    explicit MarkMaterial(int mark)
        : mark(mark) {}
    void apply() override { gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, float(mark)); }
    int mark;
};

inline std::string hex(std::uintptr_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%jx", std::uintmax_t(address));
    return text;
}

// How the recorder prints a pointer argument.
inline std::string pointerText(std::uintptr_t address) {
    return address == 0 ? "0" : hex(address);
}

} // namespace orvane::graphics3d::test
