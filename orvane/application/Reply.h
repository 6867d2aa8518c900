#pragma once

#include "orvane/object/Object.h"
#include "orvane/system/Signal.h"

#include <mutex>

namespace orvane::application {

class Message;

// The answer to one request that travels as a message (an object parameter named
// Reply::PARAMETER): the caller waits on it, the serving thread answers it. A reply is
// answered exactly once: the first answer counts, later ones are ignored. The loops that
// serve messages answer false for every request whose message they dispose of without an
// answer (it was refused, queued behind the end of the loop, or its handler did not
// answer), so a caller never waits for a request nobody will serve.
//
// Shared by the waiting caller and the message (counted), so it lives until both are done.
class Reply : public object::Object {
public:
    static constexpr const char* PARAMETER = "reply";

    Reply() noexcept = default;

    // Answers the request unless it was answered already; false when it was. Any thread.
    bool answer(bool result);
    // Waits until the request is answered and returns the answer.
    bool wait();
    bool isAnswered() const noexcept { return done.isSet(); }

    // Answers false to the request a message carries, when it carries one that is still
    // unanswered.
    static void refuse(const Message& message);

    types::String getClassName() const override;

private:
    std::mutex lock;
    bool answered = false; // guarded by lock
    bool result = false;   // written once, under lock, before done is raised
    system::Signal done;
};

} // namespace orvane::application
