#pragma once

#include <cstdint>

namespace orvane::graphics3d {

// What undoes a shader's OpenGL state without the shader: a plain function and a few
// words of its own. A shader gives one after each apply (Shader::undoRecord) and the
// shader stack keeps it while the shader is current, so that a shader destroyed while
// current can still be undone — its unapply can no longer run — at once where its
// context is current, or at that context's next shader change. It acts on the current
// context.
struct ShaderUndo {
    using Function = void (*)(const std::uintptr_t (&words)[4]);

    Function function = nullptr;
    std::uintptr_t words[4] = {};

    void run() const {
        if (function)
            function(words);
    }
};

} // namespace orvane::graphics3d
