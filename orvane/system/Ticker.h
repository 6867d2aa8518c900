#pragma once

#include "orvane/object/Object.h"
#include "orvane/system/Thread.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orvane::system {

// Calls tick() periodically on a thread of its own, driven by a periodic monotonic timer.
// The first tick comes right after start(). Missed periods are not made up: a tick() that
// overruns delays the next one, and however many periods passed, the thread ticks once.
//
// Control (start, setPeriod, pause, stop) belongs to one thread at a time; setPeriod(),
// pause() and stop() may also be called from tick(), and nothing they do there keeps a
// stop() from returning. A subclass must call stop() in its own destructor, so that
// tick() is never called on a half-destroyed object.
//
// An exception that escapes tick() ends the ticker's thread (the ticker counts as running
// until pause() or stop()); the next start() starts a new one.
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
    // then one every period. A tick under way is waited for, since it may end the thread;
    // a thread that ended (a tick threw, or stop() was called from tick()) is replaced.
    // False when the timer or the thread could not be had.
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
    // What the thread does with an expiration it has read.
    enum class Step { tick, skip, leave };

    bool arm(std::int32_t intervalMilliseconds) noexcept;
    bool disarm() noexcept;
    // The thread's side of the control state: around each tick, and when its loop ends.
    Step beginTick();
    void endTick(bool loopGoesOn);
    void leaveLoop();

    TickerThread thread;
    std::atomic<std::int32_t> period{1000};
    std::atomic<bool> running{false};
    const int timer;

    // Guards the timer settings and the flags below, so that a stop()'s wake-up cannot be
    // disarmed by a concurrent pause() or re-armed away by setPeriod().
    std::mutex control;
    std::condition_variable tickDone;
    bool stopping = false; // stop() asked the loop to end
    bool looping = false;  // a thread runs the loop and will read the next expiration
    bool inTick = false;   // tick() is running
};

} // namespace orvane::system
