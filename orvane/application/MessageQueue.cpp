#include "orvane/application/MessageQueue.h"

#include "orvane/application/Reply.h"

namespace orvane::application {

MessageQueue::~MessageQueue() {
    clear();
}

void MessageQueue::clear() noexcept {
    while (Message* message = queue.popFront()) {
        Reply::refuse(*message);
        Message::release(message); // the queue's share
        Message::release(message); // the maker's, handed over with the message
    }
}

types::String MessageQueue::getClassName() const {
    return object::classPath(Object::getClassName(), ":MessageQueue");
}

} // namespace orvane::application
