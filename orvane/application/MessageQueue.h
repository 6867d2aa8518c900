#pragma once

#include "orvane/application/Message.h"
#include "orvane/container/Queue.h"
#include "orvane/object/Object.h"

namespace orvane::application {

// Pending pooled messages in order. The queue owns what it holds: a message taken out
// with popFront() carries the queue's share and its maker's, which the taker drops (two
// Message::release calls) when done; messages still queued when the queue is cleared or
// destroyed lose both shares and go back to the pool, and the requests among them are
// answered false (Reply).
//
// Not locked: the owner guards it.
class MessageQueue : public object::Object {
public:
    MessageQueue() noexcept = default;
    ~MessageQueue() override;

    bool pushBack(Message* message) noexcept { return queue.pushBack(message); }
    bool pushFront(Message* message) noexcept { return queue.pushFront(message); }
    Message* popFront() noexcept { return queue.popFront(); }
    std::uint32_t count() const noexcept { return queue.count(); }
    bool isEmpty() const noexcept { return queue.isEmpty(); }
    // Drops every queued message.
    void clear() noexcept;

    types::String getClassName() const override;

private:
    container::Queue<Message> queue;
};

} // namespace orvane::application
