#include "orvane/graphics3d/state/RenderCalls.h"

#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/Shader.h"
#include "orvane/graphics3d/state/Texture.h"

namespace orvane::graphics3d::renderCalls {

Context* currentContext() noexcept {
    return Context::current();
}

void ORVANE_THISCALL bindMode(Mode* mode) {
    if (Context* context = Context::current())
        context->modeStack.selectAlways(mode);
}

void resetMode() {
    if (Context* context = Context::current())
        context->modeStack.reset();
}

void resetShader() {
    if (Context* context = Context::current())
        context->shaderStack.reset();
}

void resetMaterial() noexcept {
    if (Context* context = Context::current())
        context->materialStack.reset();
}

void forgetColours() noexcept {
    if (Context* context = Context::current())
        context->materialStack.forgetColours();
}

void forgetTexture(std::uintptr_t unit) noexcept {
    if (Context* context = Context::current())
        context->textureStack.forget(int(unit));
}

void ORVANE_THISCALL applyShader(Shader* shader) {
    if (Context* context = Context::current())
        context->shaderStack.applied(shader);
    else
        shader->apply();
}

void ORVANE_THISCALL setShaderClientArrays(Shader* shader) {
    shader->setClientArrays();
}

void ORVANE_THISCALL bindTextureAlways(Texture* texture, std::uintptr_t unit) {
    if (Context* context = Context::current())
        context->textureStack.bindAlways(texture, int(unit));
}

void useArraysWithoutShader(std::uintptr_t mask) {
    if (Context* context = Context::current())
        context->shaderStack.useArraysWithoutShader(std::uint32_t(mask));
}

void drawArrays(std::uintptr_t primitive, std::uintptr_t first, std::uintptr_t count) {
    gl.glDrawArrays(GLenum(primitive), GLint(first), GLsizei(count));
}

void drawElements(std::uintptr_t primitive, std::uintptr_t first, std::uintptr_t count) {
    const Context* context = Context::current();
    if (!context)
        return;
    const std::uintptr_t start = context->indexPointer + first * context->indexSize;
    gl.glDrawElements(GLenum(primitive), GLsizei(count), GLenum(context->indexType),
                      reinterpret_cast<const void*>(start));
}

} // namespace orvane::graphics3d::renderCalls
