#include "orvane/object/Object.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Mutex.h"
#include "orvane/system/Thread.h"
#include "tests/support/Eventually.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane::system {
namespace {

using object::Object;
using object::Pointer;
using test::eventually;

// A thread that waits once on an object and records the order it was woken in.
class Waiter : public Thread {
public:
    Waiter(Object* monitor, int id, Mutex* orderLock, std::vector<int>* order)
        : monitor(monitor)
        , id(id)
        , orderLock(orderLock)
        , order(order) {}

protected:
    bool run() override {
        monitor->wait();
        std::lock_guard<Mutex> hold(*orderLock);
        order->push_back(id);
        return true;
    }

private:
    Object* monitor;
    int id;
    Mutex* orderLock;
    std::vector<int>* order;
};

struct WaitingRoom {
    // Starts waiters one after the other, each parked before the next begins, so that
    // the wait list order is known.
    // Joins them all at the end, so that no thread outlives what it refers to.
    WaitingRoom(Object* monitor, int count) {
        for (int id = 0; id < count; ++id) {
            waiters.push_back(object::make<Waiter>(monitor, id, &orderLock, &order));
            EXPECT_TRUE(waiters.back()->start(true));
            EXPECT_TRUE(eventually([&] { return waiters.back()->isSuspended(); }));
        }
    }
    ~WaitingRoom() {
        for (auto& waiter : waiters)
            waiter->join();
    }
    std::vector<int> wokenOrder() {
        std::lock_guard<Mutex> hold(orderLock);
        return order;
    }
    std::size_t wokenCount() { return wokenOrder().size(); }

    Mutex orderLock;
    std::vector<int> order;
    std::vector<Pointer<Waiter>> waiters;
};

TEST(ObjectMonitor, NotifyWakesTheLatestWaiterFirst) {
    Object monitor;
    monitor.notify(); // nobody waits: nothing happens, nothing is kept for later
    WaitingRoom room(&monitor, 3);

    monitor.notify();
    ASSERT_TRUE(eventually([&] { return room.wokenCount() == 1; }));
    monitor.notify();
    ASSERT_TRUE(eventually([&] { return room.wokenCount() == 2; }));
    EXPECT_EQ(room.wokenOrder(), (std::vector<int>{2, 1}));
    EXPECT_TRUE(room.waiters[0]->isSuspended());

    monitor.notify();
    ASSERT_TRUE(eventually([&] { return room.wokenCount() == 3; }));
    EXPECT_EQ(room.wokenOrder(), (std::vector<int>{2, 1, 0}));
    monitor.notify(); // empty again
}

TEST(ObjectMonitor, NotifyAllWakesEveryWaiterAndOnlyThisObjectsOnes) {
    Object monitor, other;
    WaitingRoom room(&monitor, 4);
    WaitingRoom elsewhere(&other, 1);
    monitor.notifyAll();
    EXPECT_TRUE(eventually([&] { return room.wokenCount() == 4; }));
    EXPECT_TRUE(elsewhere.waiters[0]->isSuspended());
    other.notifyAll();
    EXPECT_TRUE(eventually([&] { return elsewhere.wokenCount() == 1; }));
}

TEST(ObjectMonitor, ANotifyRacingTheParkIsNotLost) {
    // A waiter waits a thousand times while this thread notifies without pause, so that
    // many notifications land between a waiter's push and its park. A wake-up lost there
    // would leave the waiter parked with no node left to notify.
    class Looping : public Thread {
    public:
        Looping(Object* monitor, std::atomic<int>* rounds)
            : monitor(monitor)
            , rounds(rounds) {}

    protected:
        bool run() override {
            for (int i = 0; i < 1000; ++i) {
                monitor->wait();
                ++*rounds;
            }
            return true;
        }

    private:
        Object* monitor;
        std::atomic<int>* rounds;
    };
    Object monitor;
    std::atomic<int> rounds{0};
    auto looping = object::make<Looping>(&monitor, &rounds);
    ASSERT_TRUE(looping->start(false));
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (rounds < 1000 && std::chrono::steady_clock::now() < giveUp) {
        monitor.notify();
        std::this_thread::yield();
    }
    EXPECT_EQ(rounds, 1000);
    if (rounds < 1000)
        looping->resume(); // let the test end even so
    looping->join();
    EXPECT_FALSE(looping->isRunning());
}

TEST(ObjectMonitor, DestroyingAnObjectFreesItsWaitersAndLeavesThemParked) {
    auto* monitor = new Object();
    Mutex orderLock;
    std::vector<int> order;
    auto waiter = object::make<Waiter>(monitor, 7, &orderLock, &order);
    ASSERT_TRUE(waiter->start(true));
    ASSERT_TRUE(eventually([&] { return waiter->isSuspended(); }));
    EXPECT_EQ(waiter->getReferenceCount(), 4); // creator, start, registry, wait node

    monitor->release(); // frees the node (the leak checker sees the rest)
    EXPECT_EQ(waiter->getReferenceCount(), 3);
    EXPECT_FALSE(waiter->join(50));
    EXPECT_TRUE(waiter->isSuspended());

    // Nothing can notify it any more; only a direct resume lets the test end.
    waiter->resume();
    waiter->join();
    std::lock_guard<Mutex> hold(orderLock);
    EXPECT_EQ(order, std::vector<int>{7});
}

TEST(ObjectMonitor, ForeignThreadIsAdoptedToWait) {
    Object monitor;
    std::atomic<bool> woken{false};
    std::atomic<Thread*> waiting{nullptr};
    std::thread foreign([&] {
        waiting = Thread::current();
        monitor.wait();
        woken = true;
    });
    ASSERT_TRUE(eventually([&] { return waiting && waiting.load()->isSuspended(); }));
    monitor.notify();
    foreign.join();
    EXPECT_TRUE(woken);
}

} // namespace
} // namespace orvane::system
