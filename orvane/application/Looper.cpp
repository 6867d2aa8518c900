#include "orvane/application/Looper.h"

#include "orvane/application/Message.h"
#include "orvane/native/Messages.h"
#include "orvane/native/ThreadQueue.h"

namespace orvane::application {
namespace {

Message* carriedMessage(const native::NativeMessage& native) {
    return native.window == nullptr && native.message == Looper::DISPATCH
               ? reinterpret_cast<Message*>(native.wParam)
               : nullptr;
}

void disposeCarried(const native::NativeMessage& native, void*) {
    Message::dispose(carriedMessage(native));
}

// Closes the thread's queue when the loop ends, however it ends (a handler may throw),
// so that messages posted too late are disposed of and later posts fail.
struct QueueCloser {
    ~QueueCloser() { native::closeThreadQueue(disposeCarried, nullptr); }
};

// Gives a message back to the pool even when its handler throws.
struct Disposer {
    Message* message;
    ~Disposer() { Message::dispose(message); }
};

} // namespace

// Work handed to the looper thread by invoke(). Shared by the waiting caller and the
// message that carries it (an object parameter), so it lives until both are done.
class Looper::Call : public object::Object {
public:
    explicit Call(std::function<bool()> work)
        : work(std::move(work)) {}

    void run() {
        // The caller is released even when the work throws (which ends the thread).
        struct Finish {
            Call* call;
            ~Finish() { call->done.set(); }
        } finish{this};
        result = work();
    }

    std::function<bool()> work;
    bool result = false;
    system::Signal done;
};

Looper::~Looper() {
    system::Thread* serving = getThread();
    if (serving && system::Thread::current() == serving) {
        // Destroyed from within its own loop: the thread ends by itself after the current
        // message and must not touch this looper again.
        static_cast<LooperThread*>(serving)->looper = nullptr;
        native::postThreadMessage(serving->getId(), native::WM_QUIT, 0, 0);
        thread.store(nullptr, std::memory_order_release);
        serving->release();
        return;
    }
    quit();
}

bool Looper::handleMessage(Message* message) {
    if (message->what != INVOKE)
        return Messenger::handleMessage(message);
    if (auto* call = dynamic_cast<Call*>(message->findObject("call")))
        call->run();
    return true;
}

bool Looper::invoke(std::function<bool()> work) {
    system::Thread* serving = getThread();
    if (!serving || system::Thread::current() == serving)
        return work();
    auto* call = new Call(std::move(work));
    Message* message = Message::create(INVOKE);
    message->target = this;
    message->addObject("call", call);
    bool result;
    if (enqueue(message)) {
        call->done.wait();
        result = call->result;
    } else {
        result = call->work(); // the thread has ended: nobody else touches the looper's objects
    }
    call->release();
    return result;
}

bool Looper::enqueue(Message* message) {
    return forward(message);
}

bool Looper::enqueueFront(Message* message) {
    return forward(message);
}

bool Looper::forward(Message* message) {
    system::Thread* serving = getThread();
    if (serving && native::postThreadMessage(serving->getId(), DISPATCH,
                                             reinterpret_cast<std::uintptr_t>(message), 0))
        return true;
    Message::dispose(message);
    return false;
}

bool Looper::start() {
    if (getThread())
        return false;
    auto* looperThread = new LooperThread(this);
    thread.store(looperThread, std::memory_order_release);
    if (!looperThread->start(false)) {
        thread.store(nullptr, std::memory_order_release);
        looperThread->release();
        return false;
    }
    started.wait();
    return true;
}

bool Looper::quit() {
    system::Thread* serving = getThread();
    if (!serving)
        return false;
    if (system::Thread::current() == serving) {
        // The loop ends after the current message; the thread itself lets go of the
        // looper as its very last act (LooperThread::leave).
        native::postThreadMessage(serving->getId(), native::WM_QUIT, 0, 0);
        return true;
    }
    // Whoever takes the thread out of the field owns its reference.
    serving = thread.exchange(nullptr, std::memory_order_acq_rel);
    if (!serving)
        return false;
    // Fails when the thread has already ended (a handler threw); nothing to tell then.
    native::postThreadMessage(serving->getId(), native::WM_QUIT, 0, 0);
    serving->join(); // false when it has already ended: nothing to wait for
    started.reset();
    serving->release(); // the running thread keeps its own reference until it ends
    return true;
}

types::String Looper::getClassName() const {
    return object::classPath(Messenger::getClassName(), ":Looper");
}

bool Looper::LooperThread::run() {
    {
        native::touchThreadQueue();
        QueueCloser closer;
        while (!native::postThreadMessage(native::currentThreadId(), READY, 0, 0))
            sleep(5);
        looper->started.set();
        native::NativeMessage native;
        while (native::getMessage(native)) {
            if (native.window) {
                native::translateMessage(native);
                native::dispatchMessage(native);
            } else if (Message* message = carriedMessage(native)) {
                Disposer disposer{message};
                message->target->handleMessage(message);
            }
        }
    }
    leave();
    return true;
}

void Looper::LooperThread::leave() {
    // Still the looper's thread: the loop ended from within (quit on this thread). Once
    // the field is cleared somebody may destroy the looper, so that is the last touch.
    // When quit() came from elsewhere, that thread has taken the field and joins us.
    if (!looper || looper->getThread() != this)
        return;
    looper->started.reset();
    system::Thread* self = this;
    if (looper->thread.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel))
        release(); // the looper's reference; the running thread still holds its own
}

types::String Looper::LooperThread::getClassName() const {
    return object::classPath(Thread::getClassName(), ":LooperThread");
}

} // namespace orvane::application
