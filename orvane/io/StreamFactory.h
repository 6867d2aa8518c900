#pragma once

#include "orvane/io/InputStream.h"
#include "orvane/io/OutputStream.h"

namespace orvane::io {

// Something that hands out an input and an output stream over itself.
class StreamFactory : public object::Object {
public:
    // Both answer a borrowed stream (no reference is added) that lives as long as the
    // factory.
    virtual InputStream* getInputStream() = 0;
    virtual OutputStream* getOutputStream() = 0;

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":StreamFactory");
    }
};

} // namespace orvane::io
