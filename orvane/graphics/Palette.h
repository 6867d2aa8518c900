#pragma once

#include "orvane/object/Object.h"

#include <cstring>

namespace orvane::graphics {

// The 256-colour table of indexed images: each entry red, green, blue, alpha. Translators
// store alpha 0 for colours whose file gives none.
template <class T>
class Palette : public object::Object {
public:
    static constexpr int ENTRIES = 256;

    // Every entry (0, 0, 0, 0).
    Palette() noexcept { std::memset(entries, 0, sizeof entries); }
    Palette(const Palette& other) noexcept
        : Object(other) {
        std::memcpy(entries, other.entries, sizeof entries);
    }
    Palette& operator=(const Palette& other) noexcept {
        std::memcpy(entries, other.entries, sizeof entries);
        return *this;
    }

    // The four components of entry index (0 to 255).
    T* entry(int index) noexcept { return entries[index]; }
    const T* entry(int index) const noexcept { return entries[index]; }

    void set(int index, T red, T green, T blue, T alpha) noexcept {
        entries[index][0] = red;
        entries[index][1] = green;
        entries[index][2] = blue;
        entries[index][3] = alpha;
    }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Palette");
    }

private:
    T entries[ENTRIES][4];
};

} // namespace orvane::graphics
