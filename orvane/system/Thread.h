#pragma once

#include "orvane/container/Chain.h"
#include "orvane/object/Object.h"
#include "orvane/system/Signal.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orvane::system {

// One operating-system thread as a counted object. Subclasses put their body in run().
//
// Every thread the engine knows is in a process-wide registry, which holds a reference
// to it: threads started here from start() until their body has ended, and threads the
// engine did not start (the main thread, threads of other libraries) from their first
// current() until they end. current() answers the calling thread's object on any thread.
//
// Ownership: start() takes a reference that the thread drops as its very last use of the
// object, so `(new T)->start(); ... release()` is safe; whoever calls join() must hold a
// reference of their own. A Thread embedded in another object or on the stack must have
// ended (join()) before it is destroyed.
//
// The bodies run on detached operating-system threads: nothing is left to reap whether or
// not anybody joins them.
class Thread : public object::Object, public container::Chainable<Thread> {
public:
    Thread() noexcept;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    ~Thread() override;

    // Starts run() on a new operating-system thread; true. A thread that is already
    // started is left alone (true at once); a thread whose previous body has ended starts
    // afresh. With waitUntilRunning, returns only once the new thread is running (its
    // identifier is then known). False when the operating system refuses a new thread.
    bool start(bool waitUntilRunning = false);

    // Waits until the body started by start() has ended and the thread no longer touches
    // this object: true. False at once when called on the thread itself or when there is
    // no body to wait for (never started, already ended, or a thread adopted by current()).
    bool join();
    // As join(), but gives up after the given time: false when the body is still running.
    bool join(std::uint32_t milliseconds);

    // Parks the calling thread until resume(); true. A resume() that came first is kept and
    // makes the next suspend() return at once, so a wake-up sent just before parking is not
    // lost. Only a thread can suspend itself here: suspending another thread answers false.
    bool suspend();
    // Wakes the thread from suspend(), or lets its next suspend() return at once; true.
    bool resume();
    // Whether the thread is parked in suspend() now.
    bool isSuspended() const;

    // Whether a body started by start() is running (false for adopted threads).
    bool isRunning() const noexcept { return running.isSet(); }
    // The operating-system thread id; 0 before the body runs and after it has ended.
    std::uint32_t getId() const noexcept { return identifier.load(std::memory_order_acquire); }

    // Sleeps the calling thread; true.
    static bool sleep(std::uint32_t milliseconds);
    // Ends the calling thread at once, unwinding its stack. An engine thread leaves the
    // registry and drops its start reference as if run() had returned; an adopted thread
    // leaves the registry and its object is released. Must not be called from a noexcept
    // function (unwinding through it terminates the process).
    [[noreturn]] static void exit();
    // The calling thread's object; a thread the engine does not know yet is adopted
    // (registered with a new object) on its first call. Never null.
    static Thread* current();
    // How many threads are registered now.
    static std::uint32_t registeredCount();

    types::String getClassName() const override;

protected:
    // The body; runs on the new thread. An exception that escapes it ends the thread
    // quietly. Thread's own body does nothing and answers true.
    virtual bool run();

private:
    struct Control;
    class Ending;

    static void* startRoutine(void* argument);
    static void forgetAdopted(void* thread);
    static Thread* adopt(std::uint32_t identifier);
    void runQuietly();
    void detachFromSystem();

    Signal running;
    std::atomic<std::uint32_t> identifier{0};

    mutable std::mutex stateLock;
    bool attached = false;      // an operating-system thread runs this object now
    Control* control = nullptr; // the latest body started here, until it is replaced

    mutable std::mutex parkLock;
    std::condition_variable parkWake;
    bool resumed = false;
    bool parked = false;
};

} // namespace orvane::system
