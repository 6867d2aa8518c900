#pragma once

#include "orvane/container/Chain.h"
#include "orvane/object/Object.h"

namespace orvane::io {

// Makes a new object from an existing one; filters can be kept in a chain.
template <class T>
class Filter : public object::Object, public container::Chainable<Filter<T>> {
public:
    // A new object owned by the caller, made from source (which is not changed), or null
    // when the filter cannot handle the source.
    virtual T* apply(const T* source) = 0;

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Filter");
    }
};

} // namespace orvane::io
