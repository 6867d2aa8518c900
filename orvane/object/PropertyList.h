#pragma once

#include "orvane/container/Array.h"
#include "orvane/object/Object.h"
#include "orvane/object/Property.h"

#include <cstdint>

namespace orvane::object {

// An ordered, name-addressed set of properties that one object hands to another without
// either knowing the other's class (a translator publishing its settings, a caller filling
// them in). Lists are values, built from static descriptor tables.
//
// Names are matched as prefixes of the query: a property matches when the query starts
// with its whole name ("texturemanager" is found by "texturemanager.extra" but not by
// "texture"); a property with an empty name matches only an empty query. The first match
// in list order wins.
class PropertyList : public Object {
public:
    PropertyList() noexcept = default;
    // One property per row before the table's end row, in row order.
    explicit PropertyList(const PropertyDescriptor* table);

    // Appends a copy of every property of other, in order.
    void append(const PropertyList& other);

    Property* lookup(const char* query) noexcept;
    const Property* lookup(const char* query) const noexcept;
    // The position of the first match, or count() when nothing matches.
    std::uint32_t find(const char* query) const noexcept;
    bool contains(const char* query) const noexcept { return find(query) != count(); }

    // Every property back to its default value.
    void resetAll() noexcept;

    std::uint32_t count() const noexcept { return properties.count(); }
    Property& operator[](std::uint32_t index) noexcept { return properties[index]; }
    const Property& operator[](std::uint32_t index) const noexcept { return properties[index]; }
    Property* begin() noexcept { return properties.begin(); }
    Property* end() noexcept { return properties.end(); }
    const Property* begin() const noexcept { return properties.begin(); }
    const Property* end() const noexcept { return properties.end(); }

    types::String getClassName() const override;

private:
    container::Array<Property> properties;
};

} // namespace orvane::object
