#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace orvane::test {

// Bounds a stress test that would otherwise hang: unless it is destroyed before the
// deadline, it reports what was still running and aborts the test program, which fails
// the test. The deadline is far beyond what the work needs on a loaded machine; it only
// turns a hang into a failure and never decides a result that completes.
class Watchdog {
public:
    explicit Watchdog(std::string what, std::chrono::seconds deadline = std::chrono::seconds(120))
        : what(std::move(what))
        , guard([this, deadline] { watch(deadline); }) {}
    Watchdog(std::chrono::seconds deadline, std::string what)
        : Watchdog(std::move(what), deadline) {}
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        {
            std::lock_guard hold(lock);
            finished = true;
        }
        wake.notify_one();
        guard.join();
    }

    // What the test is doing now, for the message.
    void progress(std::string step) {
        std::lock_guard hold(lock);
        current = std::move(step);
    }

private:
    void watch(std::chrono::seconds deadline) {
        std::unique_lock hold(lock);
        if (wake.wait_for(hold, deadline, [this] { return finished; }))
            return;
        std::fprintf(stderr, "watchdog: %s did not finish within %lld s (at: %s)\n", what.c_str(),
                     static_cast<long long>(deadline.count()), current.c_str());
        std::fflush(stderr);
        std::abort();
    }

    std::string what;
    std::string current = "start";
    std::mutex lock;
    std::condition_variable wake;
    bool finished = false;
    std::thread guard; // last: it starts once everything it uses is made
};

} // namespace orvane::test
