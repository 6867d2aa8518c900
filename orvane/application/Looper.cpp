#include "orvane/application/Looper.h"

#include "orvane/application/Message.h"
#include "orvane/application/Reply.h"
#include "orvane/native/Messages.h"
#include "orvane/native/ThreadQueue.h"
#include "orvane/object/Pointer.h"

namespace orvane::application {
namespace {

Message* carriedMessage(const native::NativeMessage& native) {
    return native.window == nullptr && native.message == Looper::DISPATCH
               ? reinterpret_cast<Message*>(native.wParam)
               : nullptr;
}

// Every message a looper takes ends here, handled or not: an unanswered request is
// answered false, then the message goes back to the pool and lets go of its target.
void finish(Message* message) noexcept {
    Reply::refuse(*message);
    Message::dispose(message);
}

void finishCarried(const native::NativeMessage& native, void*) {
    if (Message* message = carriedMessage(native))
        finish(message);
}

// Finishes a message even when its handler throws.
struct Finisher {
    Message* message;
    ~Finisher() { finish(message); }
};

} // namespace

// Work handed to the looper thread by invoke(): the request and its answer.
class Looper::Call : public Reply {
public:
    explicit Call(std::function<bool()> work)
        : work(std::move(work)) {}

    // A throwing work leaves the request to the loop, which answers it false.
    void run() { answer(work()); }

private:
    std::function<bool()> work;
};

// Ends the loop however it ends (a handler may throw): closes the thread's queue, so that
// messages posted too late are refused and those still queued are finished, lets the
// looper clean up on its own thread, then gives back the thread's native state (its X
// connection above all) while a quit() still waits for the thread: once quit() returns,
// nothing of the thread touches the display any more.
class Looper::LooperThread::LoopEnd {
public:
    explicit LoopEnd(LooperThread* thread) noexcept
        : thread(thread) {}
    LoopEnd(const LoopEnd&) = delete;
    LoopEnd& operator=(const LoopEnd&) = delete;
    ~LoopEnd() {
        native::closeThreadQueue(finishCarried, nullptr);
        // Finishing a message may have destroyed the looper, which then cleared the pointer.
        if (Looper* looper = thread->looper) {
            try {
                looper->loopEnded();
            } catch (...) {
                // The thread ends either way; nothing is shown.
            }
        }
        native::releaseThreadState();
    }

private:
    LooperThread* const thread;
};

Looper::~Looper() {
    system::Thread* serving = getThread();
    auto* own = dynamic_cast<LooperThread*>(system::Thread::current());
    if (own && own->looper == this && serving != own) {
        // Destroyed from within its own loop after quit() on another thread took the
        // field: that thread has posted the quit and joins this one, whose loop must not
        // touch this looper again. That quit() may still be letting go of this looper's
        // lock, taken to clear the field: it is waited for before the lock is destroyed.
        std::lock_guard hold(threadLock);
        own->looper = nullptr;
        return;
    }
    if (serving && system::Thread::current() == serving) {
        // Destroyed from within its own loop: the thread ends by itself after the current
        // message and must not touch this looper again.
        static_cast<LooperThread*>(serving)->looper = nullptr;
        native::postThreadMessage(serving->getId(), native::WM_QUIT, 0, 0);
        {
            std::lock_guard hold(threadLock);
            thread.store(nullptr, std::memory_order_release);
        }
        serving->release();
        return;
    }
    quit();
}

bool Looper::handleMessage(Message* message) {
    if (message->what != INVOKE)
        return Messenger::handleMessage(message);
    if (auto* call = dynamic_cast<Call*>(message->findObject(Reply::PARAMETER)))
        call->run();
    return true;
}

bool Looper::invoke(std::function<bool()> work) {
    system::Thread* serving = getThread();
    if (!serving || system::Thread::current() == serving)
        return work();
    auto call = object::Pointer<Call>::adopt(new Call(std::move(work)));
    Message* message = Message::create(INVOKE);
    message->target = this;
    message->addObject(Reply::PARAMETER, call.get());
    // A refused message is finished at once, which answers the call false.
    enqueue(message);
    return call->wait();
}

void Looper::loopEnded() {}

bool Looper::enqueue(Message* message) {
    return forward(message);
}

bool Looper::enqueueFront(Message* message) {
    return forward(message);
}

bool Looper::forward(Message* message) {
    // Held while it is used: the thread may end and let go of itself at any moment.
    object::Pointer<system::Thread> serving;
    {
        std::lock_guard hold(threadLock);
        serving = getThread();
    }
    // The target is held before the message leaves this thread: the looper may handle
    // and dispose of it before postThreadMessage returns.
    message->holdTarget();
    if (serving && native::postThreadMessage(serving->getId(), DISPATCH,
                                             reinterpret_cast<std::uintptr_t>(message), 0))
        return true;
    finish(message);
    return false;
}

bool Looper::start() {
    if (getThread())
        return false;
    auto* looperThread = new LooperThread(this);
    {
        std::lock_guard hold(threadLock);
        if (!getThread())
            thread.store(looperThread, std::memory_order_release);
    }
    if (getThread() != looperThread) {
        looperThread->release(); // another caller started the looper first
        return false;
    }
    // The field's reference may be taken over by a quit() from another thread at any time.
    object::Pointer<LooperThread> started(looperThread);
    if (!looperThread->start(false)) {
        if (takeThread(looperThread))
            looperThread->release();
        looperThread->ready.set(); // a quit() that took it over must not wait for it
        return false;
    }
    looperThread->ready.wait();
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
    serving = takeThread(nullptr);
    if (!serving)
        return false;
    // Until it is ready the thread has neither its id nor a queue to receive the quit.
    static_cast<LooperThread*>(serving)->ready.wait();
    // Fails when the thread has already ended (a handler threw); nothing to tell then.
    native::postThreadMessage(serving->getId(), native::WM_QUIT, 0, 0);
    serving->join();    // false when it has already ended: nothing to wait for
    serving->release(); // the running thread keeps its own reference until it ends
    return true;
}

system::Thread* Looper::takeThread(system::Thread* expected) {
    std::lock_guard hold(threadLock);
    system::Thread* serving = getThread();
    if (!serving || (expected && serving != expected))
        return nullptr;
    thread.store(nullptr, std::memory_order_release);
    return serving;
}

types::String Looper::getClassName() const {
    return object::classPath(Messenger::getClassName(), ":Looper");
}

bool Looper::LooperThread::run() {
    // Raised on every way out, so that nobody waits for a thread that failed to begin.
    struct Ready {
        system::Signal& signal;
        ~Ready() { signal.set(); }
    } readyOnExit{ready};
    native::touchThreadQueue();
    {
        LoopEnd end(this);
        while (!native::postThreadMessage(native::currentThreadId(), READY, 0, 0))
            sleep(5);
        ready.set();
        native::NativeMessage native;
        while (native::getMessage(native)) {
            if (native.window) {
                native::translateMessage(native);
                native::dispatchMessage(native);
            } else if (Message* message = carriedMessage(native)) {
                serve(message);
            }
        }
    }
    leave();
    return true;
}

void Looper::LooperThread::serve(Message* message) {
    Finisher finisher{message};
    // A handler that left this looper after the message was queued (removed, or its looper
    // destroyed) is no longer served from this thread.
    Handler* target = message->target;
    if (looper && target && target->getMessenger() == looper)
        target->handleMessage(message);
}

void Looper::LooperThread::leave() {
    // Still the looper's thread: the loop ended from within (quit on this thread). Once
    // the field is cleared somebody may destroy the looper, so that is the last touch.
    // When quit() came from elsewhere, that thread has taken the field and joins us.
    if (!looper || looper->getThread() != this)
        return;
    if (looper->takeThread(this))
        release(); // the looper's reference; the running thread still holds its own
}

types::String Looper::LooperThread::getClassName() const {
    return object::classPath(Thread::getClassName(), ":LooperThread");
}

} // namespace orvane::application
