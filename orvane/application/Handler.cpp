#include "orvane/application/Handler.h"

#include "orvane/application/Message.h"
#include "orvane/application/Messenger.h"
#include "orvane/system/Thread.h"

namespace orvane::application {

Handler::~Handler() {
    // The chain link itself goes with the Chainable base; only the messenger's default
    // target has to forget this handler.
    if (messenger && messenger != this && messenger->defaultHandler == this)
        messenger->defaultHandler = messenger;
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

bool Handler::deliver(Handler* target, std::uint32_t what, bool send) {
    Messenger* messenger = target ? target->messenger : nullptr;
    if (!messenger)
        return false;
    system::Thread* thread = messenger->getThread();
    if (!thread)
        return false;
    if (send && system::Thread::current() == thread) {
        Message message(what);
        message.target = target;
        target->handleMessage(&message);
        return true;
    }
    Message* message = Message::create(what);
    message->target = target;
    return send ? messenger->enqueueFront(message) : messenger->enqueue(message);
}

bool Handler::deliver(Handler* target, const Message& original, bool send) {
    Messenger* messenger = target ? target->messenger : nullptr;
    if (!messenger)
        return false;
    system::Thread* thread = messenger->getThread();
    if (!thread)
        return false;
    if (send && system::Thread::current() == thread) {
        Message message(original);
        message.target = target;
        target->handleMessage(&message);
        return true;
    }
    Message* message = Message::create(original);
    message->target = target;
    return send ? messenger->enqueueFront(message) : messenger->enqueue(message);
}

types::String Handler::getClassName() const {
    return object::classPath(Object::getClassName(), ":Handler");
}

} // namespace orvane::application
