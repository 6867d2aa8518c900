#include "orvane/application/Reply.h"

#include "orvane/application/Message.h"

namespace orvane::application {

bool Reply::answer(bool value) {
    {
        std::lock_guard hold(lock);
        if (answered)
            return false;
        answered = true;
        result = value;
    }
    done.set();
    return true;
}

bool Reply::wait() {
    done.wait();
    std::lock_guard hold(lock);
    return result;
}

void Reply::refuse(const Message& message) {
    if (auto* reply = dynamic_cast<Reply*>(message.findObject(PARAMETER)))
        reply->answer(false);
}

types::String Reply::getClassName() const {
    return object::classPath(Object::getClassName(), ":Reply");
}

} // namespace orvane::application
