#include "orvane/object/PropertyList.h"

#include <cstring>

namespace orvane::object {

namespace {

bool matches(const Property& property, const char* query) noexcept {
    const types::String& name = property.key();
    if (name.isEmpty())
        return query[0] == 0;
    return std::strncmp(query, name.cString(), name.length()) == 0;
}

} // namespace

PropertyList::PropertyList(const PropertyDescriptor* table) {
    for (const PropertyDescriptor* row = table; row->type != PropertyDescriptor::tableEnd; ++row)
        properties.emplace(*row);
}

void PropertyList::append(const PropertyList& other) {
    if (&other == this) {
        const PropertyList copy(other);
        append(copy);
        return;
    }
    for (const Property& property : other.properties)
        properties.add(property);
}

Property* PropertyList::lookup(const char* query) noexcept {
    const std::uint32_t at = find(query);
    return at == count() ? nullptr : &properties[at];
}

const Property* PropertyList::lookup(const char* query) const noexcept {
    const std::uint32_t at = find(query);
    return at == count() ? nullptr : &properties[at];
}

std::uint32_t PropertyList::find(const char* query) const noexcept {
    if (!query)
        query = "";
    std::uint32_t at = 0;
    while (at < count() && !matches(properties[at], query))
        ++at;
    return at;
}

void PropertyList::resetAll() noexcept {
    for (Property& property : properties)
        property.reset();
}

types::String PropertyList::getClassName() const {
    return classPath(Object::getClassName(), ":PropertyList");
}

} // namespace orvane::object
