#include "orvane/application/Looper.h"
#include "orvane/application/Message.h"
#include "orvane/native/Display.h"
#include "orvane/native/Window.h"
#include "orvane/object/Exception.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Signal.h"
#include "orvane/system/Thread.h"
#include "tests/support/Eventually.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include "tests/support/XInput.h"

#include <atomic>
#include <chrono>
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

// Makes a top-level window on the calling thread (not shown) and answers its X id.
std::uint64_t makeNativeWindow() {
    static const bool registered = native::registerClass(
        native::WindowClass{"orvane::test::looper", 0, native::defaultProcedure, 0, 0xFFFFFF});
    native::WindowCreation creation;
    creation.className = "orvane::test::looper";
    creation.title = "looper";
    creation.width = 40, creation.height = 30;
    native::WindowHandle window = registered ? native::createWindow(creation) : nullptr;
    return window ? native::nativeWindowId(window) : 0;
}

// However its loop ends, a looper's thread gives back its X connection, with the windows
// it left behind, before anybody waiting for it hears that it has ended.
TEST(Looper, ItsThreadLeavesNothingOnTheDisplayOnceItHasEnded) {
    ASSERT_TRUE(native::isDisplayAvailable()) << native::lastError();
    test::XInput x;
    ASSERT_TRUE(x);
    const std::size_t sockets = test::countProcessSockets();

    TestLooper quitting;
    ASSERT_TRUE(quitting.start());
    std::uint64_t left = 0;
    ASSERT_TRUE(quitting.invoke([&] { return (left = makeNativeWindow()) != 0; }));
    EXPECT_TRUE(x.isTopLevel(left));
    ASSERT_TRUE(quitting.quit());
    EXPECT_FALSE(x.isTopLevel(left)) << "gone when quit() returns";
    EXPECT_EQ(test::countProcessSockets(), sockets) << "the thread's connection is closed";

    TestLooper throwing;
    throwing.reactions[1] = [&](Message*) {
        left = makeNativeWindow();
        throw object::Exception("handler failed");
    };
    ASSERT_TRUE(throwing.start());
    object::Pointer<system::Thread> serving(throwing.getThread());
    throwing.post(1);
    serving->join(); // false when it has ended already
    EXPECT_NE(left, 0u);
    EXPECT_FALSE(x.isTopLevel(left)) << "gone when join() returns";
    EXPECT_EQ(test::countProcessSockets(), sockets);
}

// Spins until both callers are ready, so that two calls really start together.
class StartingLine {
public:
    void arriveAndWait() {
        arrived.fetch_add(1);
        while (arrived.load() < 2)
            std::this_thread::yield();
    }

private:
    std::atomic<int> arrived{0};
};

// A handler that counts what it handles and its own destruction; handling after it was
// destroyed would be counted too (if it did not crash first).
class CountingHandler : public Handler {
public:
    CountingHandler(std::atomic<int>& handled, std::atomic<int>& destroyed)
        : handled(handled)
        , destroyed(destroyed) {}
    ~CountingHandler() override { ++destroyed; }
    bool handleMessage(Message*) override {
        ++handled;
        return true;
    }

private:
    std::atomic<int>& handled;
    std::atomic<int>& destroyed;
};

// A queued message keeps its target alive: a handler removed from its looper while
// messages for it wait is destroyed once they are done, and is not called for them.
TEST(LooperStress, AHandlerRemovedWithMessagesQueuedIsNeitherCalledNorFreedEarly) {
    test::Watchdog watchdog("removing handlers with queued messages");
    TestLooper looper;
    system::Signal go;
    std::atomic<Handler*> leaving{nullptr};
    looper.reactions[1] = [&](Message*) { go.wait(); }; // holds the loop
    looper.reactions[2] = [&](Message*) { looper.removeHandler(leaving.load()); };
    ASSERT_TRUE(looper.start());
    for (int round = 0; round < 300; ++round) {
        std::atomic<int> handled{0}, destroyed{0};
        auto* handler = new CountingHandler(handled, destroyed);
        leaving = handler;
        ASSERT_TRUE(looper.invoke([&] { return looper.addHandler(handler); }));
        go.reset();
        ASSERT_TRUE(looper.post(1));
        ASSERT_TRUE(looper.post(2));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(handler->post(3));
        handler->release(); // only the looper and the queued messages hold it now
        go.set();
        looper.drain();
        EXPECT_EQ(handled.load(), 0) << "called after it left the looper";
        EXPECT_EQ(destroyed.load(), 1);
    }
    looper.quit();
}

// Waits for `go` on code 0, gives up the last reference to itself on code 1 and counts
// everything else.
class ReleasingLooper : public Looper {
public:
    ReleasingLooper(system::Signal& go, std::atomic<int>& handled, std::atomic<int>& destroyed)
        : go(go)
        , handled(handled)
        , destroyed(destroyed) {}
    ~ReleasingLooper() override { ++destroyed; }
    bool handleMessage(Message* message) override {
        if (message->what == 0)
            go.wait();
        else if (message->what == 1)
            release();
        else
            ++handled;
        return true;
    }

private:
    system::Signal& go;
    std::atomic<int>& handled;
    std::atomic<int>& destroyed;
};

// A looper that lets go of itself while messages for it are queued lives until they are
// handled, then ends its thread.
TEST(LooperStress, ALooperReleasingItselfWithMessagesQueuedServesThemFirst) {
    test::Watchdog watchdog("loopers releasing themselves");
    for (int round = 0; round < 300; ++round) {
        system::Signal go;
        std::atomic<int> handled{0}, destroyed{0};
        auto* looper = new ReleasingLooper(go, handled, destroyed);
        ASSERT_TRUE(looper->start());
        system::Thread* serving = looper->getThread();
        serving->retain();
        ASSERT_TRUE(looper->post(0)); // everything below is queued before the release
        ASSERT_TRUE(looper->post(1));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(looper->post(2));
        go.set();
        serving->join();
        EXPECT_EQ(destroyed.load(), 1);
        EXPECT_EQ(handled.load(), 5) << "the messages queued before the release were served";
        serving->release();
    }
}

// Gives up the last reference to itself on code 0, but only once quit() from another
// thread has taken its thread: the looper then dies on its thread while that quit joins.
class ReleasedDuringQuitLooper : public Looper {
public:
    ReleasedDuringQuitLooper(std::atomic<int>& ended, std::atomic<bool>& quitSeen)
        : ended(ended)
        , quitSeen(quitSeen) {}
    bool handleMessage(Message* message) override {
        if (message->what == 0) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (getThread() != nullptr && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            quitSeen = getThread() == nullptr;
            release();
        }
        return true;
    }

protected:
    void loopEnded() override { ++ended; }

private:
    std::atomic<int>& ended;
    std::atomic<bool>& quitSeen;
};

// The loop ends without calling into the looper freed under it (loopEnded, or the
// thread's leave): under ASan or valgrind a use after free shows here.
TEST(LooperStress, ALooperFreedOnItsThreadWhileAnotherQuitsItIsNotTouchedAgain) {
    test::Watchdog watchdog("loopers freed while quitting");
    for (int round = 0; round < 50; ++round) {
        std::atomic<int> ended{0};
        std::atomic<bool> quitSeen{false};
        auto* looper = new ReleasedDuringQuitLooper(ended, quitSeen);
        ASSERT_TRUE(looper->start());
        ASSERT_TRUE(looper->post(0));
        EXPECT_TRUE(looper->quit());
        EXPECT_TRUE(quitSeen) << "the handler saw the quit take the thread";
        EXPECT_EQ(ended.load(), 0) << "loopEnded called on a destroyed looper";
    }
}

// invoke() whose message lands behind the looper's own quit answers false instead of
// waiting for ever; work it answers true for has run.
TEST(LooperStress, InvokeBehindTheLoopersOwnQuitAnswers) {
    test::Watchdog watchdog("invoking on loopers that quit themselves");
    for (int round = 0; round < 300; ++round) {
        TestLooper looper;
        std::atomic<bool> ran{false}, answer{false};
        std::thread caller;
        looper.reactions[1] = [&](Message*) {
            looper.quit(); // from its own thread: the loop ends after this message
            caller = std::thread([&] {
                answer = looper.invoke([&] {
                    ran = true;
                    return true;
                });
            });
        };
        ASSERT_TRUE(looper.start());
        system::Thread* serving = looper.getThread();
        serving->retain();
        ASSERT_TRUE(looper.post(1));
        serving->join(); // after it, the reaction has made the caller
        serving->release();
        caller.join();
        EXPECT_EQ(answer.load(), ran.load()) << "true exactly when the work ran";
        looper.quit();
    }
}

// Two threads starting one looper at once: exactly one thread starts, and quit() ends it.
TEST(LooperStress, ConcurrentStartsStartOneThread) {
    test::Watchdog watchdog("starting loopers from two threads");
    const std::uint32_t registered = system::Thread::registeredCount();
    for (int round = 0; round < 300; ++round) {
        TestLooper looper;
        StartingLine line;
        std::atomic<int> started{0};
        auto start = [&] {
            line.arriveAndWait();
            started += looper.start() ? 1 : 0;
        };
        std::thread first(start), second(start);
        first.join();
        second.join();
        ASSERT_EQ(started.load(), 1);
        looper.drain();
        ASSERT_TRUE(looper.quit());
        EXPECT_EQ(looper.getThread(), nullptr);
    }
    EXPECT_EQ(system::Thread::registeredCount(), registered) << "no looper thread was left";
}

} // namespace
} // namespace orvane::application
