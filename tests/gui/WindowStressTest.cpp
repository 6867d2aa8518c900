#include <gtest/gtest.h>

#include "orvane/application/Message.h"
#include "orvane/native/Display.h"
#include "orvane/native/Window.h"
#include "orvane/system/Ticker.h"
#include "tests/gui/Recording.h"
#include "tests/support/Eventually.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XInput.h"

#include <atomic>
#include <dirent.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace orvane::gui {
namespace {

using test::EventLog;
using test::RecordingView;
using test::RecordingWindow;

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

// Runs a and b on two threads released together and waits for both.
template <class A, class B>
void together(A a, B b) {
    StartingLine line;
    std::thread first([&] {
        line.arriveAndWait();
        a();
    });
    line.arriveAndWait();
    b();
    first.join();
}

// A window that closes itself, from its own thread, when it handles CLOSE_YOURSELF.
class SelfClosingWindow : public RecordingWindow {
public:
    static constexpr std::uint32_t CLOSE_YOURSELF = 0x100;
    using RecordingWindow::RecordingWindow;
    bool handleMessage(application::Message* message) override {
        if (message->what == CLOSE_YOURSELF)
            return close();
        return RecordingWindow::handleMessage(message);
    }
};

class GuiWindowStress : public ::testing::Test {
protected:
    // A window that opened must really be there: its native window and its thread.
    static void expectOpen(Window& window) {
        EXPECT_TRUE(window.isOpen());
        EXPECT_NE(window.getThread(), nullptr);
        EXPECT_TRUE(native::isWindow(window.getNativeWindow()));
    }
    // Closed, with closing() once for every opening, and nothing left running.
    void expectClosed(Window& window) {
        EXPECT_FALSE(window.isOpen());
        EXPECT_EQ(window.getThread(), nullptr);
        EXPECT_EQ(window.getNativeWindow(), nullptr);
        EXPECT_EQ(log.count("closing"), log.count("opened"));
    }

    orvane::test::DisplayLock lock;
    EventLog log;
};

TEST_F(GuiWindowStress, OverlappingClosesEachAnswerAndTheWindowOpensAgain) {
    orvane::test::Watchdog watchdog("overlapping closes");
    RecordingWindow window(log);
    for (int round = 0; round < 150; ++round) {
        ASSERT_TRUE(window.open()) << native::lastError();
        expectOpen(window);
        std::atomic<int> closed{0};
        together([&] { closed += window.close(); }, [&] { closed += window.close(); });
        EXPECT_EQ(closed.load(), 1) << "the window was closed once";
        expectClosed(window);
    }
}

TEST_F(GuiWindowStress, CloseRacingTheWindowManagersCloseAnswersOnce) {
    orvane::test::Watchdog watchdog("closes racing the window manager's");
    RecordingWindow window(log);
    orvane::test::XInput x;
    for (int round = 0; round < 150; ++round) {
        ASSERT_TRUE(window.open()) << native::lastError();
        expectOpen(window);
        const std::uint64_t id = native::nativeWindowId(window.getNativeWindow());
        together([&] { x.sendDeleteWindow(id); }, [&] { window.close(); });
        expectClosed(window);
    }
}

// View operations run through invoke(); while the window closes itself, their messages
// land behind its quit, and each must still answer.
TEST_F(GuiWindowStress, ViewOperationsWhileTheWindowClosesItselfAnswer) {
    orvane::test::Watchdog watchdog("view operations on a window closing itself");
    SelfClosingWindow window(log);
    auto* view = new RecordingView(log, {0, 0, 20, 20});
    for (int round = 0; round < 150; ++round) {
        ASSERT_TRUE(window.open()) << native::lastError();
        ASSERT_TRUE(window.post(SelfClosingWindow::CLOSE_YOURSELF));
        while (window.getThread()) {
            window.addView(view);
            window.setFocus(view);
            window.clearFocus(view);
            window.removeView(view);
            window.addView(view);
            window.removeAllViews();
        }
        EXPECT_EQ(view->getWindow() != nullptr, window.views.count() == 1u);
        window.removeAllViews();
        EXPECT_EQ(view->getReferenceCount(), 1);
        expectClosed(window);
    }
    view->release();
}

TEST_F(GuiWindowStress, ConcurrentOpensMakeOneWindowAndOneThread) {
    orvane::test::Watchdog watchdog("opening from two threads");
    const std::uint32_t registered = system::Thread::registeredCount();
    RecordingWindow window(log);
    for (int round = 0; round < 150; ++round) {
        std::atomic<int> opened{0};
        together([&] { opened += window.open(); }, [&] { opened += window.open(); });
        EXPECT_EQ(opened.load(), 2) << "the second caller waits for the first one's window";
        EXPECT_EQ(log.count("opened"), std::size_t(round + 1)) << "one native window";
        expectOpen(window);
        ASSERT_TRUE(window.close());
        expectClosed(window);
    }
    EXPECT_EQ(system::Thread::registeredCount(), registered) << "no window thread was left";
}

// Invalidates a view as the viewer's redraw ticker does, from its own thread and with no
// regard to whether the view's window is open.
class RedrawTicker : public system::Ticker {
public:
    explicit RedrawTicker(View& view)
        : view(view) {}
    ~RedrawTicker() override { stop(); }
    std::atomic<int> ticks{0};

protected:
    void tick() override {
        view.invalidate();
        ++ticks;
    }

private:
    View& view;
};

// Descriptors of this process that are sockets (the X connections among them).
std::size_t countSockets() {
    std::size_t sockets = 0;
    DIR* listing = opendir("/proc/self/fd");
    while (const dirent* entry = listing ? readdir(listing) : nullptr) {
        char target[64] = {};
        std::string path = std::string("/proc/self/fd/") + entry->d_name;
        if (readlink(path.c_str(), target, sizeof target - 1) > 0 &&
            std::string(target).starts_with("socket:"))
            ++sockets;
    }
    if (listing)
        closedir(listing);
    return sockets;
}

struct ProcessCounts {
    std::size_t threads = orvane::test::countProcessEntries("task");
    std::size_t descriptors = orvane::test::countProcessEntries("fd");
    std::size_t sockets = countSockets();
    bool operator==(const ProcessCounts&) const = default;
};

// The viewer's life, many times over: open a window with views, redraw it from a ticker,
// close it. Every opening's thread, X connection and descriptors must be gone afterwards.
TEST_F(GuiWindowStress, OpeningAndClosingAThousandTimesLeavesNothingBehind) {
    const int rounds = 1000;
    orvane::test::Watchdog watchdog("opening and closing a redrawn window",
                                    std::chrono::seconds(300));
    RecordingWindow window(log);
    window.setSize({160, 120});
    auto* drawn = new RecordingView(log, {10, 10, 100, 80});
    auto* other = new RecordingView(log, {120, 10, 30, 30});
    window.addView(drawn);
    window.addView(other);
    RedrawTicker ticker(*drawn);
    ticker.setPeriod(1);

    ProcessCounts before;
    ASSERT_TRUE(ticker.start());
    for (int round = 0; round < rounds; ++round) {
        ASSERT_TRUE(window.open()) << native::lastError();
        // At least one redraw reaches the open window before it closes again.
        const int ticked = ticker.ticks.load();
        while (ticker.ticks.load() < ticked + 2)
            std::this_thread::yield();
        ASSERT_TRUE(window.close());
    }
    ticker.stop();
    EXPECT_EQ(log.count("opened"), std::size_t(rounds));
    EXPECT_EQ(log.count("closing"), std::size_t(rounds));
    EXPECT_GT(log.count("view.paint"), 0u);
    // A thread's X connection is closed as the thread leaves the system, just after join.
    EXPECT_TRUE(orvane::test::eventually([&] { return ProcessCounts() == before; }))
        << "threads " << before.threads << " -> " << ProcessCounts().threads << ", descriptors "
        << before.descriptors << " -> " << ProcessCounts().descriptors << ", sockets "
        << before.sockets << " -> " << ProcessCounts().sockets;
    drawn->release();
    other->release();
}

} // namespace
} // namespace orvane::gui
