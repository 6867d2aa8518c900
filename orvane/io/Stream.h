#pragma once

#include "orvane/object/Object.h"

namespace orvane::io {

// Common root of the two stream kinds; adds nothing to Object.
//
// The stream interfaces are header-only on purpose: the process-wide standard streams
// (system::System) implement them from the foundation layer without linking this one.
class Stream : public object::Object {
public:
    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Stream");
    }
};

} // namespace orvane::io
