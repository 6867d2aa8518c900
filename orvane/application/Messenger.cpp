#include "orvane/application/Messenger.h"

#include "orvane/application/Message.h"
#include "orvane/system/Thread.h"

namespace orvane::application {

Messenger::Messenger()
    : defaultHandler(this) {
    handlers.add(this);
    // The chain's reference to the messenger itself would keep it alive for ever.
    release();
    messenger = this;
}

Messenger::~Messenger() {
    handlers.unlink(this); // its reference was given back at construction
    while (Handler* handler = handlers.first()) {
        handler->messenger = nullptr;
        handlers.remove(handler);
    }
    messenger = nullptr;
}

bool Messenger::addHandler(Handler* handler) {
    if (!handler || handler == this || handler->messenger)
        return false;
    if (!handlers.add(handler))
        return false;
    handler->messenger = this;
    return true;
}

bool Messenger::removeHandler(Handler* handler) {
    if (!handler || handler == this || handler->messenger != this)
        return false;
    handler->messenger = nullptr;
    if (defaultHandler == handler)
        defaultHandler = this;
    handlers.remove(handler); // may destroy the handler
    return true;
}

void Messenger::resetHandlers() {
    for (Handler* handler = handlers.first(); handler;) {
        Handler* next = handlers.next(handler);
        if (handler != this) {
            handler->messenger = nullptr;
            handlers.remove(handler);
        }
        handler = next;
    }
    defaultHandler = this;
}

bool Messenger::setDefaultHandler(Handler* handler) {
    if (!handler || handler->messenger != this)
        return false;
    defaultHandler = handler;
    return true;
}

bool Messenger::post(std::uint32_t what) {
    return deliver(defaultHandler, what, false);
}

bool Messenger::post(const Message& message) {
    return deliver(message.target ? message.target : defaultHandler, message, false);
}

bool Messenger::send(std::uint32_t what) {
    system::Thread* serving = getThread();
    if (serving && system::Thread::current() == serving)
        return deliver(this, what, true);
    return deliver(defaultHandler, what, true);
}

bool Messenger::send(const Message& message) {
    return deliver(message.target ? message.target : defaultHandler, message, true);
}

types::String Messenger::getClassName() const {
    return object::classPath(Handler::getClassName(), ":Messenger");
}

} // namespace orvane::application
