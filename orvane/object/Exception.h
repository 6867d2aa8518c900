#pragma once

#include "orvane/object/Object.h"

namespace orvane::object {

// Root of every exception the engine throws. Exceptions are thrown and caught by value;
// subclasses add no fields and differ only in getName() (their short name) and
// getClassName(). An exception made without text carries its short name as message.
//
// Beside the message, an exception may carry a detail: words for a person about this
// particular failure ("BMP: unsupported compression 4", "Permission denied"). The message
// stays the class's fixed text, so code that matches messages is not disturbed; tools
// print the detail when there is one. Empty by default.
class Exception : public Object {
public:
    Exception()
        : message("Exception") {}
    explicit Exception(const char* text)
        : message(text) {}
    explicit Exception(const types::String& text)
        : message(text) {}
    Exception(const Exception& other) = default;

    // The class's own short name, "Exception" here.
    types::String getName() const override;
    // The message.
    types::String toString() const override;
    types::String getClassName() const override;

    const types::String& getMessage() const noexcept { return message; }
    const types::String& getDetail() const noexcept { return detail; }
    void setDetail(const types::String& text) { detail = text; }

private:
    types::String message;
    types::String detail;
};

// Throws exception (by value, its own class) with the given detail.
template <class E>
[[noreturn]] void raiseWithDetail(E exception, const types::String& detail) {
    exception.setDetail(detail);
    throw exception;
}

} // namespace orvane::object

// Declares an exception class: its two constructors (no text gives the short name as
// message) and its name operations. Put it inside the class's namespace.
#define ORVANE_EXCEPTION(Name, Parent)                                                             \
    class Name : public Parent {                                                                   \
    public:                                                                                        \
        Name()                                                                                     \
            : Parent(#Name) {}                                                                     \
        explicit Name(const char* text)                                                            \
            : Parent(text) {}                                                                      \
        explicit Name(const ::orvane::types::String& text)                                         \
            : Parent(text) {}                                                                      \
        ::orvane::types::String getName() const override { return #Name; }                         \
        ::orvane::types::String getClassName() const override {                                    \
            return ::orvane::object::classPath(Parent::getClassName(), ":" #Name);                 \
        }                                                                                          \
    }
