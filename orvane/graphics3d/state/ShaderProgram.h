#pragma once

#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::graphics3d {

// A stage program a Shader may carry in one of its two slots. The shader stack keeps the
// current program of each slot: a program is enabled when it becomes current there and
// disabled when it stops being current. Its vertex arrays are combined into the mask of
// every shader that carries it. The engine itself makes none; programs come from users.
//
// Destroying the calling thread's current context's current program of a slot clears the
// slot without calling it, so the stack never calls a destroyed program.
class ShaderProgram : public object::Object {
public:
    explicit ShaderProgram(std::uint32_t arrays = 0)
        : arrays(arrays) {}
    ~ShaderProgram() override;

    virtual void enable() = 0;
    virtual void disable() = 0;

    types::String getClassName() const override;

    // The vertex arrays the program reads (bits as in ShaderStack).
    std::uint32_t arrays;
};

} // namespace orvane::graphics3d
