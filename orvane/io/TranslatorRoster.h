#pragma once

#include "orvane/container/Chain.h"
#include "orvane/io/Translator.h"

namespace orvane::io {

// The translators for one kind of object, asked in registration order.
template <class T>
class TranslatorRoster : public object::Object {
public:
    // Appends translator; the roster holds a reference to it until the roster dies.
    void addTranslator(Translator<T>* translator) { translators.add(translator); }

    // The first translator whose identify() accepts the file (borrowed), or null. The
    // file is put back to where it was after every probe, so its position is the same
    // whether a translator was found or not.
    Translator<T>* findTranslator(File* file) {
        const int start = file->position();
        for (Translator<T>* translator : translators) {
            const bool recognised = translator->identify(file);
            file->seek(start, File::FROM_START);
            if (recognised)
                return translator;
        }
        return nullptr;
    }

    const container::Chain<Translator<T>>& getTranslators() const noexcept { return translators; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":TranslatorRoster");
    }

protected:
    // Lets go of every registered translator (subclasses that embed their translators
    // call it before those die).
    void removeAllTranslators() noexcept { translators.clear(); }

private:
    container::Chain<Translator<T>> translators;
};

} // namespace orvane::io
