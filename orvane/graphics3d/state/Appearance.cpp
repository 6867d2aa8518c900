#include "orvane/graphics3d/state/Appearance.h"

#include "orvane/graphics3d/state/Context.h"

namespace orvane::graphics3d {

Appearance::~Appearance() {
    shader = nullptr;
    for (object::Pointer<Texture>& unit : textures)
        unit = nullptr;
    material = nullptr;
}

void Appearance::setTexture(Texture* texture, int unit) noexcept {
    if (unit >= 0 && unit < UNITS)
        textures[unit] = texture;
}

Texture* Appearance::texture(int unit) const noexcept {
    return unit >= 0 && unit < UNITS ? textures[unit].get() : nullptr;
}

void Appearance::apply() {
    Context* context = Context::current();
    if (!context)
        return;
    if (shader)
        context->shaderStack.select(shader.get());
    if (material)
        context->materialStack.select(material.get());
    for (int unit = 0; unit < UNITS; ++unit)
        if (textures[unit])
            context->textureStack.bind(textures[unit].get(), unit);
}

void Appearance::applyAll() {
    Context* context = Context::current();
    if (!context)
        return;
    if (shader)
        context->shaderStack.selectAlways(shader.get());
    if (material)
        context->materialStack.selectAlways(material.get());
    for (int unit = 0; unit < UNITS; ++unit)
        if (textures[unit])
            context->textureStack.bindAlways(textures[unit].get(), unit);
}

void Appearance::withdraw() {
    Context* context = Context::current();
    if (!context)
        return;
    if (shader)
        context->shaderStack.deselect(shader.get());
    if (material)
        context->materialStack.deselect(material.get());
    for (int unit = 0; unit < UNITS; ++unit)
        if (textures[unit])
            context->textureStack.unbind(textures[unit].get(), unit);
}

types::String Appearance::getClassName() const {
    return object::classPath(Resource::getClassName(), ":Appearance");
}

} // namespace orvane::graphics3d
