#include "orvane/gui3d/FontMap.h"

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

types::String FontMap::getClassName() const {
    return object::classPath(Object::getClassName(), ":FontMap");
}

} // namespace orvane::gui3d
