#pragma once

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/ShaderUndo.h"
#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::graphics3d {

class Light;
class Material;
class Mode;
class Shader;
class ShaderProgram;
class Texture;

// The state caches of a render Context. Each "stack" holds one current entry (per light
// index or texture unit), not a history: selecting an object replaces the current one and
// sends its state to OpenGL at once, and selecting what is already current costs one
// comparison and no OpenGL call. The stacks hold plain pointers: objects that are
// destroyed while current take themselves out (their destructors call `forget`).
//
// `redundancyTests` (true by default, set for all six by Context::setRedundancyTests)
// turns every such comparison off when false, so that each selection re-sends its state:
// the same pictures, more OpenGL calls (a check of the caches, and a measure of them).
//
// All of it belongs to the thread whose OpenGL context the Context mirrors.
class StateStack : public object::Object {
public:
    bool redundancyTests = true;
};

class MatrixStack : public StateStack {
public:
    // glMatrixMode(mode) unless it is the mode last set through here.
    void setMatrixMode(GLenum mode);
    types::String getClassName() const override;

    GLenum matrixMode = 0;
};

class MaterialStack : public StateStack {
public:
    // What the last ColourMaterial applied left in OpenGL: its colours and exponent, the
    // colour-material mode and the current colour (its ambient colour). The next one
    // sends only what differs; materials of different objects but equal colours then cost
    // no call at all. Values, not objects, are compared, at the time of applying, so a
    // material whose colours were changed sends them. Forgotten by reset(), by another
    // kind of material (selected or in a compiled stream), and by every change of shader,
    // since a shader may touch any state; not used while redundancyTests is off.
    struct AppliedColours {
        bool known = false;
        float ambient[4] = {};
        float diffuse[4] = {};
        float specular[4] = {};
        float emission[4] = {};
        float shininess = 0;
    };

    // Makes the material current and applies it, unless it is current already.
    void select(Material* newMaterial);
    void selectAlways(Material* newMaterial);
    // Forgets the material if it is current (no OpenGL call).
    void deselect(Material* oldMaterial) noexcept;
    void reset() noexcept {
        material = nullptr;
        forgetColours();
    }
    void forgetColours() noexcept { colours.known = false; }
    types::String getClassName() const override;

    // Stored into directly by generated code (Context::MATERIAL_OFFSET).
    Material* material = nullptr;
    AppliedColours colours;
};

class LightStack : public StateStack {
public:
    static constexpr int SLOTS = 8;
    // Puts the light into slot `index` (0 to 7) and applies it there, unless it is there
    // already; a slot that was empty has its OpenGL light enabled first.
    void select(Light* light, int index);
    // Clears every slot that holds the light and, in the current context, disables those
    // OpenGL lights.
    void forget(const Light* light, bool inCurrentContext = true);
    types::String getClassName() const override;

    Light* lights[SLOTS] = {};
};

class TextureStack : public StateStack {
public:
    static constexpr int UNITS = 8;
    // Binds the texture to the unit (0 to 7) unless it is bound there already: selects the
    // unit, carries an enabled texture target over to the texture's target, binds.
    void bind(Texture* texture, int unit);
    void bindAlways(Texture* texture, int unit);
    // bind(), and the unit is the active one afterwards even when the texture was bound
    // already: for callers that go on to change the unit's state (enable texturing).
    void bindOnActiveUnit(Texture* texture, int unit);
    // Forgets the texture of a unit if it is that one / whatever it is (no OpenGL call).
    void unbind(const Texture* texture, int unit) noexcept;
    void forget(int unit) noexcept;
    // Forgets the texture on every unit that holds it (no OpenGL call).
    void forget(const Texture* texture) noexcept;
    // Makes the unit the active one unless it is already, as far as the stack knows.
    void activate(int unit);
    // The active unit is unknown from now on: code that makes another unit active without
    // the stack calls this (shader changes do it for the shaders' own unit switches).
    void forgetActiveUnit() noexcept { activeUnit = -1; }
    types::String getClassName() const override;

    Texture* textures[UNITS] = {};
    // The unit the stack last made active; -1 when that is unknown.
    int activeUnit = -1;
    GLenum targets[UNITS] = {GL_TEXTURE_2D, GL_TEXTURE_2D, GL_TEXTURE_2D, GL_TEXTURE_2D,
                             GL_TEXTURE_2D, GL_TEXTURE_2D, GL_TEXTURE_2D, GL_TEXTURE_2D};
};

class ShaderStack : public StateStack {
public:
    // Vertex-array mask bits (the same in vertex formats and shaders).
    static constexpr std::uint32_t ARRAY_POSITION = 0x1;
    static constexpr std::uint32_t ARRAY_NORMAL = 0x4;
    static constexpr std::uint32_t ARRAY_COLOUR = 0x10;
    static constexpr std::uint32_t ARRAY_WEIGHT = 0x40;
    static constexpr std::uint32_t ARRAY_FOG = 0x80;
    static constexpr std::uint32_t ARRAY_EDGE_FLAG = 0x100;
    static constexpr std::uint32_t ARRAY_TEXCOORD0 = 0x1000; // << unit for units 0 to 7

    // Makes the shader current unless it is: the previous shader's unapply, the new
    // shader's vertex arrays, its apply.
    void select(Shader* newShader);
    void selectAlways(Shader* newShader);
    // If the shader is current: no current shader, its unapply.
    void deselect(Shader* oldShader);
    // If there is a current shader: its unapply, no current shader. (Either way a
    // destroyed shader's undo record still pending runs.)
    void reset();
    // The shader's apply, and the undo record it gives for it: what compiled streams call
    // once they have made the shader current.
    void applied(Shader* current);
    // Forgets the shader if it is current, without calling it (its destructor): its undo
    // record runs at once when `inCurrentContext`, else before this stack's next change.
    void forget(const Shader* oldShader, bool inCurrentContext) noexcept;
    // Enables and disables client arrays so that exactly those of `mask` are on: position,
    // normal, colour, edge flag, fog coordinate, weight, then texture coordinates of units
    // 0 to 7 (each after glClientActiveTextureARB), off before on for each. The client
    // active unit is left at the last unit touched.
    void setClientArrays(std::uint32_t mask);
    // What a mesh drawn without a shader of its own does: with no shader current, it is
    // setClientArrays(mask), since only shaders switch arrays on; a current shader keeps
    // its arrays, which the mesh inherits with the rest of the state.
    void useArraysWithoutShader(std::uint32_t mask);
    types::String getClassName() const override;

    // Stored into directly by generated code (Context::SHADER_OFFSET).
    Shader* shader = nullptr;
    // Current stage programs of the two program slots, kept by the shader code.
    ShaderProgram* programA = nullptr;
    ShaderProgram* programB = nullptr;
    std::uint32_t clientArrays = 0;
    // The current shader's undo record, and whether it belongs to a shader destroyed while
    // current that is still to be undone.
    ShaderUndo undo;
    bool undoPending = false;

    // What the current shader's twoSided and blended flags changed when it was applied,
    // read from OpenGL then, so that whatever the caller had set comes back.
    struct Sides {
        bool twoSided = false; // culling was switched off...
        bool culling = false;  // ...and was on before
        bool blended = false;  // blending was set up...
        bool blending = false; // ...over this state
        GLint source = GL_ONE;
        GLint destination = GL_ZERO;
        GLboolean depthWrites = GL_TRUE;
    };
    Sides sides;

private:
    // The state of the shader leaving the stack goes: its unapply, or a pending record,
    // then what its flags changed.
    void leave(Shader* previous);
    void enterSides(const Shader& current);
    void leaveSides();
};

class ModeStack : public StateStack {
public:
    // Makes the mode current unless it is: the previous mode's unapply, the new one's apply.
    void select(Mode* newMode);
    // The same without the comparison (also unapplies a mode that is selected again).
    void selectAlways(Mode* newMode);
    // If there is a current mode: its unapply, no current mode.
    void reset();
    // Forgets the mode if it is current (its destructor, in any context of the thread; no
    // OpenGL call).
    void forget(const Mode* oldMode) noexcept;
    types::String getClassName() const override;

    Mode* mode = nullptr;
};

} // namespace orvane::graphics3d
