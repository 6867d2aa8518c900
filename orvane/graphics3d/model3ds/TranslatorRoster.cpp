#include "orvane/graphics3d/model3ds/TranslatorRoster.h"

namespace orvane::graphics3d {

TranslatorRoster::TranslatorRoster() {
    addTranslator(&translator3DS);
}

// The chain's references go first; the embedded translator dies after this body.
TranslatorRoster::~TranslatorRoster() {
    removeAllTranslators();
}

} // namespace orvane::graphics3d
