#pragma once

#include "orvane/io/Stream.h"

namespace orvane::io {

// A source of bytes read front to back.
class InputStream : public Stream {
public:
    // Copies up to count bytes into buffer; answers how many were read, 0 when nothing
    // could be read (end of data, an error, or a count that is not positive).
    virtual int read(void* buffer, int count) = 0;
    // Moves count bytes forward; answers how far the stream really moved.
    virtual int skip(int count) = 0;
    // The number of bytes that can still be read (negative when positioned past the end).
    virtual int available() = 0;
    virtual bool close() = 0;

    types::String getClassName() const override {
        return object::classPath(Stream::getClassName(), ":InputStream");
    }
};

} // namespace orvane::io
