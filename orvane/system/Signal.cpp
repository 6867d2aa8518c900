#include "orvane/system/Signal.h"

#include <cerrno>

namespace orvane::system {

namespace {

// The monotonic time the given number of milliseconds from now; timed waits use the
// monotonic clock so that setting the wall clock does not stretch or cut them.
timespec deadlineAfter(std::uint32_t milliseconds) noexcept {
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += long(milliseconds % 1000) * 1000000;
    if (deadline.tv_nsec >= 1000000000) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000;
    }
    return deadline;
}

class Holding {
public:
    explicit Holding(pthread_mutex_t& held) noexcept
        : mutex(held) {
        pthread_mutex_lock(&mutex);
    }
    ~Holding() { pthread_mutex_unlock(&mutex); }
    Holding(const Holding&) = delete;
    Holding& operator=(const Holding&) = delete;

private:
    pthread_mutex_t& mutex;
};

} // namespace

Signal::Signal() noexcept {
    pthread_mutex_init(&mutex, nullptr);
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&changed, &attributes);
    pthread_condattr_destroy(&attributes);
}

Signal::~Signal() {
    pthread_cond_destroy(&changed);
    pthread_mutex_destroy(&mutex);
}

bool Signal::set() noexcept {
    Holding holding(mutex);
    state.store(true, std::memory_order_release);
    ++generation;
    pthread_cond_broadcast(&changed);
    return true;
}

bool Signal::pulse() noexcept {
    Holding holding(mutex);
    state.store(false, std::memory_order_release);
    ++generation;
    pthread_cond_broadcast(&changed);
    return true;
}

bool Signal::reset() noexcept {
    Holding holding(mutex);
    if (!state.load(std::memory_order_relaxed))
        return false;
    state.store(false, std::memory_order_release);
    return true;
}

bool Signal::wait() noexcept {
    return waitUntil(nullptr);
}

bool Signal::wait(std::uint32_t milliseconds) noexcept {
    const timespec deadline = deadlineAfter(milliseconds);
    return waitUntil(&deadline);
}

bool Signal::waitUntil(const timespec* deadline) noexcept {
    if (isSet())
        return true;
    Holding holding(mutex);
    const std::uint64_t waitingIn = generation;
    while (!state.load(std::memory_order_relaxed) && generation == waitingIn) {
        if (!deadline)
            pthread_cond_wait(&changed, &mutex);
        else if (pthread_cond_timedwait(&changed, &mutex, deadline) == ETIMEDOUT)
            return state.load(std::memory_order_relaxed) || generation != waitingIn;
    }
    return true;
}

types::String Signal::getClassName() const {
    return object::classPath(Object::getClassName(), ":Signal");
}

} // namespace orvane::system
