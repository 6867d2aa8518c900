#pragma once

#include "orvane/graphics3d/model/Model.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/io/TranslatorRoster.h"

namespace orvane::graphics3d {

// Every model translator of the engine, owned by the roster and asked in this order:
// 3DS. Callers find the translator of a model file by probing, as with images:
//
//     TranslatorRoster roster;
//     io::Translator<Model>* translator = roster.findTranslator(file);  // null: unknown
//     Model* model = translator->translate(file->getInputStream(), -1);
//
// Settings such as the texture manager go to the found translator (setProperties with
// "texturemanager"); they stay with it for the roster's life.
class TranslatorRoster : public io::TranslatorRoster<Model> {
public:
    TranslatorRoster();
    ~TranslatorRoster() override;

private:
    Translator3DS translator3DS;
};

} // namespace orvane::graphics3d
