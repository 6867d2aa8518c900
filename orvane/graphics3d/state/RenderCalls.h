#pragma once

#include "orvane/graphics3d/state/Context.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/CallingConvention.h"

#include <cstdint>

namespace orvane::graphics3d {

class Mode;
class Shader;
class Texture;

// The functions compiled render streams call. Generated code passes only integers and
// pointers, so member operations are reached through these plain functions (the
// receiver, where there is one, is the first parameter: ORVANE_THISCALL on 32-bit x86).
// Each works on the calling thread's current render Context, read at every call, and
// does nothing without one.
namespace renderCalls {

// Context::current(), for the prologue of every stream.
Context* currentContext() noexcept;

// Makes the mode current without comparing: the previous mode's unapply (also when it is
// the same mode), then the mode's apply.
void ORVANE_THISCALL bindMode(Mode* mode);
// If a mode is current: its unapply, and no mode is current.
void resetMode();
// If a shader is current: its unapply, and no shader is current.
void resetShader();
// No material is current (no OpenGL call).
void resetMaterial() noexcept;
// The texture stack forgets the texture of the unit (no OpenGL call).
void forgetTexture(std::uintptr_t unit) noexcept;
// The current context's material stack forgets the colours last applied.
void forgetColours() noexcept;

// The shader's apply() and its client-array update.
void ORVANE_THISCALL applyShader(Shader* shader);
void ORVANE_THISCALL setShaderClientArrays(Shader* shader);
// Binds the texture to the unit through the texture stack without comparing.
void ORVANE_THISCALL bindTextureAlways(Texture* texture, std::uintptr_t unit);
// ShaderStack::useArraysWithoutShader: the arrays of a draw without a shader of its own.
void useArraysWithoutShader(std::uintptr_t mask);

// glDrawArrays(primitive, first, count).
void drawArrays(std::uintptr_t primitive, std::uintptr_t first, std::uintptr_t count);
// glDrawElements over the context's current index data: `count` indices from index
// `first` of the index buffer a stream bound last (type, size and base from the context).
void drawElements(std::uintptr_t primitive, std::uintptr_t first, std::uintptr_t count);

// Appends a call of an OpenGL entry point with constant arguments. The entry is taken as
// the dispatch table holds it now, when the code is made. OpenGL's entry points are C
// functions on Linux (the caller removes the arguments on 32-bit x86), so the call is a
// C call; on x86-64 every call command makes the same code.
template <class Function, class... Arguments>
void emitGLCall(system::Assembler& assembler, Function* entry, Arguments... arguments) {
    (assembler.argument(arguments), ...);
    assembler.callCdecl(entry);
}

} // namespace renderCalls
} // namespace orvane::graphics3d
