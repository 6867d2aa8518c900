#include "orvane/system/Thread.h"

#include "orvane/system/Mutex.h"

#include <cerrno>
#include <cxxabi.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

namespace orvane::system {

// One body started by start(): what the starter, the joiners and the running thread share.
// It lives on until the last of them lets go, so the running thread can announce its end
// after its Thread may already be gone.
struct Thread::Control {
    explicit Control(Thread* owner) noexcept
        : thread(owner) {}

    void retain() noexcept { references.fetch_add(1, std::memory_order_relaxed); }
    void release() noexcept {
        if (references.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

    Thread* const thread;
    // The Thread and the running thread each hold one from the start.
    std::atomic<int> references{2};
    Signal begun;    // the body is about to run
    Signal finished; // the running thread no longer touches `thread`
};

namespace {

// The registry and its lock are made on first use and never destroyed: threads may still
// be ending (and unregistering) while the process runs its static destructors.
struct Registry {
    Mutex lock;
    container::Chain<Thread> threads;
};

Registry& registry() {
    static Registry* const instance = new Registry();
    return *instance;
}

// The calling thread's object; written only by the thread itself.
thread_local Thread* currentThread = nullptr;
// Whether the engine started this thread (its start routine is on the stack below).
thread_local bool startedByEngine = false;

void registerThread(Thread* thread) {
    Registry& shared = registry();
    std::lock_guard<Mutex> hold(shared.lock);
    shared.threads.add(thread);
}

void unregisterThread(Thread* thread) {
    Registry& shared = registry();
    std::lock_guard<Mutex> hold(shared.lock);
    shared.threads.remove(thread);
}

Thread* findRegistered(std::uint32_t identifier) {
    Registry& shared = registry();
    std::lock_guard<Mutex> hold(shared.lock);
    for (Thread* thread : shared.threads)
        if (thread->getId() == identifier)
            return thread;
    return nullptr;
}

std::uint32_t systemIdentifier() {
    return static_cast<std::uint32_t>(gettid());
}

// Adopted threads carry their object in this key as well: its destructor runs when such a
// thread ends, so an adopted thread leaves the registry with its thread rather than
// staying there under an identifier the system will hand out again.
pthread_key_t adoptionKey(void (*forget)(void*)) {
    static const pthread_key_t key = [forget] {
        pthread_key_t made;
        pthread_key_create(&made, forget);
        return made;
    }();
    return key;
}

} // namespace

// Runs when the body's thread leaves runQuietly(), by returning or by being unwound from
// exit(): the thread's bookkeeping, in the order that lets the object be destroyed by the
// last step.
class Thread::Ending {
public:
    explicit Ending(Control* control) noexcept
        : control(control) {}
    Ending(const Ending&) = delete;
    Ending& operator=(const Ending&) = delete;

    ~Ending() {
        Thread* thread = control->thread;
        thread->running.reset();
        thread->detachFromSystem();
        unregisterThread(thread);
        currentThread = nullptr;
        startedByEngine = false;
        thread->release(); // the reference start() took; may destroy the Thread
        control->finished.set();
        control->release();
    }

private:
    Control* const control;
};

Thread::Thread() noexcept = default;

Thread::~Thread() {
    if (control)
        control->release();
}

bool Thread::start(bool waitUntilRunning) {
    Control* started;
    {
        std::lock_guard<std::mutex> hold(stateLock);
        if (attached)
            return true;
        // A previous body may still be leaving the registry; let it finish first. It has
        // already cleared `attached`, so it needs nothing of this lock any more.
        if (control) {
            control->finished.wait();
            control->release();
            control = nullptr;
        }
        retain();
        registerThread(this);
        running.reset();
        started = new Control(this);

        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
        pthread_t handle;
        const int failure = pthread_create(&handle, &attributes, startRoutine, started);
        pthread_attr_destroy(&attributes);
        if (failure) {
            delete started;
            unregisterThread(this);
            release();
            return false;
        }
        attached = true;
        control = started;
        if (waitUntilRunning)
            started->retain();
    }
    if (waitUntilRunning) {
        started->begun.wait();
        started->release();
    }
    return true;
}

void* Thread::startRoutine(void* argument) {
    auto* control = static_cast<Control*>(argument);
    Thread* thread = control->thread;
    thread->identifier.store(systemIdentifier(), std::memory_order_release);
    currentThread = thread;
    startedByEngine = true;
    thread->running.set();
    control->begun.set();
    Ending ending(control);
    thread->runQuietly();
    return nullptr;
}

// The forced unwinding of exit() carries no exception object, so the reference bound by
// its handler is null by design; the null-reference check is turned off for this reason.
[[gnu::no_sanitize("null")]] void Thread::runQuietly() {
    try {
        run();
    } catch (const abi::__forced_unwind&) {
        throw; // exit() is unwinding this thread; the unwinding must go on
    } catch (...) {
        // An escaping exception ends the thread like a normal return; nothing is shown.
    }
}

void Thread::detachFromSystem() {
    std::lock_guard<std::mutex> hold(stateLock);
    attached = false;
    identifier.store(0, std::memory_order_release);
}

bool Thread::run() {
    return true;
}

bool Thread::join() {
    if (current() == this)
        return false;
    Control* body;
    {
        std::lock_guard<std::mutex> hold(stateLock);
        if (!control || control->finished.isSet())
            return false;
        body = control;
        body->retain();
    }
    body->finished.wait();
    body->release();
    return true;
}

bool Thread::join(std::uint32_t milliseconds) {
    if (current() == this)
        return false;
    Control* body;
    {
        std::lock_guard<std::mutex> hold(stateLock);
        if (!control || control->finished.isSet())
            return false;
        body = control;
        body->retain();
    }
    const bool ended = body->finished.wait(milliseconds);
    body->release();
    return ended;
}

bool Thread::suspend() {
    if (current() != this)
        return false;
    std::unique_lock<std::mutex> hold(parkLock);
    parked = true;
    parkWake.wait(hold, [this] { return resumed; });
    resumed = false;
    parked = false;
    return true;
}

bool Thread::resume() {
    // Notified under the lock: once it is released, the woken thread may end and take
    // this object with it.
    std::lock_guard<std::mutex> hold(parkLock);
    resumed = true;
    parkWake.notify_one();
    return true;
}

bool Thread::isSuspended() const {
    std::lock_guard<std::mutex> hold(parkLock);
    return parked;
}

bool Thread::sleep(std::uint32_t milliseconds) {
    timespec remaining{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
    return true;
}

void Thread::exit() {
    // An engine thread is unwound to its start routine, which does the bookkeeping of a
    // normal end (and runs the destructors of everything on its stack).
    if (startedByEngine)
        pthread_exit(nullptr);
    if (Thread* thread = currentThread) {
        pthread_setspecific(adoptionKey(forgetAdopted), nullptr);
        forgetAdopted(thread);
    }
    pthread_exit(nullptr);
}

Thread* Thread::current() {
    if (currentThread)
        return currentThread;
    const std::uint32_t identifier = systemIdentifier();
    if (Thread* registered = findRegistered(identifier)) {
        currentThread = registered;
        return registered;
    }
    return adopt(identifier);
}

Thread* Thread::adopt(std::uint32_t identifier) {
    // Its creation reference belongs to the thread itself and is dropped when it ends.
    auto* thread = new Thread();
    thread->attached = true;
    thread->identifier.store(identifier, std::memory_order_release);
    registerThread(thread);
    currentThread = thread;
    pthread_setspecific(adoptionKey(forgetAdopted), thread);
    return thread;
}

void Thread::forgetAdopted(void* adopted) {
    auto* thread = static_cast<Thread*>(adopted);
    thread->detachFromSystem();
    unregisterThread(thread);
    if (currentThread == thread)
        currentThread = nullptr;
    thread->release();
}

std::uint32_t Thread::registeredCount() {
    Registry& shared = registry();
    std::lock_guard<Mutex> hold(shared.lock);
    return shared.threads.count();
}

types::String Thread::getClassName() const {
    return object::classPath(Object::getClassName(), ":Thread");
}

namespace {
// The main thread is adopted while the program initialises, before main() runs.
[[maybe_unused]] const Thread* const mainThread = Thread::current();
} // namespace

} // namespace orvane::system
