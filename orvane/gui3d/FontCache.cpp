#include "orvane/gui3d/FontCache.h"

namespace orvane::gui3d {

FontMap* FontCache::get(freetype::Font* font) {
    if (!font)
        return nullptr;
    if (auto* node = maps.find(font))
        return node->value.get();
    FontMap* made = FontMap::create(font);
    if (!made)
        return nullptr;
    maps.insert(font, object::Pointer<FontMap>::adopt(made));
    return made;
}

FontMap* FontCache::find(freetype::Font* font) noexcept {
    auto* node = maps.find(font);
    return node ? node->value.get() : nullptr;
}

void FontCache::remove(freetype::Font* font) {
    maps.remove(font);
}

types::String FontCache::getClassName() const {
    return object::classPath(Object::getClassName(), ":FontCache");
}

} // namespace orvane::gui3d
