#pragma once

#include "orvane/application/Messenger.h"
#include "orvane/system/Signal.h"
#include "orvane/system/Thread.h"

#include <cstdint>
#include <functional>
#include <mutex>

namespace orvane::application {

class Message;

// A messenger with a thread of its own. The thread's native message queue is the
// looper's queue: messages travel to it as thread messages carrying the Message pointer,
// and the same loop pumps the native window messages of the windows the thread owns
// (every window is a looper).
//
// Lifetimes: a queued message keeps its target alive until it has been handled or
// disposed of, so a handler removed, or a looper released, while messages for it wait is
// destroyed only after them. A message whose target no longer belongs to this looper when
// its turn comes is disposed of unhandled. Messages still queued when the loop ends are
// disposed of, and the requests among them (a Reply parameter) are answered false.
class Looper : public Messenger {
public:
    // Thread message that carries a Message* in its first parameter.
    static constexpr std::uint32_t DISPATCH = 0x464;
    // Thread message a new looper thread posts to itself to prove its queue exists.
    static constexpr std::uint32_t READY = 0x465;
    // Message (to the looper itself) that runs work handed over by invoke().
    static constexpr std::uint32_t INVOKE = 0x7FFF0001;

    class LooperThread;

    Looper() noexcept = default;
    // A looper that still runs is quit first.
    ~Looper() override;

    // Both hand the message to the looper thread's queue, so front and back insertion are
    // the same. A message the thread can no longer take (it has ended or is ending) is
    // disposed of and the answer is false.
    bool enqueue(Message* message) override;
    bool enqueueFront(Message* message) override;
    bool servesWindows() const override { return true; }
    // Runs INVOKE messages; everything else is the handler's default.
    bool handleMessage(Message* message) override;

    // Starts the looper thread and returns once it takes messages; false when a thread
    // already exists or cannot be made. Of several callers at once exactly one starts a
    // thread; the others answer false at once.
    bool start();
    // Tells the looper thread to end and waits until it has; false when the looper does
    // not run. Called on the looper thread itself, it returns at once: the loop ends after
    // the message being handled, and the looper counts as running until then.
    bool quit();

    // Runs work on the looper thread and answers its result: directly when the caller is
    // that thread or the looper has no thread, otherwise through a message, waiting until
    // it has run. Objects that belong to the looper thread (windows, views) are changed
    // from other threads this way. When the looper can no longer run the work (its thread
    // is ending: the message came after the end of its loop, or was refused), the work is
    // not run and the answer is false, as soon as that is known.
    bool invoke(std::function<bool()> work);

    types::String getClassName() const override;

protected:
    // Called on the looper thread once its loop has ended, however it ended (quit, or a
    // handler that threw), after the messages left in its queue have been disposed of;
    // not called when the looper was destroyed by its own thread. Looper's own does nothing.
    virtual void loopEnded();

private:
    class Call;

    bool forward(Message* message);
    // Takes the thread out of the field (only when it is `expected`, unless that is null)
    // and hands over the field's reference; null when there was none to take.
    system::Thread* takeThread(system::Thread* expected);

    // Guards changes of the thread field and the readers that keep the thread in hand
    // (retain it) rather than only compare it: taking a reference of a thread that may be
    // letting go of itself is safe only under this lock.
    std::mutex threadLock;
};

// The looper's thread: its body is the looper loop.
class Looper::LooperThread : public system::Thread {
public:
    explicit LooperThread(Looper* looper) noexcept
        : looper(looper) {}

    types::String getClassName() const override;

protected:
    bool run() override;

private:
    friend class Looper;
    class LoopEnd;

    void serve(Message* message);
    void leave();

    // Not owning: a looper outlives its thread (quit joins it), unless it is destroyed by
    // its own thread, which then clears this pointer.
    Looper* looper;
    // Raised once the thread's queue takes messages, or when the thread will never run.
    system::Signal ready;
};

} // namespace orvane::application
