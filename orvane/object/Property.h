#pragma once

#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::object {

// A property's value cell: one word of any of the kinds below, as large and as aligned
// as a double. Zero-initialised by {} (word = 0).
union PropertyValue {
    std::intptr_t word; // what getValue()/setValue() exchange
    const char* text;   // string kind
    Object* object;     // object kind (not counted)
    double real;
    std::int32_t integer;
};

// One row of a static property table. A table is an array of rows closed by a row of type
// PropertyDescriptor::tableEnd, declared for instance as
//
//     const PropertyDescriptor settings[] = {
//         {Property::objectKind, "texturemanager", "", {}},
//         {Property::stringKind, "directory", "", {.text = "data"}},
//         PropertyDescriptor::end(),
//     };
struct PropertyDescriptor {
    static constexpr std::int32_t tableEnd = 0x7FFFFFFF;
    static constexpr PropertyDescriptor end() noexcept { return {tableEnd, nullptr, nullptr, {}}; }

    std::int32_t type;
    const char* name;
    const char* description;
    PropertyValue defaultValue;
};

// A named, typed setting. The value kinds that matter to the engine are strings
// (stringKind) and object references (objectKind); other kinds keep the bits they get.
//
// Ownership: a string property owns the characters of its current and default values.
// Both cells point at one copy until the current value is changed; setString() and
// reset() free the current copy only when it is not the default's, and destruction frees
// each copy once. Copying a property copies the characters (one copy when the two cells
// shared one). Object references are plain pointers: the property holds no reference.
class Property : public Object {
public:
    static constexpr std::int32_t stringKind = 1;
    static constexpr std::int32_t objectKind = 5;

    // An unnamed property of kind 0 with zero values.
    Property() noexcept = default;
    // Name, description and kind from the row; the current value starts as the default
    // (for strings, the row's text copied once and shared by both cells).
    explicit Property(const PropertyDescriptor& row);
    Property(const Property& other);
    Property(Property&& other) noexcept;
    Property& operator=(const Property& other);
    Property& operator=(Property&& other) noexcept;
    ~Property() override;

    // A copy of the name.
    types::String getName() const override;
    // The name itself.
    const types::String& key() const noexcept { return name; }
    types::String getClassName() const override;

    const types::String& getDescription() const noexcept { return description; }
    std::int32_t getType() const noexcept { return type; }
    bool isString() const noexcept { return type == stringKind; }

    // The current value's word. For a string property it is the address of the current
    // characters (or 0).
    std::intptr_t getValue() const noexcept { return value.word; }
    // Stores word as the current value. A string property takes word as the address of
    // characters (or 0) and keeps its own copy of them, as setString() does: a string
    // property never holds characters it does not own.
    void setValue(std::intptr_t word);

    // The current characters of a string property (null when it has none).
    const char* getString() const noexcept { return value.text; }
    // Replaces the current characters with a copy of text (null stores no characters).
    void setString(const char* text);

    Object* getObject() const noexcept { return value.object; }
    void setObject(Object* object) { setValue(reinterpret_cast<std::intptr_t>(object)); }

    const PropertyValue& getDefault() const noexcept { return defaultValue; }
    // Back to the default value; for strings the current copy is freed unless it is the
    // default's.
    void reset() noexcept;

private:
    bool sharesDefault() const noexcept { return value.text == defaultValue.text; }
    void freeCurrent() noexcept;
    void freeBoth() noexcept;
    void copyValuesFrom(const Property& other);

    types::String name;
    types::String description;
    std::int32_t type = 0;
    PropertyValue value{};
    PropertyValue defaultValue{};
};

} // namespace orvane::object
