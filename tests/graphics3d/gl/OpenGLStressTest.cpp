#include "orvane/graphics3d/state/Context.h"
#include "orvane/gui/OpenGL.h"
#include "orvane/gui/Window.h"
#include "orvane/native/Display.h"
#include "orvane/system/Ticker.h"
#include "tests/support/Eventually.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include "tests/support/XInput.h"

#include <atomic>
#include <string>
#include <unistd.h>
#include <vector>

namespace orvane::gui {
namespace {

using namespace graphics3d; // GL names

class CountingView : public OpenGL {
public:
    using OpenGL::OpenGL;
    void render() override {
        gl.glClearColor(0.2f, 0.4f, 0.6f, 1);
        gl.glClear(GL_COLOR_BUFFER_BIT);
        ++frames;
    }
    std::atomic<int> frames{0};
};

// Invalidates whichever view it is pointed at, from its own thread, as the viewer's
// redraw ticker does: it keeps ticking while windows open and close under it.
class RedrawTicker : public system::Ticker {
public:
    void tick() override {
        if (View* view = target.load())
            view->invalidate();
        ++ticks;
    }
    std::atomic<View*> target{nullptr};
    std::atomic<int> ticks{0};
};

// One opening: the window renders, and once close() has returned it is gone from the
// display and its thread's X connection is closed, without waiting for either.
::testing::AssertionResult openRenderAndClose(CountingView* view, RedrawTicker& ticker,
                                              const std::string& title, test::XInput& x,
                                              std::size_t sockets) {
    Window window;
    window.setTitle(title.c_str());
    window.setSize({96, 72});
    if (!window.addView(view) || !window.open())
        return ::testing::AssertionFailure() << "not opened: " << native::lastError();
    ticker.target = view;
    int before = view->frames;
    if (!test::eventually([&] { return view->frames > before + 1; }))
        return ::testing::AssertionFailure() << "no frames rendered";
    if (!view->renderContext)
        return ::testing::AssertionFailure() << "no render context";
    window.close(); // the ticker goes on invalidating the closed view
    if (int shown = x.windowsTitled(title))
        return ::testing::AssertionFailure() << shown << " window(s) still on the display";
    if (std::size_t left = test::countProcessSockets(); left != sockets)
        return ::testing::AssertionFailure() << left << " sockets open, " << sockets << " before";
    return ::testing::AssertionSuccess();
}

TEST(OpenGLStress, WindowsRedrawnByATickerOpenAndCloseAHundredTimesWithoutLeaks) {
    test::DisplayLock lock; // its windows would cover the windows other tests look at
    test::Watchdog watchdog(std::chrono::seconds(240), "the OpenGL window stress test");
    const std::string title = "orvane-stress-" + std::to_string(getpid());
    RedrawTicker ticker;
    ticker.setPeriod(20);
    ASSERT_TRUE(ticker.start());
    std::vector<CountingView*> views;
    auto newView = [&] {
        views.push_back(new CountingView({0, 0, 64, 48}));
        return views.back();
    };

    test::XInput x;
    ASSERT_TRUE(x);
    const std::size_t sockets = test::countProcessSockets();
    // One round first, so that what the libraries keep for good is counted as the base.
    watchdog.progress("warm-up");
    ASSERT_TRUE(openRenderAndClose(newView(), ticker, title, x, sockets));
    const int glContexts = native::liveGLContextCount();
    const std::size_t renderContexts = graphics3d::Context::count();
    const std::size_t descriptors = test::countProcessEntries("fd");

    for (int round = 0; round < 100; ++round) {
        watchdog.progress("round " + std::to_string(round));
        ASSERT_TRUE(openRenderAndClose(newView(), ticker, title, x, sockets)) << "round " << round;
        ASSERT_EQ(native::liveGLContextCount(), glContexts) << "round " << round;
        ASSERT_EQ(graphics3d::Context::count(), renderContexts) << "round " << round;
    }
    watchdog.progress("stopping the ticker");
    ticker.stop();
    EXPECT_GT(ticker.ticks.load(), 100);
    EXPECT_LE(test::countProcessEntries("fd"), descriptors) << "no descriptor is left behind";
    for (CountingView* view : views) {
        EXPECT_EQ(view->nativeWindow.load(), nullptr);
        view->release();
    }
}

} // namespace
} // namespace orvane::gui
