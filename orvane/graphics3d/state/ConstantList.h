#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Object.h"

namespace orvane::graphics3d {

// A constant a shader hands to its programs. The engine defines none.
class Constant : public object::Object {
public:
    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Constant");
    }
};

// The constants of a shader: every shader starts with an empty list and nothing in the
// engine adds to it. The list holds a reference to each constant it is given.
class ConstantList : public object::Object {
public:
    ConstantList() = default;
    ConstantList(const ConstantList&) = delete;
    ConstantList& operator=(const ConstantList&) = delete;
    ~ConstantList() override {
        for (Constant* constant : constants)
            constant->release();
    }

    // Appends a constant and holds a reference to it.
    void add(Constant* constant) {
        constant->retain();
        constants.add(constant);
    }
    std::uint32_t count() const noexcept { return constants.count(); }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":ConstantList");
    }

    container::Array<Constant*> constants;
};

} // namespace orvane::graphics3d
