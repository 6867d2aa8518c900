#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace orvane::test {

// Bounds a stress test by a deadline: if the test is still running when the deadline
// passes, the watchdog says what was going on and ends the process with a failure (a hung
// test cannot be failed any other way). Disarmed by going out of scope.
class Watchdog {
public:
    Watchdog(std::chrono::seconds deadline, std::string what)
        : what(std::move(what))
        , thread([this, deadline] { watch(deadline); }) {}
    ~Watchdog() {
        {
            std::lock_guard guard(lock);
            done = true;
        }
        wake.notify_all();
        thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // What the test is doing now, for the message.
    void progress(std::string step) {
        std::lock_guard guard(lock);
        current = std::move(step);
    }

private:
    void watch(std::chrono::seconds deadline) {
        std::unique_lock guard(lock);
        if (wake.wait_for(guard, deadline, [this] { return done; }))
            return;
        std::fprintf(stderr, "watchdog: %s did not finish within %lld s (at: %s)\n", what.c_str(),
                     static_cast<long long>(deadline.count()), current.c_str());
        std::fflush(stderr);
        std::_Exit(3);
    }

    std::mutex lock;
    std::condition_variable wake;
    bool done = false;
    std::string what;
    std::string current = "start";
    std::thread thread;
};

} // namespace orvane::test
