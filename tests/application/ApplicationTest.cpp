#include "orvane/application/Application.h"
#include "orvane/application/Message.h"
#include "orvane/application/Reply.h"
#include "orvane/object/Pointer.h"
#include "orvane/system/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane::application {
namespace {

// Records the codes it handles; a code can be given a reaction that runs while handling.
class Recorder : public Handler {
public:
    bool handleMessage(Message* message) override {
        {
            std::lock_guard guard(lock);
            seen.push_back(message->what);
        }
        if (auto reaction = reactions.find(message->what); reaction != reactions.end())
            reaction->second(message);
        return true;
    }
    std::vector<std::uint32_t> codes() {
        std::lock_guard guard(lock);
        return seen;
    }

    std::map<std::uint32_t, std::function<void(Message*)>> reactions;

private:
    std::mutex lock;
    std::vector<std::uint32_t> seen;
};

// An application that records like Recorder and runs a script from onStart on its thread.
class TestApplication : public Application {
public:
    bool handleMessage(Message* message) override { return recorder.handleMessage(message); }
    bool onStart() override {
        started = true;
        return true;
    }
    bool onStop() override {
        stopped = true;
        return true;
    }

    Recorder recorder;
    bool started = false, stopped = false;
};

// Runs the application loop on a thread of its own and waits until it takes messages.
class RunningApplication {
public:
    explicit RunningApplication(TestApplication& application)
        : application(application) {
        loop = std::thread([&] { application.run(); });
        while (!application.getThread())
            std::this_thread::yield();
    }
    ~RunningApplication() {
        if (application.getThread())
            application.quit();
        finish();
    }
    // Waits until the loop has ended (on a quit message).
    void finish() {
        if (loop.joinable())
            loop.join();
    }

    TestApplication& application;
    std::thread loop;
};

TEST(Application, RefusesMessagesUntilItRunsAndAfterItStopped) {
    TestApplication application;
    EXPECT_EQ(Application::getApplication(), &application);
    EXPECT_FALSE(application.post(1));
    EXPECT_FALSE(application.send(1));
    EXPECT_FALSE(application.quit());
    {
        RunningApplication running(application);
        EXPECT_TRUE(application.started);
        EXPECT_TRUE(application.post(1));
    }
    EXPECT_TRUE(application.stopped);
    EXPECT_EQ(application.recorder.codes(), std::vector<std::uint32_t>{1});
    EXPECT_FALSE(application.post(2)) << "a stopped application takes nothing";
}

TEST(Application, GetApplicationFollowsTheCurrentOne) {
    {
        TestApplication application;
        EXPECT_EQ(Application::getApplication(), &application);
        EXPECT_EQ(application.getClassName(), "Object:Handler:Messenger:Application");
    }
    EXPECT_EQ(Application::getApplication(), nullptr);
}

TEST(Application, QuitComesAfterWhatWasQueuedAndSendJumpsTheQueue) {
    TestApplication application;
    std::atomic<bool> holding{false}, release{false};
    // The first message holds the loop until everything else is queued behind it.
    application.recorder.reactions[1] = [&](Message*) {
        holding = true;
        while (!release)
            std::this_thread::yield();
    };
    RunningApplication running(application);
    application.post(1);
    while (!holding)
        std::this_thread::yield();
    application.post(2);
    application.post(3);
    application.quit();
    application.send(4); // another thread: queued at the head
    release = true;
    running.finish();
    EXPECT_EQ(application.recorder.codes(), (std::vector<std::uint32_t>{1, 4, 2, 3}));
    EXPECT_TRUE(application.stopped);
}

TEST(Application, SendOnTheServingThreadIsHandledBeforeItReturns) {
    TestApplication application;
    std::vector<std::string> order;
    application.recorder.reactions[1] = [&](Message*) {
        order.push_back("before");
        application.post(3);
        application.send(2);
        order.push_back("after");
    };
    application.recorder.reactions[2] = [&](Message*) { order.push_back("sent"); };
    application.recorder.reactions[3] = [&](Message*) { application.quit(); };
    RunningApplication running(application);
    application.post(1);
    running.finish();
    EXPECT_EQ(order, (std::vector<std::string>{"before", "sent", "after"}));
    EXPECT_EQ(application.recorder.codes(), (std::vector<std::uint32_t>{1, 2, 3}));
}

TEST(Application, MessagesBehindTheQuitAreDroppedAndTheirRequestsAnswered) {
    TestApplication application;
    std::atomic<bool> holding{false}, release{false};
    application.recorder.reactions[1] = [&](Message*) {
        holding = true;
        while (!release)
            std::this_thread::yield();
    };
    auto* late = new Recorder;
    application.addHandler(late);
    auto reply = object::Pointer<Reply>::adopt(new Reply);
    {
        RunningApplication running(application);
        application.post(1);
        while (!holding)
            std::this_thread::yield();
        application.quit();
        Message request(2);
        request.addObject(Reply::PARAMETER, reply.get());
        application.post(request);
        late->post(3);
        EXPECT_EQ(late->getReferenceCount(), 3) << "its maker, the application, the message";
        release = true;
        running.finish();
    }
    EXPECT_EQ(application.recorder.codes(), std::vector<std::uint32_t>{1});
    EXPECT_TRUE(reply->isAnswered());
    EXPECT_FALSE(reply->wait());
    EXPECT_TRUE(late->codes().empty());
    EXPECT_EQ(late->getReferenceCount(), 2) << "the dropped message let go of its target";
    late->release();
}

TEST(Messenger, SendOnTheServingThreadIsForTheMessengerItself) {
    TestApplication application;
    auto* handler = new Recorder;
    application.addHandler(handler);
    application.setDefaultHandler(handler);
    handler->reactions[1] = [&](Message*) { application.send(2); };
    handler->reactions[3] = [&](Message*) { application.quit(); };
    RunningApplication running(application);
    application.send(1); // from another thread: queued for the default handler
    application.post(3);
    running.finish();
    EXPECT_EQ(handler->codes(), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(application.recorder.codes(), std::vector<std::uint32_t>{2});
    handler->release();
}

TEST(Application, FrontInsertionIsNeverLostWhileTheLoopIsAwake) {
    // Each round posts one message and, the moment it has been handled (so the loop is
    // between draining and waiting), sends one more from this thread. Every one of them
    // must arrive without any further wake-up.
    TestApplication application;
    std::atomic<int> handled{0};
    application.recorder.reactions[1] = [&](Message*) { ++handled; };
    application.recorder.reactions[2] = [&](Message*) { ++handled; };
    RunningApplication running(application);
    for (int round = 0; round < 300; ++round) {
        application.post(1);
        while (handled < 2 * round + 1)
            std::this_thread::yield();
        application.send(2);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (handled < 2 * round + 2)
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "lost in round " << round;
    }
}

TEST(Application, AThousandMessagesFromAnotherThreadArriveOnceInOrder) {
    TestApplication application;
    std::vector<int> values;
    application.recorder.reactions[5] = [&](Message* message) {
        values.push_back(message->find("i")->value.integer);
    };
    RunningApplication running(application);
    std::thread poster([&] {
        for (int i = 0; i < 1000; ++i) {
            Message message(5);
            message.addInteger("i", i);
            ASSERT_TRUE(application.post(message));
        }
        application.quit();
    });
    poster.join();
    running.finish();
    ASSERT_EQ(values.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(values[std::size_t(i)], i);
}

TEST(Messenger, HandlerMembershipAndTheDefaultTarget) {
    TestApplication application;
    TestApplication other;
    auto* handler = new Recorder;
    EXPECT_FALSE(application.addHandler(&application)) << "the messenger itself";
    EXPECT_FALSE(application.removeHandler(&application));
    EXPECT_TRUE(application.addHandler(handler));
    EXPECT_FALSE(other.addHandler(handler)) << "it already has a messenger";
    EXPECT_FALSE(other.removeHandler(handler)) << "not one of other's";
    EXPECT_EQ(handler->getReferenceCount(), 2);
    EXPECT_EQ(application.getHandlers().first(), &application) << "the messenger comes first";

    EXPECT_EQ(application.getDefaultHandler(), &application);
    EXPECT_TRUE(application.setDefaultHandler(handler));
    EXPECT_FALSE(other.setDefaultHandler(handler));
    EXPECT_TRUE(application.removeHandler(handler));
    EXPECT_EQ(application.getDefaultHandler(), &application) << "back to the messenger";
    EXPECT_EQ(handler->getMessenger(), nullptr);
    EXPECT_EQ(handler->getReferenceCount(), 1);

    application.addHandler(handler);
    application.setDefaultHandler(handler);
    application.resetHandlers();
    EXPECT_EQ(application.getHandlers().count(), 1u);
    EXPECT_EQ(application.getDefaultHandler(), &application);
    handler->release();
}

TEST(Messenger, MessagesGoToTheirTargetOrToTheDefaultHandler) {
    TestApplication application;
    auto* handler = new Recorder;
    application.addHandler(handler);
    application.setDefaultHandler(handler);
    handler->reactions[9] = [&](Message*) { application.quit(); };
    std::atomic<bool> holding{false}, release{false};
    handler->reactions[0] = [&](Message*) {
        holding = true;
        while (!release)
            std::this_thread::yield();
    };
    RunningApplication running(application);
    application.post(0); // holds the loop until everything is queued
    while (!holding)
        std::this_thread::yield();
    application.post(1); // default handler
    handler->post(2);    // the handler itself
    Message addressed(3);
    addressed.target = &application;
    application.post(addressed); // keeps its own target
    application.send(4);         // default handler, from another thread
    application.post(9);
    release = true;
    running.finish();
    EXPECT_EQ(handler->codes(), (std::vector<std::uint32_t>{0, 4, 1, 2, 9}));
    EXPECT_EQ(application.recorder.codes(), (std::vector<std::uint32_t>{3}));
    handler->release();
}

TEST(Messenger, DestroyingAHandlerTakesItOutOfItsMessenger) {
    TestApplication application;
    {
        Recorder stackHandler;
        application.addHandler(&stackHandler);
        application.setDefaultHandler(&stackHandler);
    }
    EXPECT_EQ(application.getHandlers().count(), 1u);
    EXPECT_EQ(application.getDefaultHandler(), &application);
}

} // namespace
} // namespace orvane::application
