#pragma once

#include "orvane/container/Cache.h"
#include "orvane/graphics3d/state/Texture.h"
#include "orvane/graphics3d/state/TextureFactory.h"
#include "orvane/types/String.h"

namespace orvane::graphics3d {

// Textures by file name (exact, case-sensitive): the first request for a name has the
// factory make the texture, later ones answer the same texture. A failed creation raises
// its exception and stores nothing, so the next request tries again.
//
// Each entry carries the creation reference of its texture, and destroying the manager
// releases them: get() lends the texture, and whoever keeps it (an appearance, say) adds
// a reference of its own. So a texture lives exactly as long as its last user, and the
// manager may go before the models it loaded. Destroy it on the thread of its OpenGL
// context, since a texture with no other user deletes its texture object then.
class TextureManager : public container::Cache<types::String, Texture*, TextureFactory> {
public:
    TextureManager() = default;
    ~TextureManager() override;

    types::String getClassName() const override;
};

} // namespace orvane::graphics3d
