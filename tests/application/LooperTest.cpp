#include "orvane/application/Looper.h"
#include "orvane/application/Message.h"
#include "orvane/object/Exception.h"
#include "orvane/system/Signal.h"
#include "orvane/system/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace orvane::application {
namespace {

// A looper that records what it handles (and on which thread) and can react to codes.
class TestLooper : public Looper {
public:
    bool handleMessage(Message* message) override {
        if (message->what == INVOKE)
            return Looper::handleMessage(message);
        {
            std::lock_guard guard(lock);
            seen.push_back(message->what);
            threads.insert(system::Thread::current());
        }
        if (message->what == 100)
            done.set();
        // Last: a reaction may release the looper.
        if (auto reaction = reactions.find(message->what); reaction != reactions.end())
            reaction->second(message);
        return true;
    }
    std::vector<std::uint32_t> codes() {
        std::lock_guard guard(lock);
        return seen;
    }
    std::set<system::Thread*> servingThreads() {
        std::lock_guard guard(lock);
        return threads;
    }
    // Posts the closing code 100 and waits until it has been handled.
    void drain() {
        done.reset();
        ASSERT_TRUE(post(100));
        done.wait();
    }

    std::map<std::uint32_t, std::function<void(Message*)>> reactions;
    system::Signal done;

private:
    std::mutex lock;
    std::vector<std::uint32_t> seen;
    std::set<system::Thread*> threads;
};

TEST(Looper, MessagesRunOnTheLooperThread) {
    TestLooper looper;
    EXPECT_FALSE(looper.post(1)) << "not started";
    EXPECT_FALSE(looper.quit());
    ASSERT_TRUE(looper.start());
    EXPECT_FALSE(looper.start()) << "already running";
    system::Thread* serving = looper.getThread();
    ASSERT_NE(serving, nullptr);
    EXPECT_NE(serving, system::Thread::current());
    looper.post(1);
    looper.post(2);
    looper.drain();
    EXPECT_EQ(looper.codes(), (std::vector<std::uint32_t>{1, 2, 100}));
    EXPECT_EQ(looper.servingThreads(), std::set<system::Thread*>{serving});
    EXPECT_TRUE(looper.quit());
    EXPECT_EQ(looper.getThread(), nullptr);
    EXPECT_FALSE(looper.post(3)) << "quit ends the service";
}

TEST(Looper, SendFromTheLooperThreadIsHandledBeforeItReturns) {
    TestLooper looper;
    std::vector<std::string> order;
    looper.reactions[1] = [&](Message*) {
        order.push_back("before");
        looper.send(2);
        order.push_back("after");
    };
    looper.reactions[2] = [&](Message*) { order.push_back("sent"); };
    looper.start();
    looper.send(1); // from this thread: queued, handled later on the looper
    looper.drain();
    EXPECT_EQ(order, (std::vector<std::string>{"before", "sent", "after"}));
    looper.quit();
}

TEST(Looper, ParametersTravelWithTheMessage) {
    TestLooper looper;
    std::vector<int> values;
    looper.reactions[7] = [&](Message* message) {
        values.push_back(message->find("value")->value.integer);
    };
    looper.start();
    for (int i = 0; i < 1000; ++i) {
        Message message(7);
        message.addInteger("value", i);
        ASSERT_TRUE(looper.post(message));
    }
    looper.drain();
    ASSERT_EQ(values.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(values[std::size_t(i)], i) << "lost, doubled or out of order";
    looper.quit();
}

TEST(Looper, InvokeRunsOnTheLooperThreadAndAnswers) {
    TestLooper looper;
    system::Thread* ranOn = nullptr;
    EXPECT_TRUE(looper.invoke([&] {
        ranOn = system::Thread::current();
        return true;
    })) << "a looper that does not run lets the caller do it";
    EXPECT_EQ(ranOn, system::Thread::current());
    looper.start();
    EXPECT_FALSE(looper.invoke([&] {
        ranOn = system::Thread::current();
        return false;
    }));
    EXPECT_EQ(ranOn, looper.getThread());
    looper.quit();
}

TEST(Looper, QuitFromItsOwnThreadEndsTheLoopAndItCanStartAgain) {
    TestLooper looper;
    looper.reactions[1] = [&](Message*) { EXPECT_TRUE(looper.quit()); };
    looper.start();
    system::Thread* first = looper.getThread();
    first->retain();
    looper.post(1);
    first->join();
    EXPECT_EQ(looper.getThread(), nullptr);
    first->release();
    ASSERT_TRUE(looper.start()) << "the started signal was lowered for the next start";
    looper.drain();
    looper.quit();
}

// Gives up the last reference to itself while handling a message.
class SelfReleasingLooper : public Looper {
public:
    bool handleMessage(Message*) override {
        release();
        return true;
    }
};

TEST(Looper, ALooperReleasedOnItsOwnThreadLetsItEnd) {
    auto* looper = new SelfReleasingLooper;
    looper->start();
    system::Thread* serving = looper->getThread();
    serving->retain();
    looper->post(1);
    serving->join(); // false when it has already ended
    EXPECT_FALSE(serving->isRunning()) << "it ended without touching the dead looper";
    serving->release();
}

TEST(Looper, AThrowingHandlerEndsTheThreadWithoutLeakingMessages) {
    TestLooper looper;
    looper.reactions[1] = [](Message*) { throw object::Exception("handler failed"); };
    looper.start();
    system::Thread* serving = looper.getThread();
    serving->retain();
    Message withParameter(2);
    withParameter.addInteger("x", 1);
    looper.post(1);
    serving->join();
    EXPECT_FALSE(looper.post(withParameter)) << "nobody serves the looper any more";
    EXPECT_TRUE(looper.quit());
    EXPECT_EQ(looper.getThread(), nullptr);
    serving->release();
}

} // namespace
} // namespace orvane::application
