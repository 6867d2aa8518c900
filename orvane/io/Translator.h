#pragma once

#include "orvane/container/Chain.h"
#include "orvane/io/File.h"
#include "orvane/object/PropertyList.h"

namespace orvane::io {

// Turns the bytes of a stream into an object of type T. Translators sit in one chain at a
// time (a roster's); one translator serves one translate() call at a time.
template <class T>
class Translator : public object::Object, public container::Chainable<Translator<T>> {
public:
    // Reads one object from the stream. length is the number of bytes that belong to it,
    // or -1 to take what the stream has available. Answers a new object owned by the
    // caller, or null when the format has no object to give. Malformed data raises
    // TranslatorFormatException, memory that cannot be had TranslatorMemoryException;
    // IO exceptions of the stream pass through.
    virtual T* translate(InputStream* stream, int length) = 0;
    // The reverse conversion, object to stream; no translator of the engine writes, all
    // answer 0.
    virtual int write(const T* object, OutputStream* stream) = 0;
    // Whether the translator can read the file, judged from the bytes at its current
    // position, which is the same again afterwards. Never throws.
    virtual bool identify(File* file) = 0;
    // The translator's settings as a new list owned by the caller; none by default.
    virtual object::PropertyList* getProperties() { return new object::PropertyList(); }
    // Takes settings from the list; none by default.
    virtual void setProperties(const object::PropertyList* properties) { (void)properties; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Translator");
    }

protected:
    // Reads count bytes from offset bytes past the file's current position into buffer,
    // then puts the position back. False when fewer bytes came or anything failed.
    static bool probe(File* file, void* buffer, int count, int offset = 0) noexcept {
        try {
            const int start = file->position();
            if (offset != 0)
                file->seek(offset, File::FROM_CURRENT);
            const bool complete = file->read(buffer, count) == count;
            file->seek(start, File::FROM_START);
            return complete;
        } catch (...) {
            return false;
        }
    }

    // The length translate() was given, with -1 (or any negative value) resolved through
    // the stream's available(); never negative.
    static int resolveLength(InputStream* stream, int length) {
        if (length < 0)
            length = stream->available();
        return length < 0 ? 0 : length;
    }
};

} // namespace orvane::io
