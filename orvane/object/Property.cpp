#include "orvane/object/Property.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace orvane::object {

namespace {

// A heap copy of text, or null for null.
const char* copyText(const char* text) {
    if (!text)
        return nullptr;
    const std::size_t bytes = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(bytes));
    if (!copy)
        throw std::bad_alloc();
    std::memcpy(copy, text, bytes);
    return copy;
}

void freeText(const char* text) noexcept {
    std::free(const_cast<char*>(text));
}

} // namespace

Property::Property(const PropertyDescriptor& row)
    : name(row.name)
    , description(row.description)
    , type(row.type)
    , defaultValue(row.defaultValue) {
    if (type == stringKind)
        defaultValue.text = copyText(row.defaultValue.text);
    value = defaultValue;
}

Property::Property(const Property& other)
    : Object(other)
    , name(other.name)
    , description(other.description)
    , type(other.type) {
    copyValuesFrom(other);
}

Property::Property(Property&& other) noexcept
    : Object(other)
    , name(std::move(other.name))
    , description(std::move(other.description))
    , type(other.type)
    , value(std::exchange(other.value, PropertyValue{}))
    , defaultValue(std::exchange(other.defaultValue, PropertyValue{})) {}

Property& Property::operator=(const Property& other) {
    if (this != &other) {
        Property copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Property& Property::operator=(Property&& other) noexcept {
    if (this != &other) {
        freeBoth();
        name = std::move(other.name);
        description = std::move(other.description);
        type = other.type;
        value = std::exchange(other.value, PropertyValue{});
        defaultValue = std::exchange(other.defaultValue, PropertyValue{});
    }
    return *this;
}

Property::~Property() {
    freeBoth();
}

types::String Property::getName() const {
    return name;
}

types::String Property::getClassName() const {
    return classPath(Object::getClassName(), ":Property");
}

void Property::setValue(std::intptr_t word) {
    if (type == stringKind) {
        setString(reinterpret_cast<const char*>(word));
        return;
    }
    value.word = word;
}

void Property::setString(const char* text) {
    // Copy first: text may be the current value itself.
    const char* copy = copyText(text);
    freeCurrent();
    value.text = copy;
}

void Property::reset() noexcept {
    freeCurrent();
    value = defaultValue;
}

void Property::freeCurrent() noexcept {
    if (type == stringKind && !sharesDefault())
        freeText(value.text);
    value.text = nullptr;
}

void Property::freeBoth() noexcept {
    freeCurrent();
    if (type == stringKind)
        freeText(defaultValue.text);
    defaultValue.text = nullptr;
}

void Property::copyValuesFrom(const Property& other) {
    if (type != stringKind) {
        value = other.value;
        defaultValue = other.defaultValue;
        return;
    }
    defaultValue.text = copyText(other.defaultValue.text);
    try {
        value.text = other.sharesDefault() ? defaultValue.text : copyText(other.value.text);
    } catch (...) {
        freeText(defaultValue.text);
        throw;
    }
}

} // namespace orvane::object
