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

private:
    void watch(std::chrono::seconds deadline) {
        std::unique_lock hold(lock);
        if (wake.wait_for(hold, deadline, [this] { return finished; }))
            return;
        std::fprintf(stderr, "watchdog: %s did not finish within %lld s\n", what.c_str(),
                     static_cast<long long>(deadline.count()));
        std::fflush(stderr);
        std::abort();
    }

    std::string what;
    std::mutex lock;
    std::condition_variable wake;
    bool finished = false;
    std::thread guard; // last: it starts once everything it uses is made
};

} // namespace orvane::test
