// The viewer's application and its redraw ticker in this process, under the tests' X
// server.

#include <gtest/gtest.h>

#include "orvane/native/Display.h"
#include "orvane/sample/GraphicsView.h"
#include "orvane/sample/MainWindow.h"
#include "orvane/sample/RedrawTicker.h"
#include "orvane/sample/SampleApplication.h"
#include "tests/sample/ViewerWindow.h"
#include "tests/support/Eventually.h"
#include "tests/support/Watchdog.h"
#include "tests/support/WindowThreads.h"

#include <atomic>
#include <thread>
#include <unistd.h>

namespace orvane::sample {
namespace {

using namespace std::chrono_literals;

// A graphics view that counts its frames.
class CountingView : public GraphicsView {
public:
    using GraphicsView::GraphicsView;
    void render() override {
        GraphicsView::render();
        ++frames;
    }
    std::atomic<int> frames{0};
};

TEST(RedrawTicker, InvalidatesTheViewOnlyWhileItIsShownInAWindow) {
    test::DisplayLock lock;
    test::Watchdog watchdog(120s, "the redraw ticker");
    auto* view = new CountingView({0, 0, 120, 100});
    RedrawTicker ticker(view);
    EXPECT_EQ(ticker.getClassName(), "Object:Ticker:OpenGLTicker");
    EXPECT_FALSE(ticker.redraw()) << "in no window";

    MainWindow window;
    ASSERT_TRUE(window.addView(view));
    EXPECT_FALSE(ticker.redraw()) << "in a window that is not open";
    ASSERT_TRUE(window.open()) << native::lastError();
    const std::uint32_t windowThread = test::windowThreadId(window);
    ASSERT_EQ(view->getState(), GraphicsView::State::SHOWING);
    ASSERT_TRUE(test::eventually([&] { return view->frames > 0; }));

    const int before = view->frames;
    EXPECT_TRUE(ticker.redraw());
    EXPECT_TRUE(test::eventually([&] { return view->frames > before; }));

    ticker.setPeriod(20);
    ASSERT_TRUE(ticker.start());
    const int started = view->frames;
    EXPECT_TRUE(test::eventually([&] { return view->frames >= started + 10; }))
        << "frames keep coming while the ticker runs";
    ticker.stop();
    EXPECT_FALSE(ticker.isRunning());

    window.close();
    EXPECT_TRUE(test::threadEnded(windowThread));
    EXPECT_EQ(view->getState(), GraphicsView::State::DETACHED);
    EXPECT_FALSE(ticker.redraw()) << "its window closed";
    view->release();
}

// Keeps the ticker for a look after the application has let go of it.
class WatchedApplication : public SampleApplication {
public:
    bool onStop() override {
        ticker = redrawTicker;
        if (ticker)
            ticker->retain();
        return SampleApplication::onStop();
    }
    RedrawTicker* ticker = nullptr;
};

TEST(SampleApplication, RunsUntilItsWindowIsClosedThenStopsTheTickerAndEveryThreadItMade) {
    test::DisplayLock lock;
    test::Watchdog watchdog(120s, "the application run");
    test::XInput input;
    ASSERT_TRUE(input);
    test::ViewerWindow screen(input);
    const std::size_t threadsBefore = test::countProcessEntries("task");

    auto* application = new WatchedApplication();
    EXPECT_EQ(application->getClassName(),
              "Object:Handler:Messenger:Application:SampleApplication");
    std::thread user([&] {
        std::uint64_t window = 0;
        test::eventually([&] { return (window = screen.find(getpid())) != 0; }, 60s);
        // Anything but the quit message is accepted and changes nothing.
        application->post(0x1234);
        if (window)
            input.sendDeleteWindow(window);
        else
            application->quit(); // the test fails below, but ends
    });
    EXPECT_TRUE(application->run());
    user.join();
    EXPECT_EQ(application->exitCode(), SampleApplication::EXIT_CLOSED);
    EXPECT_EQ(application->mainWindow, nullptr) << "released by onStop";
    EXPECT_EQ(application->redrawTicker, nullptr);
    ASSERT_NE(application->ticker, nullptr) << "the window never showed";
    EXPECT_FALSE(application->ticker->isRunning());
    EXPECT_EQ(application->ticker->getPeriod(), SampleApplication::REDRAW_MILLISECONDS);
    application->ticker->release();
    application->release();
    EXPECT_EQ(application::Application::getApplication(), nullptr);
    EXPECT_TRUE(test::eventually([&] {
        return test::countProcessEntries("task") <= threadsBefore;
    })) << test::countProcessEntries("task")
        << " threads, " << threadsBefore << " before";
}

} // namespace
} // namespace orvane::sample
