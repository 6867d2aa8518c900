#pragma once

#include "orvane/object/Object.h"

namespace orvane::object {

// Describes an object's class by its class path. Made on demand and thrown away; there
// is no registry of classes.
class Class : public Object {
public:
    explicit Class(const Object& object);
    Class(const Class& other) = default;

    types::String getName() const override;
    types::String toString() const override;
    types::String getClassName() const override;

private:
    types::String name;
};

} // namespace orvane::object
