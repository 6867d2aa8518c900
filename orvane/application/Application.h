#pragma once

#include "orvane/application/MessageQueue.h"
#include "orvane/application/Messenger.h"
#include "orvane/system/Mutex.h"
#include "orvane/system/Signal.h"

namespace orvane::application {

// The messenger served by the thread that calls run() (the main thread): a locked queue
// of pooled messages and a wake-up signal. There is one current application per process,
// reachable through getApplication() from its construction to its destruction.
class Application : public Messenger {
public:
    Application();
    // Releases every message still queued.
    ~Application() override;

    // Queues at the tail. The application takes over the message: while it does not run
    // the message is disposed of (a request it carries answered false) and the answer is
    // false.
    bool enqueue(Message* message) override;
    // Queues at the head, likewise. The wake-up stays raised until the loop looks, so a
    // message queued while the loop is between draining and waiting is handled at once.
    bool enqueueFront(Message* message) override;
    bool servesWindows() const override { return false; }

    // The loop, on the calling thread: onStart(), then the messages in order until the
    // quit message addressed to the application itself, then onStop(). Messages queued
    // behind the quit message are disposed of unhandled (requests answered false). True.
    bool run();
    // Posts the quit message to the application itself.
    bool quit();

    virtual bool onStart();
    virtual bool onStop();

    static Application* getApplication() noexcept;

    types::String getClassName() const override;

private:
    bool insert(Message* message, bool atFront);
    // Takes the head message, or null.
    Message* take();
    // Ends the service: later messages are refused, those still queued disposed of.
    void stopServing();

    MessageQueue queue;
    system::Mutex lock;
    system::Signal wakeUp;
};

} // namespace orvane::application
