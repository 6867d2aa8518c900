#include "orvane/graphics/TranslatorRoster.h"

namespace orvane::graphics {

TranslatorRoster::TranslatorRoster() {
    addTranslator(&bmp);
    addTranslator(&dds);
    addTranslator(&gif);
    addTranslator(&jpg);
    addTranslator(&pcx);
    addTranslator(&png);
    addTranslator(&tga);
    addTranslator(&tiff);
}

// The chain's references go first; the embedded translators die after this body, in
// reverse order.
TranslatorRoster::~TranslatorRoster() {
    removeAllTranslators();
}

} // namespace orvane::graphics
