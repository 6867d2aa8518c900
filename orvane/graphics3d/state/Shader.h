#pragma once

#include "orvane/graphics3d/state/ConstantList.h"
#include "orvane/graphics3d/state/Resource.h"
#include "orvane/graphics3d/state/ShaderProgram.h"
#include "orvane/graphics3d/state/ShaderUndo.h"
#include "orvane/object/Pointer.h"

#include <cstdint>

namespace orvane::system {
class Assembler;
}

namespace orvane::graphics3d {

// How a mesh's colour is computed from lighting and textures: a shader sets up texture
// environments when the shader stack selects it and declares the vertex arrays meshes
// must supply while it is current (bits as in ShaderStack::setClientArrays). Each
// shader's unapply switches off exactly what its apply switched on, so shaders can follow
// each other in any order: the stack runs the previous shader's unapply, switches the
// vertex arrays, then runs the new shader's apply.
//
// The base class changes no texture state (ColourShader uses it as it is); it only keeps
// the two stage-program slots of the shader stack. Every shader the engine makes has both
// slots empty and an empty constant list.
//
// A shader destroyed while current in a context of the calling thread leaves that stack
// without being called again: the stack runs the shader's undo record instead (at once in
// the current context, at the next shader change in another), so the state it switched
// on does not stay behind. Destruction releases the programs and the constants.
class Shader : public Resource {
public:
    explicit Shader(std::uint32_t arrays = 0);
    ~Shader() override;

    // For slot A and then slot B: a program that is not the stack's current one of its
    // slot replaces it (the old one disabled, the new one enabled).
    virtual void apply();
    // For slot A and then slot B: this shader's program, if it is the current one of its
    // slot, stops being current and is disabled.
    virtual void unapply();
    // What undoes, without this object, what the last apply did (its unapply's state):
    // nothing for the base class, whose programs take themselves out when they die. Every
    // shader whose unapply changes OpenGL state answers a record of it.
    virtual ShaderUndo undoRecord() const;

    // Appends to a render program (current Context in ESI) the selection of this shader
    // as the shader stack makes it, without comparing: the current shader's unapply, the
    // client-array update, the shader's address stored into the context's current-shader
    // field (through EDX), then apply(). The program refers to this shader by address, so
    // whoever keeps the program keeps the shader alive.
    void emitApply(system::Assembler& assembler);
    // Switches the current context's enabled vertex arrays to `arrayMask`.
    void setClientArrays();
    // Stores the shader's own arrays and recomputes `arrayMask`.
    void setArrays(std::uint32_t mask);
    // arrayMask = arrays | the arrays of the programs present.
    void update();
    // Puts a program into a slot (null empties it) and recomputes `arrayMask`.
    void setProgramA(ShaderProgram* program);
    void setProgramB(ShaderProgram* program);
    // The texture units whose bound textures drawing under the shader may read (bit n:
    // unit n): `textureUnits`, or every unit while a program fills a slot, since a program
    // may sample any.
    std::uint32_t sampledUnits() const noexcept;

    types::String getClassName() const override;

    ConstantList constants;
    object::Pointer<ShaderProgram> programA;
    object::Pointer<ShaderProgram> programB;
    // The arrays the shader itself needs, and those used when it is selected.
    std::uint32_t arrays;
    std::uint32_t arrayMask;
    // How the meshes it draws are drawn beside what apply sets, which the shader stack
    // takes care of while the shader is current and puts back afterwards: both sides of
    // their faces (back-face culling off), and blended over what is behind them (alpha
    // blending on, depth writes off). A compiled stream draws blended meshes after the
    // others, so that what they cover is there to show through. The state stays while the
    // shader stays current, which it does after a model is drawn: a frame that ends with
    // a model resets the shader stack before it clears again.
    bool twoSided = false;
    bool blended = false;
    // The units the shader samples: every unit unless a shader says less (ColourShader
    // samples none, since it draws with texturing off). A compiled stream binds no texture
    // for a draw that does not sample it, and orders such draws by their material alone.
    static constexpr std::uint32_t ALL_TEXTURE_UNITS = 0xFFFFFFFFu;
    std::uint32_t textureUnits = ALL_TEXTURE_UNITS;
};

} // namespace orvane::graphics3d
