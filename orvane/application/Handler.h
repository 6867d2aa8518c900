#pragma once

#include "orvane/container/Chain.h"
#include "orvane/object/Object.h"

#include <atomic>
#include <cstdint>

namespace orvane::application {

class Message;
class Messenger;

// Something that messages are addressed to. A handler is served by one messenger (whose
// thread calls handleMessage) once it has been added to that messenger.
//
// post() always queues the message; send() delivers it at once when the caller already
// runs on the messenger's thread and otherwise queues it at the front. Both answer false,
// making nothing, while the handler has no running messenger.
class Handler : public object::Object, public container::Chainable<Handler> {
public:
    Handler() noexcept = default;
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;
    // A handler that still belongs to a messenger leaves it first.
    ~Handler() override;

    // Called on the messenger's thread for every message addressed to this handler.
    // Handler's own version does nothing and answers true.
    virtual bool handleMessage(Message* message);

    bool post(std::uint32_t what);
    // Posts a copy of message (code and parameters) addressed to this handler.
    bool post(const Message& message);
    bool send(std::uint32_t what);
    bool send(const Message& message);

    // Any thread: a messenger checks it for messages that were queued before the handler
    // left it.
    Messenger* getMessenger() const noexcept { return messenger.load(); }

    types::String getClassName() const override;

protected:
    // Delivers a message to target through target's messenger: at once when send is set
    // and the caller runs on that messenger's thread, else queued (at the head for a
    // send, at the tail for a post). False, making nothing, without a running messenger.
    static bool deliver(Handler* target, std::uint32_t what, bool send);
    // The same with a copy of message (code and parameters).
    static bool deliver(Handler* target, const Message& message, bool send);

private:
    friend class Messenger;

    std::atomic<Messenger*> messenger{nullptr}; // not owning
};

} // namespace orvane::application
