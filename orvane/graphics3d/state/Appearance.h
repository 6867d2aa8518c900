#pragma once

#include "orvane/graphics3d/state/Material.h"
#include "orvane/graphics3d/state/Resource.h"
#include "orvane/graphics3d/state/Shader.h"
#include "orvane/graphics3d/state/Texture.h"
#include "orvane/object/Pointer.h"

namespace orvane::graphics3d {

// What a mesh is drawn with: a material, up to eight textures (one per texture unit) and
// a shader, each optional and held by a counted pointer, so appearances, meshes and
// render streams may share them. An unset piece leaves its part of the OpenGL state alone.
//
// apply, applyAll and withdraw act on the calling thread's current Context, which must
// exist. Destruction releases the shader, then the textures (unit 0 first), then the
// material.
class Appearance : public Resource {
public:
    static constexpr int UNITS = 8;

    Appearance() = default;
    ~Appearance() override;

    void setMaterial(Material* newMaterial) noexcept { material = newMaterial; }
    // Units 0 to 7; other units are ignored.
    void setTexture(Texture* texture, int unit) noexcept;
    void setShader(Shader* newShader) noexcept { shader = newShader; }
    // The stored pointer, without a reference for the caller; null for other units.
    Texture* texture(int unit) const noexcept;

    // Makes the current context draw with this appearance, skipping every piece that is
    // current already: the shader (the previous one's unapply, the vertex arrays, its
    // apply), the material, then the texture of each unit that differs (the active unit
    // is left at the last unit bound).
    void apply();
    // The same without the comparisons with what is current.
    void applyAll();
    // Forgets this appearance's pieces where the context's caches hold them, so that the
    // next apply of anything sets them again: a current shader is unapplied; the material
    // and the textures are only forgotten (no OpenGL call).
    void withdraw();

    types::String getClassName() const override;

    object::Pointer<Material> material;
    object::Pointer<Texture> textures[UNITS];
    object::Pointer<Shader> shader;
};

} // namespace orvane::graphics3d
