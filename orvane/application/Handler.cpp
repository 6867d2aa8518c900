#include "orvane/application/Handler.h"

#include "orvane/application/Message.h"
#include "orvane/application/Messenger.h"
#include "orvane/system/Thread.h"

namespace orvane::application {

Handler::~Handler() {
    // The chain link itself goes with the Chainable base; only the messenger's default
    // target has to forget this handler.
    Messenger* owner = messenger.load();
    if (owner && owner != this && owner->defaultHandler == this)
        owner->defaultHandler = owner;
}

bool Handler::handleMessage(Message*) {
    return true;
}

bool Handler::post(std::uint32_t what) {
    return deliver(this, what, false);
}

bool Handler::post(const Message& message) {
    return deliver(this, message, false);
}

bool Handler::send(std::uint32_t what) {
    return deliver(this, what, true);
}

bool Handler::send(const Message& message) {
    return deliver(this, message, true);
}

namespace {

// Both deliveries differ only in what the message is made from: a bare code, or a copy of
// another message's code and parameters.
template <class Source>
bool deliverMessage(Handler* target, Messenger* messenger, const Source& source, bool send) {
    if (!messenger)
        return false;
    system::Thread* thread = messenger->getThread();
    if (!thread)
        return false;
    if (send && system::Thread::current() == thread) {
        Message message(source);
        message.target = target;
        target->handleMessage(&message);
        return true;
    }
    Message* message = Message::create(source);
    message->target = target;
    return send ? messenger->enqueueFront(message) : messenger->enqueue(message);
}

} // namespace

bool Handler::deliver(Handler* target, std::uint32_t what, bool send) {
    return deliverMessage(target, target ? target->getMessenger() : nullptr, what, send);
}

bool Handler::deliver(Handler* target, const Message& original, bool send) {
    return deliverMessage(target, target ? target->getMessenger() : nullptr, original, send);
}

types::String Handler::getClassName() const {
    return object::classPath(Object::getClassName(), ":Handler");
}

} // namespace orvane::application
