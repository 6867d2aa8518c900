#pragma once

#include "orvane/graphics3d/state/TextureShader.h"

namespace orvane::sample {

// The viewer's one texture shader, which its `t` key switches: while textures are shown
// it is a TextureShader, while they are not it draws as the colour shader does (no
// texture state at all). A compiled model's stream calls apply() every time it selects
// the shader, so the switch reaches compiled drawing too; unapply undoes what the last
// apply did, whatever the switch says now.
class SwitchableTextureShader : public graphics3d::TextureShader {
public:
    void apply() override;
    void unapply() override;
    graphics3d::ShaderUndo undoRecord() const override;

    types::String getClassName() const override;

    bool showTextures = true;

private:
    bool textured = false;
};

} // namespace orvane::sample
