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
    std::unique_lock hold(control);
    // A tick under way may still throw and so end the loop: its outcome decides whether
    // this start can rely on the loop or needs a thread of its own.
    if (Thread::current() != &thread)
        tickDone.wait(hold, [this] { return !inTick; });
    stopping = false;
    running.store(true, std::memory_order_release);
    if (!looping) {
        // The previous loop has left (stop, a throwing tick): its thread may still be
        // finishing, and a thread that has not ended cannot start again.
        thread.join();
        looping = true;
        if (!thread.start(false)) {
            looping = false;
            running.store(false, std::memory_order_release);
            return false;
        }
    }
    return arm(getPeriod());
}

void Ticker::setPeriod(std::int32_t milliseconds) {
    std::lock_guard hold(control);
    period.store(milliseconds, std::memory_order_relaxed);
    if (isRunning() && !stopping)
        arm(milliseconds);
}

bool Ticker::pause() {
    std::lock_guard hold(control);
    running.store(false, std::memory_order_release);
    // A stop under way keeps its wake-up: disarming now would leave its join waiting.
    return stopping || disarm();
}

void Ticker::stop() {
    if (timer < 0)
        return;
    {
        std::lock_guard hold(control);
        running.store(false, std::memory_order_release);
        stopping = true;
        // One prompt expiration wakes the thread, which sees `stopping` and leaves its
        // loop. pause() and setPeriod() leave the timer alone from now on, so nothing a
        // tick does can take this wake-up away.
        arm(0);
    }
    // Called from tick() the thread cannot be joined; it leaves on that expiration once
    // tick() returns. Otherwise the disarm also drops the expiration when no thread read it.
    if (Thread::current() == &thread)
        return;
    thread.join();
    std::lock_guard hold(control);
    if (stopping)
        disarm();
}

void Ticker::tick() {}

Ticker::Step Ticker::beginTick() {
    std::lock_guard hold(control);
    if (stopping) {
        looping = false;
        return Step::leave;
    }
    // An expiration read after pause() (one that raced with it) is not a tick.
    inTick = isRunning();
    return inTick ? Step::tick : Step::skip;
}

void Ticker::endTick(bool loopGoesOn) {
    {
        std::lock_guard hold(control);
        inTick = false;
        looping = looping && loopGoesOn;
    }
    tickDone.notify_all();
}

void Ticker::leaveLoop() {
    std::lock_guard hold(control);
    looping = false;
}

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
        if (got != sizeof expirations) {
            ticker->leaveLoop();
            break;
        }
        const Step step = ticker->beginTick();
        if (step == Step::leave)
            break;
        if (step == Step::skip)
            continue;
        try {
            ticker->tick();
        } catch (...) {
            // The exception ends this thread; a start() waiting on this tick learns it
            // must start a new one.
            ticker->endTick(false);
            throw;
        }
        ticker->endTick(true);
    }
    return true;
}

types::String Ticker::TickerThread::getClassName() const {
    return object::classPath(Thread::getClassName(), ":TickerThread");
}

} // namespace orvane::system
