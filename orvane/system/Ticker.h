#pragma once

#include "orvane/object/Object.h"
#include "orvane/system/Thread.h"

#include <atomic>
#include <cstdint>

namespace orvane::system {

// Calls tick() periodically on a thread of its own, driven by a periodic monotonic timer.
// The first tick comes right after start(). Missed periods are not made up: a tick() that
// overruns delays the next one, and however many periods passed, the thread ticks once.
//
// Control (start, setPeriod, pause, stop) belongs to one thread at a time; setPeriod()
// and pause() may also be called from tick(). A subclass must call stop() in its own
// destructor, so that tick() is never called on a half-destroyed object.
class Ticker : public object::Object {
public:
    // The thread that waits on the timer and calls its ticker's tick().
    class TickerThread : public Thread {
    public:
        explicit TickerThread(Ticker* ticker) noexcept
            : ticker(ticker) {}

        types::String getClassName() const override;

    protected:
        bool run() override;

    private:
        Ticker* const ticker; // not owned: the ticker embeds this thread
    };

    Ticker() noexcept;
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;
    // Stops the ticker (and joins its thread) and closes the timer.
    ~Ticker() override;

    // Starts ticking (the thread too when it is not running): the first tick comes at once,
    // then one every period. False when the timer or the thread could not be had.
    bool start();
    // Stores the period in milliseconds (1000 after construction; 0 or less ticks once per
    // start()); a running ticker is re-armed at once, which ticks right away.
    void setPeriod(std::int32_t milliseconds);
    std::int32_t getPeriod() const noexcept { return period.load(std::memory_order_relaxed); }
    // Stops the ticks but keeps the thread waiting for the next start(); true when the
    // timer was disarmed.
    bool pause();
    // Stops the ticks and ends and joins the thread. When it returns (other than from
    // tick() itself) tick() is not called again. Does nothing to a ticker never started.
    void stop();

    bool isRunning() const noexcept { return running.load(std::memory_order_acquire); }

    types::String getClassName() const override;

protected:
    // Called on the ticker's thread; Ticker's own does nothing.
    virtual void tick();

private:
    bool arm(std::int32_t intervalMilliseconds) noexcept;
    bool disarm() noexcept;

    TickerThread thread;
    std::atomic<std::int32_t> period{1000};
    std::atomic<bool> running{false};
    std::atomic<bool> stopping{false};
    const int timer;
};

} // namespace orvane::system
