#pragma once

#include "orvane/object/Object.h"

#include <atomic>
#include <cstdint>
#include <pthread.h>
#include <thread>

namespace orvane::system {

// The engine's lock, re-entrant for its owner: the thread that holds it may lock it again,
// and each lock() needs its own unlock(). It meets the standard BasicLockable requirements,
// so std::lock_guard<Mutex> and std::unique_lock<Mutex> work with it.
//
// A Mutex is tied to its place in memory: it cannot be copied, and it must not be
// destroyed while held.
class Mutex : public object::Object {
public:
    Mutex() noexcept;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    ~Mutex() override;

    // Blocks until the calling thread holds the mutex; true.
    bool lock() noexcept;
    // True when the mutex was free or already the caller's (and is now held once more);
    // false at once when another thread holds it.
    bool tryLock() noexcept;
    // Gives up one holding. False, with nothing changed, when the caller does not hold it.
    bool unlock() noexcept;

    types::String getClassName() const override;

private:
    bool ownedByCaller() const noexcept;
    void take() noexcept;

    pthread_mutex_t mutex;
    // Written only by the holder; another thread reading it never finds its own id there.
    std::atomic<std::thread::id> owner{};
    std::uint32_t depth = 0; // holdings of the owner
};

} // namespace orvane::system
