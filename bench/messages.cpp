// Messages between threads: how many a looper thread handles per second when one other
// thread posts them as fast as it can, and how long one message takes from post() to
// handleMessage() when the looper is idle (asleep in its queue).

#include "orvane/application/Looper.h"
#include "orvane/application/Message.h"
#include "orvane/system/Signal.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace orvane;
using Clock = std::chrono::steady_clock;

// Counts what it handles and raises `done` when the expected number has arrived.
class CountingLooper : public application::Looper {
public:
    bool handleMessage(application::Message*) override {
        if (++handled == expected)
            done.set();
        return true;
    }
    void expect(std::uint64_t count) {
        done.reset();
        expected = handled + count;
    }

    std::uint64_t handled = 0; // touched only by the looper thread
    std::atomic<std::uint64_t> expected{0};
    system::Signal done;
};

void PostToLooper(benchmark::State& state) {
    const auto batch = std::uint64_t(state.range(0));
    auto* looper = new CountingLooper;
    looper->start();
    for (auto _ : state) {
        looper->expect(batch);
        for (std::uint64_t i = 0; i < batch; ++i)
            looper->post(1);
        looper->done.wait();
    }
    state.SetItemsProcessed(std::int64_t(state.iterations() * batch));
    looper->quit();
    looper->release();
}
BENCHMARK(PostToLooper)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

// Records the delay between the time stamp a message carries and its handling.
class TimingLooper : public application::Looper {
public:
    bool handleMessage(application::Message* message) override {
        auto sent = Clock::time_point(
            Clock::duration(std::int64_t(message->find("sent")->value.doubleReal)));
        delays.push_back(Clock::now() - sent);
        done.set();
        return true;
    }

    std::vector<Clock::duration> delays; // read after the looper has answered
    system::Signal done;
};

double percentile(std::vector<Clock::duration> delays, double fraction) {
    std::sort(delays.begin(), delays.end());
    auto index = std::size_t(fraction * double(delays.size() - 1));
    return std::chrono::duration<double, std::micro>(delays[index]).count();
}

void PostToHandleLatency(benchmark::State& state) {
    auto* looper = new TimingLooper;
    looper->start();
    for (auto _ : state) {
        // Give the looper time to go back to sleep, as a window's thread does between
        // the ticks that ask it to redraw.
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        looper->done.reset();
        state.ResumeTiming();
        application::Message message(1);
        message.addDouble("sent", double(Clock::now().time_since_epoch().count()));
        looper->post(message);
        looper->done.wait();
    }
    state.counters["median_us"] = percentile(looper->delays, 0.5);
    state.counters["p99_us"] = percentile(looper->delays, 0.99);
    looper->quit();
    looper->release();
}
BENCHMARK(PostToHandleLatency)->Iterations(5000)->Unit(benchmark::kMicrosecond);

} // namespace
