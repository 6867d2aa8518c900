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

    bool enqueue(Message* message) override;
    // Queues at the head. The wake-up stays raised until the loop looks, so a message
    // queued while the loop is between draining and waiting is handled without delay.
    bool enqueueFront(Message* message) override;
    bool servesWindows() const override { return false; }

    // The loop, on the calling thread: onStart(), then the messages in order until the
    // quit message addressed to the application itself, then onStop(). True.
    bool run();
    // Posts the quit message to the application itself.
    bool quit();

    virtual bool onStart();
    virtual bool onStop();

    static Application* getApplication() noexcept;

    types::String getClassName() const override;

private:
    // Takes the head message, or null.
    Message* take();

    MessageQueue queue;
    system::Mutex lock;
    system::Signal wakeUp;
};

} // namespace orvane::application
