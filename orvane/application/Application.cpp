#include "orvane/application/Application.h"

#include "orvane/application/Reply.h"
#include "orvane/system/Thread.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace orvane::application {
namespace {

std::atomic<Application*> currentApplication{nullptr};

} // namespace

Application::Application() {
    currentApplication.store(this, std::memory_order_release);
}

Application::~Application() {
    Application* self = this;
    currentApplication.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
    std::lock_guard guard(lock);
    queue.clear();
}

bool Application::enqueue(Message* message) {
    return insert(message, false);
}

bool Application::enqueueFront(Message* message) {
    return insert(message, true);
}

bool Application::insert(Message* message, bool atFront) {
    bool accepted = false;
    {
        std::lock_guard guard(lock);
        // Decided under the lock that the loop takes to stop, so that nothing is queued
        // after the loop has let go of its queue.
        if (getThread()) {
            message->holdTarget();
            accepted = atFront ? queue.pushFront(message) : queue.pushBack(message);
        }
    }
    if (!accepted) {
        Reply::refuse(*message);
        Message::dispose(message);
        return false;
    }
    wakeUp.set();
    return true;
}

Message* Application::take() {
    std::lock_guard guard(lock);
    return queue.popFront();
}

bool Application::run() {
    onStart();
    thread.store(system::Thread::current(), std::memory_order_release);
    for (;;) {
        wakeUp.wait();
        // Lowered before draining: whatever arrives from now on raises it again, so the
        // next wait cannot sleep through it.
        wakeUp.reset();
        while (Message* message = take()) {
            bool quitting = message->target == this && message->what == Message::QUIT;
            // A handler that left the application after the message was queued is no
            // longer served here.
            if (!quitting && message->target && message->target->getMessenger() == this)
                message->target->handleMessage(message);
            Reply::refuse(*message);
            Message::release(message); // the queue's share
            Message::release(message); // the poster's, handed over with the message
            if (quitting) {
                onStop();
                stopServing();
                return true;
            }
        }
    }
}

void Application::stopServing() {
    std::vector<Message*> left;
    {
        std::lock_guard guard(lock);
        thread.store(nullptr, std::memory_order_release);
        while (Message* message = queue.popFront())
            left.push_back(message);
    }
    // Outside the lock: letting go of a target may destroy it, and its destructor may post.
    for (Message* message : left) {
        Reply::refuse(*message);
        Message::release(message); // the queue's share
        Message::release(message); // the poster's
    }
}

bool Application::quit() {
    return Handler::post(Message::QUIT);
}

bool Application::onStart() {
    return true;
}

bool Application::onStop() {
    return true;
}

Application* Application::getApplication() noexcept {
    return currentApplication.load(std::memory_order_acquire);
}

types::String Application::getClassName() const {
    return object::classPath(Messenger::getClassName(), ":Application");
}

} // namespace orvane::application
