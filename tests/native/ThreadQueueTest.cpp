#include "orvane/native/ThreadQueue.h"
#include "orvane/native/Messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace orvane::native {
namespace {

// A thread with a queue of its own that reports its identifier and then runs body.
template <class Body>
std::thread queueThread(std::promise<std::uint32_t>& id, Body body) {
    return std::thread([&id, body] {
        touchThreadQueue();
        id.set_value(currentThreadId());
        body();
    });
}

TEST(ThreadQueue, PostsNeedAQueueAndArriveInOrder) {
    std::promise<std::uint32_t> ready;
    std::promise<void> posted;
    std::vector<std::uint32_t> received;
    std::thread receiver = queueThread(ready, [&] {
        posted.get_future().wait();
        NativeMessage message;
        while (getMessage(message))
            received.push_back(message.message);
    });
    std::uint32_t id = ready.get_future().get();

    EXPECT_FALSE(postThreadMessage(0, WM_USER, 0, 0)) << "no thread has identifier 0";
    for (std::uint32_t i = 0; i < 5; ++i)
        ASSERT_TRUE(postThreadMessage(id, WM_USER + i, i, -std::intptr_t(i)));
    ASSERT_TRUE(postThreadMessage(id, WM_QUIT, 0, 0));
    posted.set_value();
    receiver.join();
    EXPECT_EQ(received, (std::vector<std::uint32_t>{WM_USER, WM_USER + 1, WM_USER + 2, WM_USER + 3,
                                                    WM_USER + 4}));
    EXPECT_FALSE(postThreadMessage(id, WM_USER, 0, 0)) << "the queue ends with its thread";
}

TEST(ThreadQueue, GetMessageSleepsUntilAPostWakesIt) {
    std::promise<std::uint32_t> ready;
    std::atomic<bool> got{false};
    NativeMessage taken;
    std::thread receiver = queueThread(ready, [&] {
        getMessage(taken);
        got = true;
    });
    std::uint32_t id = ready.get_future().get();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(got) << "nothing was posted yet";
    ASSERT_TRUE(postThreadMessage(id, WM_USER + 7, 42, -1));
    receiver.join();
    EXPECT_EQ(taken.message, WM_USER + 7);
    EXPECT_EQ(taken.wParam, 42u);
    EXPECT_EQ(taken.lParam, -1);
    EXPECT_EQ(taken.window, nullptr);
}

TEST(ThreadQueue, PeekLooksWithoutTakingAndNeverWaits) {
    NativeMessage message;
    EXPECT_FALSE(peekMessage(message)) << "an empty queue answers at once";
    ASSERT_TRUE(postThreadMessage(currentThreadId(), WM_USER, 1, 2));
    ASSERT_TRUE(peekMessage(message, false));
    ASSERT_TRUE(peekMessage(message, true));
    EXPECT_EQ(message.message, WM_USER);
    EXPECT_FALSE(peekMessage(message));
}

TEST(ThreadQueue, ClosingHandsBackWhatWasLeftAndRefusesLaterPosts) {
    touchThreadQueue();
    std::uint32_t self = currentThreadId();
    ASSERT_TRUE(postThreadMessage(self, WM_USER + 1, 10, 0));
    ASSERT_TRUE(postThreadMessage(self, WM_USER + 2, 20, 0));
    std::vector<std::uintptr_t> left;
    closeThreadQueue(
        [](const NativeMessage& message, void* context) {
            static_cast<std::vector<std::uintptr_t>*>(context)->push_back(message.wParam);
        },
        &left);
    EXPECT_EQ(left, (std::vector<std::uintptr_t>{10, 20}));
    EXPECT_FALSE(postThreadMessage(self, WM_USER, 0, 0));
    touchThreadQueue();
    EXPECT_TRUE(postThreadMessage(self, WM_USER + 3, 0, 0)) << "touching opens it again";
    NativeMessage message;
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.message, WM_USER + 3);
}

TEST(ThreadQueue, ManyPostersLoseNothing) {
    constexpr int posters = 4, perPoster = 2000;
    std::promise<std::uint32_t> ready;
    std::vector<int> seen(posters * perPoster, 0);
    std::thread receiver = queueThread(ready, [&] {
        NativeMessage message;
        while (getMessage(message))
            ++seen[message.wParam];
    });
    std::uint32_t id = ready.get_future().get();
    std::vector<std::thread> threads;
    for (int p = 0; p < posters; ++p)
        threads.emplace_back([id, p] {
            for (int i = 0; i < perPoster; ++i)
                ASSERT_TRUE(postThreadMessage(id, WM_USER, std::uintptr_t(p * perPoster + i), 0));
        });
    for (auto& thread : threads)
        thread.join();
    postThreadMessage(id, WM_QUIT, 0, 0);
    receiver.join();
    for (int i = 0; i < posters * perPoster; ++i)
        ASSERT_EQ(seen[std::size_t(i)], 1) << "message " << i;
}

TEST(Messages, ParametersPackSignedWords) {
    std::intptr_t packed = makeLParam(-5, 300);
    EXPECT_EQ(signedLowWord(std::uintptr_t(packed)), -5);
    EXPECT_EQ(signedHighWord(std::uintptr_t(packed)), 300);
    EXPECT_EQ(lowWord(std::uintptr_t(packed)), 0xFFFB);
    EXPECT_EQ(signedHighWord(makeWParam(0x1234, -WHEEL_DELTA)), -120);
    EXPECT_EQ(lowWord(makeWParam(0x1234, -WHEEL_DELTA)), 0x1234);
}

} // namespace
} // namespace orvane::native
