// A ticker with a 20 ms period run for five seconds: how many ticks a second it delivers
// and how regular they are. Reports ticks_per_second and the median, 99th-percentile and
// largest interval between ticks in milliseconds (median_ms, p99_ms, max_ms). A ticker
// whose tick takes five periods: how many ticks a second it delivers (missed periods are
// not made up, so about one per tick's length). Also the cost of a mutex lock and unlock,
// of signal round trips and of a thread's start and join.
#include "orvane/system/Ticker.h"
#include "orvane/system/Mutex.h"
#include "orvane/system/Signal.h"
#include "orvane/system/Thread.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Records the time of every tick; the buffer is reserved up front so that ticking does
// not allocate.
class RecordingTicker : public orvane::system::Ticker {
public:
    explicit RecordingTicker(std::size_t capacity) { times.reserve(capacity); }
    ~RecordingTicker() override { stop(); }

    std::vector<Clock::time_point> recorded() {
        std::lock_guard<orvane::system::Mutex> hold(lock);
        return times;
    }

protected:
    void tick() override {
        const Clock::time_point now = Clock::now();
        std::lock_guard<orvane::system::Mutex> hold(lock);
        if (times.size() < times.capacity())
            times.push_back(now);
    }

private:
    orvane::system::Mutex lock;
    std::vector<Clock::time_point> times;
};

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    const auto at = values.begin() + std::ptrdiff_t(fraction * double(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

void tickerJitter(benchmark::State& state) {
    const int period = int(state.range(0));
    const auto span = std::chrono::seconds(5);
    std::vector<Clock::time_point> times;
    for (auto _ : state) {
        RecordingTicker ticker(std::size_t(2 * span / std::chrono::milliseconds(period)) + 16);
        ticker.setPeriod(period);
        ticker.start();
        std::this_thread::sleep_for(span);
        ticker.stop();
        times = ticker.recorded();
    }
    std::vector<double> intervals;
    for (std::size_t i = 1; i < times.size(); ++i)
        intervals.push_back(
            std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count());
    const double seconds =
        times.size() > 1 ? std::chrono::duration<double>(times.back() - times.front()).count() : 0;
    state.counters["ticks_per_second"] = seconds > 0 ? double(intervals.size()) / seconds : 0;
    state.counters["median_ms"] = percentile(intervals, 0.5);
    state.counters["p99_ms"] = percentile(intervals, 0.99);
    state.counters["max_ms"] = percentile(intervals, 1.0);
}
BENCHMARK(tickerJitter)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each tick sleeps 50 ms at a 10 ms period: without catch-up about 20 ticks a second, and
// no run of ticks closer together than a tick's length.
class SlowTicker : public orvane::system::Ticker {
public:
    ~SlowTicker() override { stop(); }
    std::atomic<int> ticks{0};

protected:
    void tick() override {
        ++ticks;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
};

void tickerSlowTicks(benchmark::State& state) {
    const auto span = std::chrono::seconds(3);
    int ticks = 0;
    for (auto _ : state) {
        SlowTicker ticker;
        ticker.setPeriod(10);
        ticker.start();
        std::this_thread::sleep_for(span);
        ticker.stop();
        ticks = ticker.ticks.load();
    }
    state.counters["ticks_per_second"] = double(ticks) / double(span.count());
}
BENCHMARK(tickerSlowTicks)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void mutexLockUnlock(benchmark::State& state) {
    orvane::system::Mutex mutex;
    for (auto _ : state) {
        mutex.lock();
        mutex.unlock();
    }
}
BENCHMARK(mutexLockUnlock);

void signalSetWaitReset(benchmark::State& state) {
    orvane::system::Signal signal;
    for (auto _ : state) {
        signal.set();
        signal.wait();
        signal.reset();
    }
}
BENCHMARK(signalSetWaitReset);

// One round trip between two threads through two signals.
void signalPingPong(benchmark::State& state) {
    orvane::system::Signal ping, pong;
    std::atomic<bool> done{false};
    std::thread partner([&] {
        for (;;) {
            ping.wait();
            ping.reset();
            if (done)
                break;
            pong.set();
        }
    });
    for (auto _ : state) {
        ping.set();
        pong.wait();
        pong.reset();
    }
    done = true;
    ping.set();
    partner.join();
}
BENCHMARK(signalPingPong)->UseRealTime();

// Starting a thread with an empty body and joining it.
void threadStartJoin(benchmark::State& state) {
    orvane::system::Thread thread;
    for (auto _ : state) {
        thread.start(false);
        thread.join();
    }
}
BENCHMARK(threadStartJoin)->UseRealTime();

} // namespace
