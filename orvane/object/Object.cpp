#include "orvane/object/Object.h"

#include "orvane/object/Class.h"
#include "orvane/system/Mutex.h"
#include "orvane/system/Thread.h"

#include <mutex>
#include <utility>

namespace orvane::object {

// One waiting thread on an object's wait list; it holds a reference to the thread.
struct Object::Waiter {
    system::Thread* thread;
    Waiter* next;
};

namespace {

// The one monitor lock of all objects. Made on first use and never destroyed, so objects
// that die during the process's static destruction can still free their waiters.
system::Mutex& monitorLock() {
    static system::Mutex* const lock = new system::Mutex();
    return *lock;
}

} // namespace

Object::~Object() {
    // Unlocked first look: only objects that ever had waiters pay for the lock.
    if (!waitList)
        return;
    Waiter* list;
    {
        std::lock_guard<system::Mutex> hold(monitorLock());
        list = std::exchange(waitList, nullptr);
    }
    // The threads stay parked: nobody is left to notify them.
    while (list) {
        Waiter* node = std::exchange(list, list->next);
        node->thread->release();
        delete node;
    }
}

types::String Object::getName() const {
    return getClass().getName();
}

types::String Object::toString() const {
    return getClass().getName();
}

bool Object::check() const {
    return true;
}

types::String Object::getClassName() const {
    return "Object";
}

void Object::release() const noexcept {
    if (referenceCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete this;
}

Class Object::getClass() const {
    return Class(*this);
}

// The node is pushed before the thread parks; a notify() that picks it in between leaves
// a wake-up that suspend() consumes at once, so it is not lost. The node's reference to
// the thread is dropped by whoever frees the node.
void Object::wait() {
    system::Thread* self = system::Thread::current();
    self->retain();
    auto* node = new Waiter{self, nullptr};
    {
        std::lock_guard<system::Mutex> hold(monitorLock());
        node->next = waitList;
        waitList = node;
    }
    self->suspend();
}

void Object::notify() {
    Waiter* picked;
    {
        std::lock_guard<system::Mutex> hold(monitorLock());
        picked = waitList;
        if (!picked)
            return;
        waitList = picked->next;
        picked->thread->resume();
    }
    picked->thread->release();
    delete picked;
}

void Object::notifyAll() {
    Waiter* picked;
    {
        std::lock_guard<system::Mutex> hold(monitorLock());
        picked = std::exchange(waitList, nullptr);
        for (Waiter* node = picked; node; node = node->next)
            node->thread->resume();
    }
    while (picked) {
        Waiter* node = std::exchange(picked, picked->next);
        node->thread->release();
        delete node;
    }
}

types::String classPath(types::String parentPath, const char* shortName) {
    parentPath.append(shortName);
    return parentPath;
}

} // namespace orvane::object
