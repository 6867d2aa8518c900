#pragma once

#include "orvane/graphics3d/state/Resource.h"

namespace orvane::system {
class Assembler;
}

namespace orvane::graphics3d {

// The base of materials: sets the fixed-function lighting colours into the current
// OpenGL context when the material stack selects it, or from a compiled render program.
//
// Destroying the calling thread's current context's current material clears that slot
// (no OpenGL call), so that a new material at the same address is applied again.
class Material : public Resource {
public:
    Material() = default;
    ~Material() override;

    // Does nothing in the base class.
    virtual void apply();
    // Whether apply() keeps the material stack's record of the colours last applied true
    // (MaterialStack::AppliedColours); the stack forgets it before any other material.
    virtual bool keepsAppliedColours() const noexcept { return false; }
    // Lets a material write its own commands into a render program instead of the generic
    // call of apply; answers whether it wrote any (the base class writes none).
    virtual bool compile(system::Assembler& assembler);

    // Appends to a render program the change to this material: with the current Context
    // in ESI (the render programs' convention), the material's address is stored into the
    // context's current-material field (Context::MATERIAL_OFFSET, through EDX), the stack's
    // applied colours are forgotten unless keepsAppliedColours(), then
    // compile() may write the material's own code; if it writes none, a call of apply()
    // on this material follows. No test of what is current: the program always records
    // and applies. The program refers to this material by address, so whoever keeps the
    // program keeps the material alive.
    void emitApply(system::Assembler& assembler);

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
