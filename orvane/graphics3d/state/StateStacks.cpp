#include "orvane/graphics3d/state/StateStacks.h"

#include "orvane/graphics3d/state/Context.h"

#include "orvane/graphics3d/state/Light.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/Shader.h"
#include "orvane/graphics3d/state/Texture.h"

namespace orvane::graphics3d {
namespace {

bool isUnit(int unit) {
    return unit >= 0 && unit < TextureStack::UNITS;
}

// The non-texture arrays in the order they are switched, with their enable constants.
struct ClientArray {
    std::uint32_t bit;
    GLenum array;
};
constexpr ClientArray clientArrayOrder[] = {
    {ShaderStack::ARRAY_POSITION, GL_VERTEX_ARRAY},
    {ShaderStack::ARRAY_NORMAL, GL_NORMAL_ARRAY},
    {ShaderStack::ARRAY_COLOUR, GL_COLOR_ARRAY},
    {ShaderStack::ARRAY_EDGE_FLAG, GL_EDGE_FLAG_ARRAY},
    {ShaderStack::ARRAY_FOG, GL_FOG_COORDINATE_ARRAY_EXT},
    {ShaderStack::ARRAY_WEIGHT, GL_WEIGHT_ARRAY_ARB},
};

} // namespace

void MatrixStack::setMatrixMode(GLenum mode) {
    if (redundancyTests && mode == matrixMode)
        return;
    matrixMode = mode;
    gl.glMatrixMode(mode);
}

types::String MatrixStack::getClassName() const {
    return object::classPath(Object::getClassName(), ":MatrixStack");
}

void MaterialStack::select(Material* newMaterial) {
    if (!redundancyTests || newMaterial != material)
        selectAlways(newMaterial);
}

void MaterialStack::selectAlways(Material* newMaterial) {
    material = newMaterial;
    if (!newMaterial)
        return;
    if (!newMaterial->keepsAppliedColours())
        forgetColours();
    newMaterial->apply();
}

void MaterialStack::deselect(Material* oldMaterial) noexcept {
    if (material == oldMaterial)
        material = nullptr;
}

types::String MaterialStack::getClassName() const {
    return object::classPath(Object::getClassName(), ":MaterialStack");
}

void LightStack::select(Light* light, int index) {
    if (index < 0 || index >= SLOTS || !light)
        return;
    if (redundancyTests && light == lights[index])
        return;
    bool wasEmpty = lights[index] == nullptr;
    lights[index] = light;
    if (wasEmpty || !redundancyTests)
        gl.glEnable(GL_LIGHT0 + GLenum(index));
    light->apply(index);
}

void LightStack::forget(const Light* light, bool inCurrentContext) {
    for (int i = 0; i < SLOTS; ++i) {
        if (lights[i] != light)
            continue;
        lights[i] = nullptr;
        // Another context's lights are switched when it is current again: its slot is
        // empty, so the next light selected there is enabled anew.
        if (inCurrentContext)
            gl.glDisable(GL_LIGHT0 + GLenum(i));
    }
}

types::String LightStack::getClassName() const {
    return object::classPath(Object::getClassName(), ":LightStack");
}

void TextureStack::bind(Texture* texture, int unit) {
    if (isUnit(unit) && (!redundancyTests || texture != textures[unit]))
        bindAlways(texture, unit);
}

void TextureStack::bindAlways(Texture* texture, int unit) {
    if (!isUnit(unit) || !texture)
        return;
    textures[unit] = texture;
    activate(unit);
    if (targets[unit] != texture->target) {
        // Enabling is the shaders' business; a bind only carries an existing enable across
        // a change of target.
        if (gl.glIsEnabled(targets[unit])) {
            gl.glDisable(targets[unit]);
            gl.glEnable(texture->target);
        }
        targets[unit] = texture->target;
    }
    gl.glBindTexture(texture->target, texture->id);
}

void TextureStack::bindOnActiveUnit(Texture* texture, int unit) {
    if (!isUnit(unit))
        return;
    if (redundancyTests && texture == textures[unit])
        activate(unit);
    else
        bindAlways(texture, unit);
}

void TextureStack::activate(int unit) {
    if (redundancyTests && unit == activeUnit)
        return;
    gl.glActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
    activeUnit = unit;
}

void TextureStack::unbind(const Texture* texture, int unit) noexcept {
    if (isUnit(unit) && textures[unit] == texture)
        textures[unit] = nullptr;
}

void TextureStack::forget(int unit) noexcept {
    if (isUnit(unit))
        textures[unit] = nullptr;
}

void TextureStack::forget(const Texture* texture) noexcept {
    for (Texture*& bound : textures)
        if (bound == texture)
            bound = nullptr;
}

types::String TextureStack::getClassName() const {
    return object::classPath(Object::getClassName(), ":TextureStack");
}

void ShaderStack::select(Shader* newShader) {
    if (!redundancyTests || newShader != shader)
        selectAlways(newShader);
}

void ShaderStack::selectAlways(Shader* newShader) {
    if (!newShader) {
        reset();
        return;
    }
    Shader* previous = shader;
    shader = newShader;
    leave(previous);
    setClientArrays(newShader->arrayMask);
    applied(newShader);
}

// A shader may change any state, the lighting colours and the active texture unit among
// them: what the other stacks know of those goes.
namespace {

void forgetWhatShadersChange() noexcept {
    if (Context* context = Context::current()) {
        context->materialStack.forgetColours();
        context->textureStack.forgetActiveUnit();
    }
}

} // namespace

void ShaderStack::applied(Shader* current) {
    current->apply();
    forgetWhatShadersChange();
    enterSides(*current);
    undo = current->undoRecord();
    undoPending = false;
}

void ShaderStack::leave(Shader* previous) {
    if (previous) {
        previous->unapply();
        leaveSides();
    } else if (undoPending) {
        undoPending = false;
        undo.run();
        leaveSides();
    }
    undo = {};
    forgetWhatShadersChange();
}

void ShaderStack::enterSides(const Shader& current) {
    sides = Sides();
    if (current.twoSided) {
        sides.twoSided = true;
        sides.culling = gl.glIsEnabled(GL_CULL_FACE);
        if (sides.culling)
            gl.glDisable(GL_CULL_FACE);
    }
    if (current.blended) {
        sides.blended = true;
        sides.blending = gl.glIsEnabled(GL_BLEND);
        gl.glGetIntegerv(GL_BLEND_SRC, &sides.source);
        gl.glGetIntegerv(GL_BLEND_DST, &sides.destination);
        gl.glGetBooleanv(GL_DEPTH_WRITEMASK, &sides.depthWrites);
        gl.glEnable(GL_BLEND);
        gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.glDepthMask(GL_FALSE);
    }
}

void ShaderStack::leaveSides() {
    if (sides.twoSided && sides.culling)
        gl.glEnable(GL_CULL_FACE);
    if (sides.blended) {
        gl.glBlendFunc(GLenum(sides.source), GLenum(sides.destination));
        gl.glDepthMask(sides.depthWrites);
        if (!sides.blending)
            gl.glDisable(GL_BLEND);
    }
    sides = Sides();
}

void ShaderStack::deselect(Shader* oldShader) {
    if (!oldShader || shader != oldShader)
        return;
    shader = nullptr;
    leave(oldShader);
}

void ShaderStack::reset() {
    Shader* previous = shader;
    shader = nullptr;
    leave(previous);
}

void ShaderStack::forget(const Shader* oldShader, bool inCurrentContext) noexcept {
    if (!oldShader || shader != oldShader)
        return;
    shader = nullptr;
    undoPending = true;
    if (inCurrentContext)
        leave(nullptr);
}

void ShaderStack::useArraysWithoutShader(std::uint32_t mask) {
    if (!shader)
        setClientArrays(mask);
}

void ShaderStack::setClientArrays(std::uint32_t mask) {
    if (redundancyTests && mask == clientArrays)
        return;
    std::uint32_t removed = clientArrays & ~mask;
    // Without redundancy tests every array of the mask is enabled again.
    std::uint32_t added = redundancyTests ? mask & ~clientArrays : mask;
    clientArrays = mask;
    for (const ClientArray& array : clientArrayOrder) {
        if (removed & array.bit)
            gl.glDisableClientState(array.array);
        else if (added & array.bit)
            gl.glEnableClientState(array.array);
    }
    for (int unit = 0; unit < TextureStack::UNITS; ++unit) {
        std::uint32_t bit = ARRAY_TEXCOORD0 << unit;
        if (!((removed | added) & bit))
            continue;
        gl.glClientActiveTextureARB(GL_TEXTURE0_ARB + GLenum(unit));
        if (removed & bit)
            gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        else
            gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    }
}

types::String ShaderStack::getClassName() const {
    return object::classPath(Object::getClassName(), ":ShaderStack");
}

void ModeStack::select(Mode* newMode) {
    if (!redundancyTests || newMode != mode)
        selectAlways(newMode);
}

void ModeStack::selectAlways(Mode* newMode) {
    if (!newMode) {
        reset();
        return;
    }
    Mode* previous = mode;
    mode = newMode;
    if (previous)
        previous->unapply();
    newMode->apply();
}

void ModeStack::reset() {
    if (Mode* previous = mode) {
        previous->unapply();
        mode = nullptr;
    }
}

void ModeStack::forget(const Mode* oldMode) noexcept {
    if (mode == oldMode)
        mode = nullptr;
}

types::String ModeStack::getClassName() const {
    return object::classPath(Object::getClassName(), ":ModeStack");
}

} // namespace orvane::graphics3d
