#pragma once

#include "orvane/io/Stream.h"

namespace orvane::io {

// A sink of bytes.
class OutputStream : public Stream {
public:
    // Answers the number of bytes written.
    virtual int write(const void* buffer, int count) = 0;
    virtual bool flush() = 0;
    virtual bool close() = 0;

    types::String getClassName() const override {
        return object::classPath(Stream::getClassName(), ":OutputStream");
    }
};

} // namespace orvane::io
