#include "orvane/freetype/Descriptor.h"

namespace orvane::freetype {

Descriptor::Descriptor() noexcept
    : style("regular") {}

Descriptor::Descriptor(const Descriptor& other)
    : Object()
    , family(other.family)
    , style(other.style)
    , sizeX(other.sizeX)
    , sizeY(other.sizeY)
    , faceIndex(other.faceIndex)
    , flags(other.flags) {}

Descriptor& Descriptor::operator=(const Descriptor& other) {
    family = other.family;
    style = other.style;
    sizeX = other.sizeX;
    sizeY = other.sizeY;
    faceIndex = other.faceIndex;
    flags = other.flags;
    return *this;
}

bool Descriptor::equals(const Descriptor& other) const noexcept {
    return faceIndex == other.faceIndex && flags == other.flags && sizeX == other.sizeX &&
           sizeY == other.sizeY && style.equals(other.style) && family.equals(other.family);
}

types::String Descriptor::getName() const {
    return family + " " + style;
}

types::String Descriptor::getClassName() const {
    return object::classPath(Object::getClassName(), ":Descriptor");
}

} // namespace orvane::freetype
