#pragma once

#include "orvane/graphics3d/mesh/IndexBuffer.h"
#include "orvane/graphics3d/mesh/VertexBuffer.h"
#include "orvane/graphics3d/model/StaticModel.h"
#include "orvane/graphics3d/model3ds/Scene3DS.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/ColourShader.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "orvane/object/Pointer.h"

#include <cstddef>
#include <vector>

namespace orvane::graphics3d {

class MeshLayout3DS;
class TextureManager;

// Turns what Translator3DS read into engine objects:
//
// - one Appearance with a ColourMaterial per material chunk, in file order, drawn with a
//   ColourShader or, when it got a texture in unit 0, a TextureShader (one of each per
//   build, shared by every appearance). A texture map's file is asked of the texture
//   manager and filtered with GL_LINEAR_MIPMAP_LINEAR / GL_LINEAR; a texture that cannot
//   be loaded fails the build with the manager's exception. Every material chunk is built,
//   also one a later material of the same name replaces, so a missing texture fails the
//   model wherever its material stands;
// - per buildable triangle mesh one vertex buffer, one 16-bit index buffer and one
//   IndexMesh (GL_TRIANGLES) per face-material group, in file order, with the appearance
//   of the material the group named when it was read (none when it named no material
//   read before it); the layout is MeshLayout3DS's, including its one mesh over all
//   faces for a triangle mesh without groups;
// - one StaticModel holding the meshes, initialised after the meshes of each 3D-editor
//   chunk.
//
// Buffers are made with USAGE_STATIC: buffer objects when a render context is current,
// ordinary memory without one. A buffer that cannot be made, or a lock that yields no
// memory, raises io::TranslatorMemoryException; nothing is written through null. Any
// exception leaves nothing built behind.
//
// A builder serves one build; afterwards it still answers what each material chunk became,
// until it dies (tools report on models with it).
class ModelBuilder3DS {
public:
    // textures: where the materials' texture files come from, borrowed for the builder's
    // life; null builds no textures and opens no file (appearances of textured materials
    // then draw with the colour shader like the others).
    explicit ModelBuilder3DS(TextureManager* textures) noexcept;
    ~ModelBuilder3DS();
    ModelBuilder3DS(const ModelBuilder3DS&) = delete;
    ModelBuilder3DS& operator=(const ModelBuilder3DS&) = delete;

    // The model of the scene, owned by the caller (count 1).
    StaticModel* build(const Scene3DS& scene);

    // The material chunks of the last build, in file order, and the appearance built for
    // each (null for an index beyond them).
    const std::vector<Material3DS>& materials() const noexcept { return described; }
    Appearance* appearance(std::size_t material) const noexcept;

private:
    object::Pointer<Appearance> buildAppearance(const Material3DS& material);
    void buildMeshes(const Mesh3DS& mesh, StaticModel& model);
    object::Pointer<VertexBuffer> buildVertexBuffer(const MeshLayout3DS& layout);
    object::Pointer<IndexBuffer> buildIndexBuffer(const MeshLayout3DS& layout);

    TextureManager* textures;
    object::Pointer<ColourShader> colourShader;
    object::Pointer<TextureShader> textureShader;
    std::vector<Material3DS> described;
    // By material index: the appearances the groups' material indices denote.
    std::vector<object::Pointer<Appearance>> appearances;
};

} // namespace orvane::graphics3d
