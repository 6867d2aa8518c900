#include "orvane/system/Mutex.h"
#include "orvane/system/Signal.h"
#include "orvane/system/Thread.h"
#include "orvane/system/Ticker.h"
#include "orvane/system/Timestamp.h"
#include "tests/support/Eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace orvane::system {
namespace {

using test::eventually;

TEST(SystemClassPaths, EveryClassChainsFromObject) {
    Mutex mutex;
    Signal signal;
    Thread thread;
    Ticker ticker;
    Timestamp timestamp;
    Ticker::TickerThread tickerThread(&ticker);
    EXPECT_EQ(mutex.getClassName(), "Object:Mutex");
    EXPECT_EQ(signal.getClassName(), "Object:Signal");
    EXPECT_EQ(thread.getClassName(), "Object:Thread");
    EXPECT_EQ(ticker.getClassName(), "Object:Ticker");
    EXPECT_EQ(timestamp.getClassName(), "Object:Timestamp");
    EXPECT_EQ(tickerThread.getClassName(), "Object:Thread:TickerThread");
}

TEST(SystemMutex, ReentrantForItsOwnerAndExclusiveForOthers) {
    Mutex mutex;
    ASSERT_TRUE(mutex.lock());
    ASSERT_TRUE(mutex.lock()); // the owner again: no deadlock
    EXPECT_TRUE(mutex.tryLock());

    std::atomic<int> otherTry{-1}, otherUnlock{-1};
    std::thread([&] {
        otherTry = mutex.tryLock();
        otherUnlock = mutex.unlock(); // not the owner: refused
    }).join();
    EXPECT_EQ(otherTry, 0);
    EXPECT_EQ(otherUnlock, 0);

    // Still held after two of three unlocks.
    EXPECT_TRUE(mutex.unlock());
    EXPECT_TRUE(mutex.unlock());
    std::thread([&] { otherTry = mutex.tryLock(); }).join();
    EXPECT_EQ(otherTry, 0);
    EXPECT_TRUE(mutex.unlock());
    EXPECT_FALSE(mutex.unlock());

    std::thread([&] {
        otherTry = mutex.tryLock();
        if (otherTry)
            mutex.unlock();
    }).join();
    EXPECT_EQ(otherTry, 1);
}

TEST(SystemMutex, GuardsACounterAcrossThreads) {
    Mutex mutex;
    long counter = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                std::lock_guard<Mutex> hold(mutex);
                std::lock_guard<Mutex> again(mutex);
                ++counter;
            }
        });
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(counter, 80000);
}

TEST(SystemSignal, StateAnswersOfSetPulseAndReset) {
    Signal signal;
    EXPECT_FALSE(signal.isSet());
    EXPECT_FALSE(signal.reset()); // fresh: already lowered
    EXPECT_TRUE(signal.pulse());
    EXPECT_FALSE(signal.reset()); // only pulsed: still lowered
    EXPECT_TRUE(signal.set());
    EXPECT_TRUE(signal.isSet());
    EXPECT_TRUE(signal.wait()); // raised: returns at once
    EXPECT_TRUE(signal.wait(0));
    EXPECT_TRUE(signal.reset());
    EXPECT_FALSE(signal.reset());
    EXPECT_TRUE(signal.set());
    EXPECT_TRUE(signal.pulse()); // a pulse lowers a raised signal
    EXPECT_FALSE(signal.isSet());
    EXPECT_FALSE(signal.wait(30)); // nothing comes: times out
}

// Starts `count` threads that wait on the signal and counts those that have returned.
struct Waiters {
    Waiters(Signal& signal, int count) {
        for (int i = 0; i < count; ++i)
            threads.emplace_back([this, &signal] {
                ++waiting;
                signal.wait();
                ++released;
            });
    }
    ~Waiters() {
        for (std::thread& thread : threads)
            thread.join();
    }
    std::atomic<int> waiting{0}, released{0};
    std::vector<std::thread> threads;
};

TEST(SystemSignal, PulseReleasesOnlyThoseWaitingThenSetReleasesLaterOnes) {
    Signal signal;
    Waiters first(signal, 3);
    ASSERT_TRUE(eventually([&] { return first.waiting == 3; }));
    // "Waiting" is counted just before wait(): pulse until all three have been released,
    // each pulse reaching those that were inside wait() by then.
    ASSERT_TRUE(eventually([&] {
        signal.pulse();
        return first.released == 3;
    }));
    EXPECT_FALSE(signal.isSet());

    // A pulse reaches nobody who comes later: these stay until set().
    Waiters later(signal, 2);
    ASSERT_TRUE(eventually([&] { return later.waiting == 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(later.released, 0);
    signal.set();
    EXPECT_TRUE(eventually([&] { return later.released == 2; }));
}

TEST(SystemSignal, TimedWaitIsReleasedBySetFromAnotherThread) {
    Signal signal;
    std::atomic<int> answer{-1};
    std::thread waiter([&] { answer = signal.wait(60000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    signal.set();
    waiter.join();
    EXPECT_EQ(answer, 1);
}

} // namespace
} // namespace orvane::system
