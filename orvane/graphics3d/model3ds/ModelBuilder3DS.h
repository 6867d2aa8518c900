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
#include <string>
#include <vector>

namespace orvane::graphics3d {

class ColourMaterial;
class MeshLayout3DS;
class TextureManager;

// Turns what Translator3DS read into engine objects:
//
// - one Appearance with a ColourMaterial per material chunk, in file order, drawn with a
//   ColourShader or, when it got a texture in unit 0, a TextureShader (one of each per
//   build, shared by every appearance; one more for each combination of the two-sided and
//   blended flags the materials ask for: two-sided materials (A081) draw both sides of
//   their faces, materials with a transparency above 0 (A050, which also gives their
//   colours the alpha 1 - transparency) and textures with translucent texels are drawn
//   blended, after every other mesh). A texture map's tiling flags set its texture's wrap
//   (clamped to the edge for a decal or a map that does not tile, mirrored, else
//   repeated; the last material to name a texture decides), and its placement moves the
//   coordinates (MeshLayout3DS). A texture map's file is asked of the texture
//   manager and filtered with GL_LINEAR_MIPMAP_LINEAR / GL_LINEAR. Every material chunk is
//   built, also one a later material of the same name replaces, so a missing texture is
//   met wherever its material stands. What a texture that cannot be loaded does is the
//   builder's TextureFailures setting: by default it fails the build with the manager's
//   exception (a texture map naming no file raises io::TranslatorFormatException); with
//   WARN the material is kept without that texture and the failure is recorded
//   (textureFailures());
// - per buildable triangle mesh one vertex buffer, one index buffer (16-bit, or 32-bit
//   where smoothing groups and placements split it into more vertices than 16 bits name)
//   and one IndexMesh (GL_TRIANGLES, named after its object) per face-material group, in
//   file order, with the appearance of the material the group named when it was read;
//   the layout is MeshLayout3DS's,
//   including its one range over all faces for a triangle mesh without groups. Meshes
//   whose faces name no material read before them (or none at all) share one default
//   appearance, a light grey ColourMaterial with the ColourShader, so they draw in one
//   colour of their own rather than with whatever the previous mesh left current;
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
    // What a texture that cannot be loaded does to the build.
    enum class TextureFailures { RAISE, WARN };

    // One texture that could not be loaded in a WARN build.
    struct TextureFailure {
        enum Kind {
            MISSING,  // no file of that name (nor of its stem with a picture extension)
            UNNAMED,  // the texture map names no file
            UNUSABLE, // the file is there but gives no texture
        };
        Kind kind;
        std::string material;    // the material's name, as the file spells it
        std::string textureName; // the file the material names, as the file spells it
        std::string reason;      // the exception's class and words, for UNUSABLE
    };

    // The default appearance's colours: a light grey that reads under the viewer's one
    // light and in its ambient light alone.
    static constexpr float DEFAULT_AMBIENT = 0.6f;
    static constexpr float DEFAULT_DIFFUSE = 0.75f;
    static constexpr float DEFAULT_SPECULAR = 0.2f;
    static constexpr float DEFAULT_SHININESS = 0.25f;

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
    // The appearance of the last build's meshes without a material; null when it had none.
    Appearance* defaultAppearance() const noexcept { return fallback.get(); }

    void setTextureFailures(TextureFailures policy) noexcept { failurePolicy = policy; }
    TextureFailures getTextureFailures() const noexcept { return failurePolicy; }
    // The textures the last WARN build went without, in the order they were asked for.
    const std::vector<TextureFailure>& textureFailures() const noexcept { return failures; }

private:
    object::Pointer<Appearance> buildAppearance(const Material3DS& material);
    // The material's texture, or null when a WARN build goes without it.
    Texture* loadTexture(const Material3DS& material);
    Appearance* appearanceWithoutMaterial();
    // Adds the mesh's meshes to the model, or to `blended` for those drawn blended.
    void buildMeshes(const Mesh3DS& mesh, StaticModel& model,
                     std::vector<object::Pointer<Mesh>>& blended);
    // The build's shader for such appearances: its ColourShader or TextureShader for the
    // plain ones, one more of each kind per combination of two-sided and blended.
    Shader* shaderFor(bool textured, bool twoSided, bool blended);
    object::Pointer<VertexBuffer> buildVertexBuffer(const MeshLayout3DS& layout);
    object::Pointer<IndexBuffer> buildIndexBuffer(const MeshLayout3DS& layout);

    TextureManager* textures;
    // During build(): the model being built; during buildAppearance(): the appearance and
    // the colour material of the material chunk being built. Null otherwise.
    object::Pointer<StaticModel> model;
    object::Pointer<Appearance> currentAppearance;
    object::Pointer<ColourMaterial> currentMaterial;
    object::Pointer<ColourShader> colourShader;
    object::Pointer<TextureShader> textureShader;
    // [textured][two-sided][blended]
    object::Pointer<Shader> shaders[2][2][2];
    std::vector<Material3DS> described;
    // By material index: the appearances the groups' material indices denote.
    std::vector<object::Pointer<Appearance>> appearances;
    object::Pointer<Appearance> fallback;
    TextureFailures failurePolicy = TextureFailures::RAISE;
    std::vector<TextureFailure> failures;
};

} // namespace orvane::graphics3d
