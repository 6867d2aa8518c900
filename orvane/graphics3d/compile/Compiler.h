#pragma once

#include "orvane/container/Map.h"
#include "orvane/graphics3d/compile/RenderStream.h"
#include "orvane/graphics3d/state/Resource.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Assembler.h"
#include "orvane/system/Program.h"

#include <cstdint>

namespace orvane::graphics3d {

class Appearance;
class IndexBuffer;
class Material;
class Mesh;
class Mode;
class Shader;
class Texture;
class VertexBuffer;

// Turns a sequence of rendering steps (select this mode, shader, material, texture,
// vertex or index buffer; draw this range) into one machine-code function, a RenderStream.
//
// The compiler remembers the state the code emitted so far leaves behind and emits
// nothing for a step that would not change it, so the code holds only real state changes
// and draw calls, all arguments constants. Every resource the code refers to is retained
// before its address is written into the code and handed to the stream.
//
// Emitted layout: a prologue that saves ESI and puts the calling thread's current render
// Context into it (`begin`), the steps, an epilogue that restores ESI and returns (`end`).
// OpenGL calls go to the dispatch table's entries as they are while compiling.
//
// Nothing here calls OpenGL. Single-threaded; a compiler may be started again with
// `begin` after `finish`.
class Compiler : public object::Object {
public:
    static constexpr int TEXTURE_UNITS = 8;
    static constexpr int ARRAY_BITS = 20;

    // Begun.
    Compiler();

    // Clears the state cache, the resources and the commands, then emits the prologue.
    void begin();

    // Each set operation emits the selection when the resource differs from the cached
    // one; a null resource is the matching clear.
    void setMode(Mode* mode);
    void clearMode();
    void setShader(Shader* shader);
    void clearShader();
    void setMaterial(Material* material);
    void clearMaterial();
    // Units 0 to 7; others are ignored.
    void setTexture(Texture* texture, int unit);
    void clearTexture(int unit);
    // Points the arrays of `mask` that the buffer has and that are not bound to it already.
    void setVertexBuffer(VertexBuffer* buffer, std::uint32_t mask);
    // For a draw without a shader: switches the arrays of `mask` on when, at run time, no
    // shader is current (what a mesh without one does when it is drawn by itself).
    void useArraysWithoutShader(std::uint32_t mask);
    void setIndexBuffer(IndexBuffer* buffer);
    // The appearance's shader, material and textures, skipping pieces it does not have.
    void applyAppearance(const Appearance& appearance);
    // Clears the shader, the material and the texture of every unit.
    void resetState();

    void drawArrays(std::uint32_t primitive, std::uint32_t first, std::uint32_t count);
    // Indices first .. first + count of the index buffer set last.
    void drawElements(std::uint32_t primitive, std::uint32_t first, std::uint32_t count);

    // A call of the mesh's own draw(). Since that binds whatever it needs, the cached
    // state is forgotten afterwards (the mode excepted, which meshes leave alone): the next
    // selections are emitted again.
    void drawMesh(Mesh* mesh);

    // Emits the epilogue.
    void end();
    // A new stream (count 1, the caller's) of the commands so far, assembled for the host
    // or for the given backend, with every resource the code refers to.
    RenderStream* finish(system::Program::Machine machine = system::Program::hostMachine) const;

    const system::Assembler& getAssembler() const noexcept { return assembler; }
    std::uint32_t resourceCount() const noexcept { return resources.count(); }

    types::String getClassName() const override;

private:
    void clearCache() noexcept;
    void keep(Resource* resource);

    // By creation number, so that a stream lists its resources in the same order on
    // every run.
    container::Map<std::uint64_t, object::Pointer<Resource>> resources;
    system::Assembler assembler;

    // What the emitted code leaves current; plain pointers, owned through `resources`.
    Texture* textures[TEXTURE_UNITS];
    Material* material;
    Shader* shader;
    Mode* mode;
    VertexBuffer* vertexBuffers[ARRAY_BITS];
    // The one bound to GL_ARRAY_BUFFER_ARB: arrays it has yet to point are pointed without
    // binding it again.
    VertexBuffer* boundArrayBuffer;
    IndexBuffer* indexBuffer;
};

} // namespace orvane::graphics3d
