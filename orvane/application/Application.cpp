#include "orvane/application/Application.h"

#include "orvane/system/Thread.h"

#include <atomic>
#include <mutex>

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
    {
        std::lock_guard guard(lock);
        queue.pushBack(message);
    }
    wakeUp.set();
    return true;
}

bool Application::enqueueFront(Message* message) {
    {
        std::lock_guard guard(lock);
        queue.pushFront(message);
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
            if (!quitting)
                message->target->handleMessage(message);
            Message::release(message); // the queue's share
            Message::release(message); // the poster's, handed over with the message
            if (quitting) {
                onStop();
                thread.store(nullptr, std::memory_order_release);
                return true;
            }
        }
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
