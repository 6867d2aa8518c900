#include "orvane/graphics3d/compile/Compiler.h"

#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/graphics3d/mesh/Mesh.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/RenderCalls.h"
#include "orvane/graphics3d/state/Shader.h"
#include "orvane/graphics3d/state/Texture.h"

namespace orvane::graphics3d {
namespace {

using system::Assembler;

bool isUnit(int unit) {
    return unit >= 0 && unit < Compiler::TEXTURE_UNITS;
}

// What a stream calls for a mesh it cannot draw from its buffers: the mesh's own draw().
void ORVANE_THISCALL drawMeshItself(Mesh* mesh) {
    mesh->draw();
}

} // namespace

Compiler::Compiler() {
    begin();
}

void Compiler::clearCache() noexcept {
    for (Texture*& texture : textures)
        texture = nullptr;
    material = nullptr;
    shader = nullptr;
    mode = nullptr;
    for (VertexBuffer*& buffer : vertexBuffers)
        buffer = nullptr;
    boundArrayBuffer = nullptr;
    indexBuffer = nullptr;
}

void Compiler::begin() {
    clearCache();
    resources.clear();
    assembler.clear();
    assembler.push(Assembler::ESI);
    assembler.callCdecl(&renderCalls::currentContext);
    assembler.moveRegister(Assembler::ESI, Assembler::EAX);
}

void Compiler::keep(Resource* resource) {
    resources.insert(resource->sequence(), object::Pointer<Resource>(resource));
}

void Compiler::setMode(Mode* newMode) {
    if (!newMode) {
        clearMode();
        return;
    }
    if (newMode == mode)
        return;
    mode = newMode;
    keep(newMode);
    assembler.callThisOn(&renderCalls::bindMode, newMode);
}

void Compiler::clearMode() {
    if (!mode)
        return;
    mode = nullptr;
    assembler.callCdecl(&renderCalls::resetMode);
}

void Compiler::setShader(Shader* newShader) {
    if (!newShader) {
        clearShader();
        return;
    }
    if (newShader == shader)
        return;
    shader = newShader;
    keep(newShader);
    newShader->emitApply(assembler);
}

void Compiler::clearShader() {
    if (!shader)
        return;
    shader = nullptr;
    assembler.callCdecl(&renderCalls::resetShader);
}

void Compiler::setMaterial(Material* newMaterial) {
    if (!newMaterial) {
        clearMaterial();
        return;
    }
    if (newMaterial == material)
        return;
    material = newMaterial;
    keep(newMaterial);
    newMaterial->emitApply(assembler);
}

void Compiler::clearMaterial() {
    if (!material)
        return;
    material = nullptr;
    assembler.callCdecl(&renderCalls::resetMaterial);
}

void Compiler::setTexture(Texture* texture, int unit) {
    if (!texture) {
        clearTexture(unit);
        return;
    }
    if (!isUnit(unit) || textures[unit] == texture)
        return;
    textures[unit] = texture;
    keep(texture);
    texture->emitBind(assembler, unit);
}

void Compiler::clearTexture(int unit) {
    if (!isUnit(unit) || !textures[unit])
        return;
    textures[unit] = nullptr;
    assembler.callCdecl1(&renderCalls::forgetTexture, unit);
}

void Compiler::setVertexBuffer(VertexBuffer* buffer, std::uint32_t mask) {
    if (!buffer)
        return;
    std::uint32_t collected = 0;
    for (int bit = 0; bit < ARRAY_BITS; ++bit) {
        const std::uint32_t flag = 1u << bit;
        if (!(mask & buffer->arrayMask() & flag) || vertexBuffers[bit] == buffer)
            continue;
        vertexBuffers[bit] = buffer;
        collected |= flag;
    }
    if (!collected)
        return;
    keep(buffer);
    buffer->emitBind(assembler, collected, buffer == boundArrayBuffer);
    boundArrayBuffer = buffer;
}

void Compiler::setIndexBuffer(IndexBuffer* buffer) {
    if (buffer == indexBuffer)
        return;
    indexBuffer = buffer;
    if (!buffer)
        return;
    keep(buffer);
    buffer->emitBind(assembler);
}

void Compiler::applyAppearance(const Appearance& appearance) {
    if (appearance.shader)
        setShader(appearance.shader.get());
    if (appearance.material)
        setMaterial(appearance.material.get());
    for (int unit = 0; unit < TEXTURE_UNITS; ++unit)
        if (Texture* texture = appearance.texture(unit))
            setTexture(texture, unit);
}

void Compiler::resetState() {
    clearShader();
    clearMaterial();
    for (int unit = 0; unit < TEXTURE_UNITS; ++unit)
        clearTexture(unit);
}

void Compiler::useArraysWithoutShader(std::uint32_t mask) {
    assembler.callCdecl1(&renderCalls::useArraysWithoutShader, mask);
}

void Compiler::drawArrays(std::uint32_t primitive, std::uint32_t first, std::uint32_t count) {
    assembler.callCdecl3(&renderCalls::drawArrays, primitive, first, count);
}

void Compiler::drawElements(std::uint32_t primitive, std::uint32_t first, std::uint32_t count) {
    assembler.callCdecl3(&renderCalls::drawElements, primitive, first, count);
}

void Compiler::drawMesh(Mesh* mesh) {
    if (!mesh)
        return;
    keep(mesh);
    assembler.callThisOn(&drawMeshItself, mesh);
    Mode* keptMode = mode;
    clearCache();
    mode = keptMode;
}

void Compiler::end() {
    assembler.pop(Assembler::ESI);
    assembler.ret();
}

RenderStream* Compiler::finish(system::Program::Machine machine) const {
    container::Array<object::Pointer<Resource>> kept;
    for (const auto& entry : resources)
        kept.add(entry.value);
    return new RenderStream(assembler.assemble(machine), std::move(kept));
}

types::String Compiler::getClassName() const {
    return object::classPath(Object::getClassName(), ":Compiler");
}

} // namespace orvane::graphics3d
