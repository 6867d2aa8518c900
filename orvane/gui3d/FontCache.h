#pragma once

#include "orvane/container/Map.h"
#include "orvane/freetype/Font.h"
#include "orvane/gui3d/FontMap.h"
#include "orvane/object/Pointer.h"

namespace orvane::gui3d {

// One font map per font, by font identity (two fonts with equal descriptors are two
// entries). Maps are made in the OpenGL context current at their first request, so a cache
// belongs to one render context: each painter owns one. Holds one reference to each map,
// which holds its font.
class FontCache : public object::Object {
public:
    // The font's map, made on the first request; null when none can be made (nothing is
    // stored then, so a later request tries again). No reference for the caller.
    FontMap* get(freetype::Font* font);
    // The font's map if it has been made, else null; makes nothing.
    FontMap* find(freetype::Font* font) noexcept;
    // Lets go of the font's map; nothing for a font without one.
    void remove(freetype::Font* font);
    std::uint32_t count() const noexcept { return maps.count(); }

    types::String getClassName() const override;

private:
    container::Map<freetype::Font*, object::Pointer<FontMap>> maps;
};

} // namespace orvane::gui3d
