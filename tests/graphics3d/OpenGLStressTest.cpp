#include "orvane/graphics3d/Context.h"
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

// Top-level windows on the display with the given title.
int windowsTitled(const std::string& title) {
    test::XInput x;
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(x.get(), DefaultRootWindow(x.get()), &root, &parent, &children, &count))
        return -1;
    int found = 0;
    for (unsigned i = 0; i < count; ++i) {
        char* name = nullptr;
        if (XFetchName(x.get(), children[i], &name) && name) {
            found += title == name;
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

bool openRenderAndClose(CountingView* view, RedrawTicker& ticker, const std::string& title) {
    Window window;
    window.setTitle(title.c_str());
    window.setSize({96, 72});
    if (!window.addView(view) || !window.open())
        return false;
    ticker.target = view;
    int before = view->frames;
    bool rendered = test::eventually([&] { return view->frames > before + 1; });
    bool hadContext = view->renderContext != nullptr;
    window.close(); // the ticker goes on invalidating the closed view
    return rendered && hadContext;
}

TEST(OpenGLStress, WindowsRedrawnByATickerOpenAndCloseAHundredTimesWithoutLeaks) {
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

    // One round first, so that what the libraries keep for good is counted as the base.
    watchdog.progress("warm-up");
    ASSERT_TRUE(openRenderAndClose(newView(), ticker, title)) << native::lastError();
    const int glContexts = native::liveGLContextCount();
    const std::size_t renderContexts = graphics3d::Context::count();
    const std::size_t descriptors = test::countProcessEntries("fd");

    for (int round = 0; round < 100; ++round) {
        watchdog.progress("round " + std::to_string(round));
        ASSERT_TRUE(openRenderAndClose(newView(), ticker, title))
            << "round " << round << ": " << native::lastError();
        ASSERT_EQ(native::liveGLContextCount(), glContexts) << "round " << round;
        ASSERT_EQ(graphics3d::Context::count(), renderContexts) << "round " << round;
    }
    watchdog.progress("stopping the ticker");
    ticker.stop();
    EXPECT_GT(ticker.ticks.load(), 100);
    EXPECT_EQ(windowsTitled(title), 0) << "every window is gone from the display";
    EXPECT_TRUE(test::eventually([&] { return test::countProcessEntries("fd") <= descriptors; }))
        << "X connections of the window threads are closed: " << test::countProcessEntries("fd")
        << " descriptors, " << descriptors << " before";
    for (CountingView* view : views) {
        EXPECT_EQ(view->nativeWindow.load(), nullptr);
        view->release();
    }
}

} // namespace
} // namespace orvane::gui
