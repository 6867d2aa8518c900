#include "orvane/system/Ticker.h"

#include <cerrno>
#include <sys/timerfd.h>
#include <unistd.h>

namespace orvane::system {

Ticker::Ticker() noexcept
    : thread(this)
    , timer(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC)) {}

Ticker::~Ticker() {
    stop();
    if (timer >= 0)
        close(timer);
}

bool Ticker::start() {
    if (timer < 0)
        return false;
    stopping.store(false, std::memory_order_release);
    running.store(true, std::memory_order_release);
    if (!thread.isRunning() && !thread.start(false)) {
        running.store(false, std::memory_order_release);
        return false;
    }
    return arm(getPeriod());
}

void Ticker::setPeriod(std::int32_t milliseconds) {
    period.store(milliseconds, std::memory_order_relaxed);
    if (isRunning())
        arm(milliseconds);
}

bool Ticker::pause() {
    running.store(false, std::memory_order_release);
    return disarm();
}

void Ticker::stop() {
    if (timer < 0)
        return;
    running.store(false, std::memory_order_release);
    stopping.store(true, std::memory_order_release);
    // One prompt expiration wakes the thread, which sees `stopping` and leaves its loop.
    arm(0);
    // Called from tick() the thread cannot be joined; it leaves on that expiration once
    // tick() returns. Otherwise the disarm also drops the expiration when no thread read it.
    if (Thread::current() == &thread)
        return;
    thread.join();
    disarm();
}

void Ticker::tick() {}

// The first expiration one nanosecond from now (the soonest the timer allows), then one
// every interval; no interval makes it fire once.
bool Ticker::arm(std::int32_t intervalMilliseconds) noexcept {
    itimerspec setting{};
    if (intervalMilliseconds > 0) {
        setting.it_interval.tv_sec = intervalMilliseconds / 1000;
        setting.it_interval.tv_nsec = long(intervalMilliseconds % 1000) * 1000000;
    }
    setting.it_value.tv_nsec = 1;
    return timerfd_settime(timer, 0, &setting, nullptr) == 0;
}

// Disarming also drops expirations that nobody has read yet.
bool Ticker::disarm() noexcept {
    const itimerspec setting{};
    return timerfd_settime(timer, 0, &setting, nullptr) == 0;
}

types::String Ticker::getClassName() const {
    return object::classPath(Object::getClassName(), ":Ticker");
}

bool Ticker::TickerThread::run() {
    for (;;) {
        std::uint64_t expirations;
        const ssize_t got = read(ticker->timer, &expirations, sizeof expirations);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != sizeof expirations || ticker->stopping.load(std::memory_order_acquire))
            break;
        // An expiration read after pause() (one that raced with it) is not a tick.
        if (ticker->isRunning())
            ticker->tick();
    }
    ticker->disarm();
    return true;
}

types::String Ticker::TickerThread::getClassName() const {
    return object::classPath(Thread::getClassName(), ":TickerThread");
}

} // namespace orvane::system
