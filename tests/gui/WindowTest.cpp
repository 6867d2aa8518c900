#include <gtest/gtest.h>

#include "orvane/application/Message.h"
#include "orvane/native/Display.h"
#include "tests/gui/Recording.h"
#include "tests/support/Eventually.h"
#include "tests/support/XInput.h"

namespace orvane::gui {
namespace {

using test::EventLog;
using test::RecordingView;
using test::RecordingWindow;

class GuiWindow : public ::testing::Test {
protected:
    orvane::test::DisplayLock lock;
    EventLog log;
};

// Reads a window's fields on its own thread.
template <class T>
T onWindowThread(Window& window, T (*read)(Window&)) {
    T value{};
    window.invoke([&] {
        value = read(window);
        return true;
    });
    return value;
}

TEST_F(GuiWindow, OpensAndClosesFromTheMainThread) {
    RecordingWindow window(log);
    window.setTitle("Orvane test");
    window.setSize({200, 150});
    auto* view = new RecordingView(log, {10, 10, 50, 40});
    ASSERT_TRUE(window.addView(view));
    view->release();
    orvane::test::XInput x;
    const std::size_t sockets = orvane::test::countProcessSockets();

    ASSERT_TRUE(window.open()) << native::lastError();
    EXPECT_TRUE(window.isOpen());
    EXPECT_TRUE(window.open()) << "opening an open window answers that it is open";
    system::Thread* serving = window.getThread();
    ASSERT_NE(serving, nullptr);
    ASSERT_EQ(log.count("opened"), 1u) << "the views are attached before open() returns";
    EXPECT_EQ(log.named("opened")[0].thread, serving);
    EXPECT_NE(view->nativeWindow.load(), nullptr);

    char* name = nullptr;
    XFetchName(x.get(), ::Window(native::nativeWindowId(window.getNativeWindow())), &name);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "Orvane test");
    XFree(name);
    EXPECT_EQ(onWindowThread<float>(window, [](Window& w) { return w.size.width; }), 200.0f);

    const std::uint64_t shown = native::nativeWindowId(window.getNativeWindow());
    ASSERT_TRUE(x.isTopLevel(shown));
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(x.isTopLevel(shown)) << "gone from the display when close() returns";
    EXPECT_EQ(orvane::test::countProcessSockets(), sockets) << "the thread's connection is closed";
    EXPECT_EQ(log.count("closing"), 1u);
    EXPECT_FALSE(window.isOpen());
    EXPECT_EQ(window.getThread(), nullptr) << "closing ends the window's thread";
    EXPECT_EQ(view->nativeWindow.load(), nullptr);
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(window.invalidate());
    EXPECT_FALSE(window.show());

    ASSERT_TRUE(window.open()) << "a closed window opens again";
    EXPECT_TRUE(window.close());
}

TEST_F(GuiWindow, ViewsOfADestroyedWindowCanJoinAnother) {
    auto* view = new RecordingView(log, {5, 5, 20, 20});
    {
        RecordingWindow first(log);
        ASSERT_TRUE(first.addView(view));
        ASSERT_TRUE(first.open()) << native::lastError();
        ASSERT_TRUE(first.setFocus(view));
    }
    EXPECT_EQ(view->getWindow(), nullptr);
    EXPECT_EQ(view->getMessenger(), nullptr);
    EXPECT_EQ(view->nativeWindow.load(), nullptr);
    {
        RecordingWindow never(log);
        ASSERT_TRUE(never.addView(view)) << "a window that never opened lets go as well";
    }

    RecordingWindow second(log);
    ASSERT_TRUE(second.addView(view)) << "the view no longer belongs to a window";
    EXPECT_EQ(view->getWindow(), &second);
    ASSERT_TRUE(second.open()) << native::lastError();
    EXPECT_NE(view->nativeWindow.load(), nullptr) << "attached to the new window";
    EXPECT_TRUE(second.close());
    view->release();
}

TEST_F(GuiWindow, AnUnreachableDisplayLeavesNothingBehind) {
    native::setDisplayName(":9999");
    RecordingWindow window(log);
    auto* view = new RecordingView(log, {0, 0, 10, 10});
    window.addView(view);
    view->release();
    EXPECT_FALSE(window.open());
    native::setDisplayName("");
    EXPECT_NE(native::lastError().find(":9999"), std::string::npos) << native::lastError();
    EXPECT_EQ(window.getThread(), nullptr) << "no thread is left running";
    EXPECT_EQ(window.getNativeWindow(), nullptr);
    EXPECT_EQ(log.count("opened"), 0u);
    EXPECT_EQ(view->nativeWindow.load(), nullptr);
    EXPECT_FALSE(window.close());
    ASSERT_TRUE(window.open()) << "the display is back: the same window opens";
    window.close();
}

TEST_F(GuiWindow, WindowManagerCloseAsksTheWindow) {
    RecordingWindow keeper(log);
    keeper.closeOnRequest = false;
    ASSERT_TRUE(keeper.open());
    orvane::test::XInput x;
    x.sendDeleteWindow(native::nativeWindowId(keeper.getNativeWindow()));
    ASSERT_TRUE(log.waitFor("closeRequested"));
    EXPECT_TRUE(keeper.isOpen()) << "this window decided to stay";

    EventLog otherLog;
    RecordingWindow closer(otherLog);
    ASSERT_TRUE(closer.open());
    x.sendDeleteWindow(native::nativeWindowId(closer.getNativeWindow()));
    ASSERT_TRUE(otherLog.waitFor("closing"));
    EXPECT_EQ(otherLog.count("closeRequested"), 1u);
    // The default closes the window on its own thread, which then ends.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (closer.getThread() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(closer.getThread(), nullptr);
    EXPECT_FALSE(closer.isOpen());
}

TEST_F(GuiWindow, AnchorsFollowAResize) {
    RecordingWindow window(log);
    window.setSize({300, 200}); // before the views: no layout moves them
    auto add = [&](std::uint32_t anchors, graphics::Rectangle<float> area) {
        auto* view = new RecordingView(log, area);
        view->anchors = anchors;
        window.addView(view);
        view->release();
        return view;
    };
    View* stretched =
        add(View::ANCHOR_LEFT | View::ANCHOR_RIGHT | View::ANCHOR_TOP | View::ANCHOR_BOTTOM,
            {10, 10, 100, 50});
    View* rightOnly = add(View::ANCHOR_RIGHT, {200, 10, 50, 50});
    View* bottomOnly = add(View::ANCHOR_BOTTOM | View::ANCHOR_LEFT, {10, 150, 50, 20});
    View* loose = add(0, {100, 100, 30, 30});
    ASSERT_TRUE(window.open());

    window.setSize({360, 240});
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (onWindowThread<float>(window, [](Window& w) { return w.size.width; }) != 360 &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    struct Geometry {
        graphics::Rectangle<float> stretched, rightOnly, bottomOnly, loose;
    } g;
    window.invoke([&] {
        auto rect = [](View* v) {
            return graphics::Rectangle<float>{v->position.x, v->position.y, v->size.width,
                                              v->size.height};
        };
        g = {rect(stretched), rect(rightOnly), rect(bottomOnly), rect(loose)};
        return true;
    });
    EXPECT_EQ(g.stretched, (graphics::Rectangle<float>{10, 10, 160, 90}));
    EXPECT_EQ(g.rightOnly, (graphics::Rectangle<float>{260, 10, 50, 50}));
    EXPECT_EQ(g.bottomOnly, (graphics::Rectangle<float>{10, 190, 50, 20}));
    EXPECT_EQ(g.loose, (graphics::Rectangle<float>{100, 100, 30, 30}));
    window.close();
}

TEST_F(GuiWindow, FocusChangesAreAnnouncedOnlyWhenTheyHappen) {
    RecordingWindow window(log), other(log);
    auto* first = new RecordingView(log, {0, 0, 10, 10});
    auto* second = new RecordingView(log, {20, 0, 10, 10});
    auto* foreign = new RecordingView(log, {0, 0, 10, 10});
    window.addView(first);
    window.addView(second);
    other.addView(foreign);
    EXPECT_FALSE(window.addView(foreign)) << "it belongs to the other window";
    ASSERT_TRUE(window.open());

    EXPECT_TRUE(window.setFocus(first));
    EXPECT_TRUE(window.setFocus(first));
    EXPECT_EQ(log.count("view.focusGained"), 1u) << "no change, no calls";
    EXPECT_EQ(log.count("view.focusLost"), 0u);
    EXPECT_TRUE(window.setFocus(second));
    EXPECT_EQ(log.count("view.focusLost"), 1u);
    EXPECT_FALSE(window.setFocus(foreign));
    EXPECT_FALSE(window.clearFocus(first)) << "not the focus view";

    EXPECT_TRUE(window.removeView(second));
    EXPECT_EQ(log.count("view.focusLost"), 2u) << "a removed focus view loses the focus";
    EXPECT_EQ(second->nativeWindow.load(), nullptr) << "and its child window";
    EXPECT_EQ(second->getWindow(), nullptr);
    EXPECT_EQ(second->getReferenceCount(), 1);
    EXPECT_FALSE(window.removeView(second));
    EXPECT_TRUE(window.addView(second)) << "added again to an open window: attached";
    EXPECT_NE(second->nativeWindow.load(), nullptr);
    window.removeAllViews();
    EXPECT_EQ(window.views.count(), 0u);
    EXPECT_EQ(first->getReferenceCount(), 1);
    window.close();
    for (View* view : {first, second, foreign})
        view->release();
}

bool paintShearedSquare(Context& context) {
    context.setBrushColour(0x0000FF); // red
    context.setPenColour(0x0000FF);
    // x' = x + y: the square (0, 0)-(40, 40) becomes a parallelogram leaning right.
    context.setTransform(graphics::Transform<float>(1, 1, 10, 0, 1, 10));
    graphics::Transform<float> back = context.getTransform();
    context.fillRectangle({0, 0, 40, 40});
    return back == graphics::Transform<float>(1, 1, 10, 0, 1, 10);
}

TEST_F(GuiWindow, PaintingReachesTheWindowAndItsViews) {
    RecordingWindow window(log);
    window.painter = paintShearedSquare;
    window.setSize({200, 200});
    auto* view = new RecordingView(log, {150, 150, 40, 30});
    window.addView(view);
    view->release();
    ASSERT_TRUE(window.open());
    ASSERT_TRUE(log.waitFor("paint"));
    ASSERT_TRUE(log.waitFor("view.paint"));

    log.clear();
    for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(window.invalidate({0, 0, 100, 100}));
    ASSERT_TRUE(log.waitFor("paint"));
    application::Message paintView(Window::PAINT_VIEW);
    paintView.addObject("view", view);
    window.post(paintView);
    ASSERT_TRUE(log.waitFor("view.paint"));
    EXPECT_EQ(log.named("view.paint").back().x, 40) << "painted with its bounds";

    orvane::test::XInput x;
    std::uint64_t id = native::nativeWindowId(window.getNativeWindow());
    // Row y = 30 (local y = 20) spans x' = 10 + x + 20 for x in [0, 40): 30 to 69.
    // The window's thread sends its drawing when it next waits: look until it is there.
    orvane::test::waitFor([&] { return x.pixel(id, 35, 30) == 0xFF0000u; }, [] {});
    EXPECT_EQ(x.pixel(id, 35, 30), 0xFF0000u);
    EXPECT_EQ(x.pixel(id, 65, 30), 0xFF0000u);
    EXPECT_NE(x.pixel(id, 15, 30), 0xFF0000u) << "left of the leaning edge";
    window.close();
}

} // namespace
} // namespace orvane::gui
