#pragma once

#include <atomic>
#include <cstdint>

namespace orvane::types {
class String;
}

namespace orvane::system {
class Thread;
}

namespace orvane::object {

class Class;

// Root of every engine class.
//
// Ownership: an object made with `new` starts with one reference, owned by its creator,
// who gives it up with release(); every Pointer that stores it holds one more. Objects
// embedded in other objects or living on the stack are never released.
//
// The count is atomic so that objects may be handed between threads (messages, loopers,
// the thread registry) without a lock; its observable behaviour is that of a plain count.
//
// Every class answers its class path from getClassName(): its parent's path, a colon and
// its own short name ("Object:String"). Use classPath() to build it.
class Object {
public:
    Object() noexcept = default;
    // A copy is a new object: one reference, no waiters; nothing of the source's count
    // or wait list is carried over.
    Object(const Object&) noexcept {}
    // Assignment copies no identity either: the target keeps its own count and waiters.
    Object& operator=(const Object&) noexcept { return *this; }
    virtual ~Object();

    // The display name; by default the class path.
    virtual types::String getName() const;
    // The text form; by default the class path.
    virtual types::String toString() const;
    // Always true; kept so that every class has the same first five virtual operations.
    virtual bool check() const;
    // The colon-separated chain of short class names from "Object" down to this class.
    virtual types::String getClassName() const;

    void retain() const noexcept { referenceCount.fetch_add(1, std::memory_order_relaxed); }
    // Drops one reference; the last one destroys the object and frees its storage.
    void release() const noexcept;
    std::int32_t getReferenceCount() const noexcept {
        return referenceCount.load(std::memory_order_relaxed);
    }

    Class getClass() const;

    // The monitor: wait() parks the calling thread until a later notify()/notifyAll() on
    // this object picks it. Waiters are woken last-in first-out. All objects share one
    // monitor lock, held only for the list operations, so a thread must not wait while
    // holding a lock the notifier needs.
    void wait();
    void notify();
    void notifyAll();

private:
    struct Waiter;

    mutable std::atomic<std::int32_t> referenceCount{1};
    Waiter* waitList = nullptr;
};

// parentPath followed by shortName (which carries its leading colon, e.g. ":String").
types::String classPath(types::String parentPath, const char* shortName);

} // namespace orvane::object

// Object's virtual operations return String by value; String is itself an Object, so it
// is completed here, after Object, for everybody who includes this header.
#include "orvane/types/String.h"
