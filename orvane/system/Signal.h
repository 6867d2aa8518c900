#pragma once

#include "orvane/object/Object.h"

#include <atomic>
#include <cstdint>
#include <pthread.h>
#include <time.h>

namespace orvane::system {

// A manual-reset event. set() raises it and it stays raised, releasing every waiter, until
// reset(); pulse() releases exactly the threads that are waiting at that instant and leaves
// it lowered. A raised signal is answered from its state flag without taking the lock.
//
// Every waiter remembers the generation it started waiting in; set() and pulse() open a
// new generation, so a waiter wakes once its generation has passed even when the signal
// was lowered again before it got to run. All operations are safe from any thread.
class Signal : public object::Object {
public:
    Signal() noexcept;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;
    // Nobody may be waiting on a signal that is destroyed.
    ~Signal() override;

    // Raises the signal and releases every waiter; true.
    bool set() noexcept;
    // Releases the threads waiting now and leaves the signal lowered; true.
    bool pulse() noexcept;
    // Lowers a raised signal: true; false when it was not raised.
    bool reset() noexcept;

    // Returns at once when raised, otherwise blocks until the next set() or pulse(); true.
    bool wait() noexcept;
    // As wait(), but gives up after the given time: true when released, false on timeout.
    bool wait(std::uint32_t milliseconds) noexcept;

    bool isSet() const noexcept { return state.load(std::memory_order_acquire); }

    types::String getClassName() const override;

private:
    bool waitUntil(const timespec* deadline) noexcept;

    std::atomic<bool> state{false};
    std::uint64_t generation = 0; // guarded by mutex
    pthread_mutex_t mutex;
    pthread_cond_t changed;
};

} // namespace orvane::system
