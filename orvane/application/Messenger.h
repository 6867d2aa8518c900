#pragma once

#include "orvane/application/Handler.h"

#include <atomic>

namespace orvane::system {
class Thread;
}

namespace orvane::application {

// A handler that serves other handlers from one thread: messages addressed to any of its
// handlers are queued with it (enqueue, enqueueFront) and handled on that thread.
//
// The messenger is always the first of its own handlers and the default target of
// messages that name none. Handler chains and the default handler are changed only on
// the serving thread or before it runs; they are not locked.
class Messenger : public Handler {
public:
    // Adds itself to its own handler chain without keeping itself alive through it.
    Messenger();
    // Leaves its own chain, then releases every other handler.
    ~Messenger() override;

    // Queues a pooled message at the tail / head. The messenger takes over the message
    // whatever it answers: a message it cannot queue is disposed of.
    virtual bool enqueueFront(Message* message) = 0;
    virtual bool enqueue(Message* message) = 0;
    // Whether the serving thread also pumps native window messages.
    virtual bool servesWindows() const = 0;

    // Adds (retaining) a handler that belongs to no messenger; the messenger itself and
    // handlers of others are refused.
    bool addHandler(Handler* handler);
    // Removes (releasing) one of this messenger's handlers other than itself; the
    // messenger becomes the default target again if it was the default one.
    bool removeHandler(Handler* handler);
    void resetHandlers();
    bool setDefaultHandler(Handler* handler);
    Handler* getDefaultHandler() const noexcept { return defaultHandler; }
    const container::Chain<Handler>& getHandlers() const noexcept { return handlers; }

    // As a handler's, addressed to the default handler, except that send(what) on the
    // serving thread is handled by the messenger itself at once. A message given by
    // reference keeps its own target when it has one and then travels through that
    // target's messenger.
    bool post(std::uint32_t what);
    bool post(const Message& message);
    bool send(std::uint32_t what);
    bool send(const Message& message);

    // The serving thread, or null while the messenger is not running. Any thread.
    system::Thread* getThread() const noexcept { return thread.load(std::memory_order_acquire); }

    types::String getClassName() const override;

protected:
    // Published with release semantics: a poster that sees the thread sees a messenger
    // ready to take messages.
    std::atomic<system::Thread*> thread{nullptr};

private:
    friend class Handler;

    container::Chain<Handler> handlers;
    Handler* defaultHandler; // not owning
};

} // namespace orvane::application
