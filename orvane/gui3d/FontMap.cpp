#include "orvane/gui3d/FontMap.h"

#include "orvane/graphics3d/state/Graphics3dException.h"

namespace orvane::gui3d {

FontMap::FontMap(graphics3d::Texture2D* texture, freetype::Font* font)
    : texture(texture)
    , font(font) {
    // Single precision throughout, as the texture coordinates are sent.
    const float perWidth = 1.0f / float(texture->width);
    const float perHeight = 1.0f / float(texture->height);
    for (int code = 0; code < freetype::Font::GLYPH_COUNT; ++code) {
        const freetype::Font::Glyph& from = font->glyphs[code];
        Glyph& to = glyphs[code];
        to.s0 = float(from.x) * perWidth;
        to.t0 = float(from.y) * perHeight;
        to.s1 = to.s0 + float(from.width) * perWidth;
        to.t1 = to.t0 + float(from.height) * perHeight;
        to.advance = from.advance;
        to.top = from.bearingY;
        to.left = from.bearingX;
        to.width = float(from.width);
        to.bottom = float(from.height) - from.bearingY;
    }
}

FontMap* FontMap::create(freetype::Font* font) {
    if (!font)
        return nullptr;
    const std::int32_t size[2] = {font->image.getWidth(), font->image.getHeight()};
    object::Pointer<graphics3d::Texture2D> texture;
    try {
        // Mipmap mode 1: no generated levels; glyphs are drawn one texel per pixel. The
        // glyphs' coverage is the texture's alpha, which text is blended through.
        texture = object::Pointer<graphics3d::Texture2D>::adopt(graphics3d::createTexture2D(
            font->image.getFormat(), size, 1, graphics3d::Texture2D::OneChannel::ALPHA));
    } catch (const graphics3d::Graphics3dException&) {
        return nullptr;
    }
    if (!texture)
        return nullptr;
    // An image without pixels (a font without glyphs) leaves the texture empty.
    texture->update(&font->image, 0);
    return new FontMap(texture.get(), font);
}

types::String FontMap::getClassName() const {
    return object::classPath(Object::getClassName(), ":FontMap");
}

} // namespace orvane::gui3d
