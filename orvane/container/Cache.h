#pragma once

#include "orvane/container/Map.h"
#include "orvane/object/Object.h"
#include "orvane/types/String.h"

#include <type_traits>
#include <utility>

namespace orvane::container {

// Remembers what a factory made for each key.
//
// get(key) answers the stored value; the first time a key is asked for, it asks the
// factory (`factory.create(key)`, or `factory.create(key.cString())` for String keys) and
// stores whatever comes back, null included, so a failed creation is not retried for the
// same key. An exception from the factory passes through and nothing is stored.
//
// The cache owns nothing beyond its map: a cache of plain pointers leaves their objects to
// its owner (entries() lists them).
template <class K, class V, class F>
class Cache : public object::Object {
public:
    Cache() = default;
    explicit Cache(F maker)
        : factory(std::move(maker)) {}
    // Copying would duplicate entries that may carry references; a cache is never copied.
    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;
    ~Cache() override = default;

    V& get(const K& key) {
        if (auto* node = produced.find(key))
            return node->value;
        return produced.insert(key, make(key))->value;
    }

    F& getFactory() noexcept { return factory; }
    const F& getFactory() const noexcept { return factory; }
    Map<K, V>& entries() noexcept { return produced; }
    const Map<K, V>& entries() const noexcept { return produced; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Cache");
    }

private:
    V make(const K& key) {
        if constexpr (std::is_same_v<K, types::String>)
            return factory.create(key.cString());
        else
            return factory.create(key);
    }

    F factory;
    Map<K, V> produced;
};

} // namespace orvane::container
