#include "orvane/system/Mutex.h"

namespace orvane::system {

Mutex::Mutex() noexcept {
    pthread_mutex_init(&mutex, nullptr);
}

Mutex::~Mutex() {
    pthread_mutex_destroy(&mutex);
}

bool Mutex::lock() noexcept {
    if (!ownedByCaller()) {
        pthread_mutex_lock(&mutex);
        take();
    }
    ++depth;
    return true;
}

bool Mutex::tryLock() noexcept {
    if (!ownedByCaller()) {
        if (pthread_mutex_trylock(&mutex) != 0)
            return false;
        take();
    }
    ++depth;
    return true;
}

bool Mutex::unlock() noexcept {
    if (!ownedByCaller())
        return false;
    if (--depth == 0) {
        owner.store(std::thread::id(), std::memory_order_relaxed);
        pthread_mutex_unlock(&mutex);
    }
    return true;
}

bool Mutex::ownedByCaller() const noexcept {
    return owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

void Mutex::take() noexcept {
    owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

types::String Mutex::getClassName() const {
    return object::classPath(Object::getClassName(), ":Mutex");
}

} // namespace orvane::system
