#include "orvane/system/Ticker.h"
#include "orvane/object/Exception.h"
#include "orvane/system/Signal.h"
#include "orvane/system/Thread.h"
#include "tests/support/Eventually.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace orvane::system {
namespace {

using namespace std::chrono_literals;
using test::countProcessEntries;
using test::eventually;

// Counts its ticks and the threads they came from; an optional action runs in each tick.
class CountingTicker : public Ticker {
public:
    explicit CountingTicker(std::function<void(CountingTicker&)> action = {})
        : action(std::move(action)) {}
    ~CountingTicker() override { stop(); }

    int ticks() const { return count.load(); }
    bool tickedOnCaller() const { return onCaller.load(); }
    // Waits without limit until `total` ticks have begun: a stress test's watchdog bounds it.
    void waitForTicks(int total) {
        std::unique_lock hold(lock);
        counted.wait(hold, [&] { return count.load() >= total; });
    }

protected:
    void tick() override {
        if (Thread::current()->getId() == callerId)
            onCaller = true;
        {
            std::lock_guard hold(lock);
            ++count;
        }
        counted.notify_all();
        if (action)
            action(*this);
    }

private:
    std::function<void(CountingTicker&)> action;
    const std::uint32_t callerId = Thread::current()->getId();
    std::atomic<int> count{0};
    std::atomic<bool> onCaller{false};
    std::mutex lock;
    std::condition_variable counted;
};

// Waits a fixed time and answers the ticks counted in it.
int ticksDuring(const CountingTicker& ticker, std::chrono::milliseconds span) {
    const int before = ticker.ticks();
    std::this_thread::sleep_for(span);
    return ticker.ticks() - before;
}

TEST(TickerTicking, FirstTickComesAtOnceThenOnePerPeriod) {
    CountingTicker ticker;
    ticker.setPeriod(20);
    EXPECT_EQ(ticker.getPeriod(), 20);
    EXPECT_FALSE(ticker.isRunning());
    // Only stored before start(): no thread, no ticks.
    EXPECT_EQ(ticksDuring(ticker, 60ms), 0);

    // The first tick does not wait for the period: a minute would outlast the deadline.
    ticker.setPeriod(60000);
    ASSERT_TRUE(ticker.start());
    EXPECT_TRUE(ticker.isRunning());
    EXPECT_TRUE(eventually([&] { return ticker.ticks() == 1; }, 10s));
    ticker.stop();
    ASSERT_TRUE(ticker.start());
    EXPECT_TRUE(eventually([&] { return ticker.ticks() == 2; }, 10s));

    // Then one a period; how regular that is on this machine is measured in bench/ticker.
    ticker.setPeriod(2);
    ticker.waitForTicks(5);
    EXPECT_FALSE(ticker.tickedOnCaller());
}

TEST(TickerControl, PauseStopsTicksAndStartResumes) {
    CountingTicker ticker;
    ticker.setPeriod(5);
    ASSERT_TRUE(ticker.start());
    ASSERT_TRUE(eventually([&] { return ticker.ticks() >= 3; }));
    const std::uint32_t registered = Thread::registeredCount();

    EXPECT_TRUE(ticker.pause());
    EXPECT_FALSE(ticker.isRunning());
    const int pausedAt = ticker.ticks();
    std::this_thread::sleep_for(100ms);
    ticker.setPeriod(5); // paused: stored only
    std::this_thread::sleep_for(50ms);
    // Twenty-odd periods passed; only a tick that was already under way may have ended.
    EXPECT_LE(ticker.ticks() - pausedAt, 1);
    EXPECT_EQ(Thread::registeredCount(), registered); // the thread stays

    ASSERT_TRUE(ticker.start());
    const int resumedAt = ticker.ticks();
    EXPECT_TRUE(eventually([&] { return ticker.ticks() >= resumedAt + 3; }));
    EXPECT_EQ(Thread::registeredCount(), registered);
}

TEST(TickerControl, StopEndsTheThreadAndTicksNoMore) {
    const std::uint32_t registered = Thread::registeredCount();
    CountingTicker ticker;
    ticker.stop(); // never started: nothing to do
    EXPECT_EQ(Thread::registeredCount(), registered);

    for (int round = 0; round < 3; ++round) {
        ticker.setPeriod(2);
        ASSERT_TRUE(ticker.start());
        ASSERT_TRUE(eventually([&] { return ticker.ticks() >= 2 * (round + 1); }));
        EXPECT_EQ(Thread::registeredCount(), registered + 1);
        ticker.stop();
        EXPECT_EQ(Thread::registeredCount(), registered);
        EXPECT_EQ(ticksDuring(ticker, 30ms), 0);
    }
}

TEST(TickerControl, StopFromInsideTickEndsTheThread) {
    const std::uint32_t registered = Thread::registeredCount();
    CountingTicker ticker([](CountingTicker& self) {
        if (self.ticks() == 3)
            self.stop();
    });
    ticker.setPeriod(2);
    ASSERT_TRUE(ticker.start());
    ASSERT_TRUE(eventually([&] { return Thread::registeredCount() == registered; }));
    EXPECT_EQ(ticker.ticks(), 3);
    EXPECT_FALSE(ticker.isRunning());
}

TEST(TickerControl, ThrowingTickEndsTheThreadAndStartBringsItBack) {
    const std::uint32_t registered = Thread::registeredCount();
    CountingTicker ticker([](CountingTicker& self) {
        if (self.ticks() == 1)
            throw object::Exception("tick failed");
    });
    ticker.setPeriod(2);
    ASSERT_TRUE(ticker.start());
    ASSERT_TRUE(eventually([&] { return Thread::registeredCount() == registered; }));
    EXPECT_EQ(ticker.ticks(), 1);
    ASSERT_TRUE(ticker.start());
    EXPECT_TRUE(eventually([&] { return ticker.ticks() >= 3; }));
}

// tick() may pause the ticker or change its period while another thread stops it; the stop
// must return whatever the tick does to the timer. The tick waits for the stop to begin and
// then keeps pausing and re-arming for a while, so that it works on the timer after stop()
// has asked the thread to wake.
TEST(TickerStress, StopReturnsWhateverTheTickDoesToTheTimer) {
    test::Watchdog watchdog("stopping tickers that pause themselves");
    std::atomic<bool> stopBegun{false};
    CountingTicker ticker([&](CountingTicker& self) {
        while (!stopBegun.load())
            std::this_thread::yield();
        const auto until = std::chrono::steady_clock::now() + 1ms;
        for (int i = 0; std::chrono::steady_clock::now() < until; ++i) {
            if (i % 2)
                self.pause();
            else
                self.setPeriod(1);
        }
        self.pause();
    });
    ticker.setPeriod(1);
    for (int round = 0; round < 300; ++round) {
        stopBegun = false;
        ASSERT_TRUE(ticker.start());
        ticker.waitForTicks(round + 1);
        stopBegun = true;
        ticker.stop();
        EXPECT_FALSE(ticker.isRunning());
    }
}

// A tick that throws ends the ticker's thread; a start() that follows at once, while that
// thread is still on its way out, must bring ticks back (or say it could not).
TEST(TickerStress, StartRightAfterAThrowingTickTicksAgain) {
    test::Watchdog watchdog("restarting tickers whose tick threw");
    std::atomic<bool> throwNow{false};
    system::Signal thrown;
    CountingTicker ticker([&](CountingTicker&) {
        if (throwNow.exchange(false)) {
            thrown.set();
            throw object::Exception("tick failed");
        }
    });
    ticker.setPeriod(1);
    ASSERT_TRUE(ticker.start());
    for (int round = 0; round < 300; ++round) {
        thrown.reset();
        throwNow = true;
        thrown.wait();
        const int before = ticker.ticks();
        ASSERT_TRUE(ticker.start());
        ticker.waitForTicks(before + 2);
    }
    ticker.stop();
}

TEST(TickerResources, DestructionStopsAndNothingLeaks) {
    const std::uint32_t registered = Thread::registeredCount();
    const std::size_t descriptors = countProcessEntries("fd");
    for (int i = 0; i < 100; ++i) {
        auto ticker = std::make_unique<CountingTicker>();
        ticker->setPeriod(1);
        if (i % 2 == 0) {
            ASSERT_TRUE(ticker->start());
        }
        if (i % 4 == 0)
            ticker->pause();
    }
    EXPECT_EQ(Thread::registeredCount(), registered);
    EXPECT_EQ(countProcessEntries("fd"), descriptors);
}

} // namespace
} // namespace orvane::system
