#include "orvane/graphics3d/state/TextureManager.h"

namespace orvane::graphics3d {

TextureManager::~TextureManager() {
    for (auto& entry : entries())
        if (entry.value)
            entry.value->release();
}

types::String TextureManager::getClassName() const {
    return object::classPath(Cache::getClassName(), ":TextureManager");
}

} // namespace orvane::graphics3d
