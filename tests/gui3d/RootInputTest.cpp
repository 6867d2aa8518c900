#include <gtest/gtest.h>

#include "orvane/gui/InputFlags.h"
#include "orvane/gui/OpenGL.h"
#include "orvane/gui/Window.h"
#include "orvane/native/Display.h"
#include "tests/gui3d/RecordingViews.h"
#include "tests/support/XInput.h"

#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace orvane::gui3d {
namespace {

using Names = std::vector<std::string>;
using test::EventLog;
using test::eventNames;
using test::RecordingView;

// An OpenGL view whose root, made on the window's thread when the view is attached, holds
// two neighbouring views (a and b) and a third one (c) for layouts. The OpenGL view logs
// what its own procedure receives, which is what the root passes on.
class GuiView : public gui::OpenGL {
public:
    GuiView(EventLog& log, const graphics::Rectangle<float>& area)
        : OpenGL(area)
        , log(log) {}

    bool attach() override {
        if (!OpenGL::attach())
            return false;
        root = new test::RecordingRoot(log, renderContext);
        a = new RecordingView(log, "a", {10, 10, 40, 40});
        b = new RecordingView(log, "b", {50, 10, 40, 40});
        c = new RecordingView(log, "c", {100, 60, 20, 20});
        for (RecordingView* view : {a, b, c}) {
            root->addView(view);
            view->release();
        }
        root->enableEvents();
        return true;
    }
    bool detach() override {
        if (root)
            root->release();
        root = nullptr;
        return OpenGL::detach();
    }
    bool mouseMoved(graphics::Point<float> point, std::uint32_t flags) override {
        log.add("gl.mouseMoved", point.x, point.y, flags);
        return true;
    }
    bool keyDown(std::uint32_t key) override {
        log.add("gl.keyDown", float(key));
        return true;
    }
    // Counts the frames, which come once the window is shown on the display.
    void render() override { ++frames; }

    std::atomic<int> frames{0};

    EventLog& log;
    Root* root = nullptr;
    RecordingView* a = nullptr;
    RecordingView* b = nullptr;
    RecordingView* c = nullptr;
};

// An open window with the OpenGL view filling its top-left 160 x 120 pixels, and the
// pointer parked outside the window.
class RootInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(input);
        window.setSize({200, 160});
        view = new GuiView(log, {0, 0, 160, 120});
        ASSERT_TRUE(window.addView(view));
        ASSERT_TRUE(window.open()) << native::lastError();
        ASSERT_NE(view->root, nullptr) << native::lastError();
        // Away from the corner where other tests' windows appear (some hold no display
        // lock), so that none of them comes between the pointer and this window.
        window.setPosition({700, 500});
        ASSERT_TRUE(orvane::test::waitFor(
            [&] {
                window.invoke([this] {
                    origin = window.position;
                    return true;
                });
                return origin.x >= 700 && origin.y >= 500;
            },
            [] {}));
        view->invalidate();
        ASSERT_TRUE(orvane::test::waitFor([&] { return view->frames > 0; }, [] {}))
            << "the window is on the display";
        // The pointer is seen: a visit to view c comes and goes.
        int nudge = 0;
        ASSERT_TRUE(orvane::test::waitFor([&] { return log.count("c.mouseMove") > 0; },
                                          [&] { moveTo(110 + (++nudge & 1), 70); }));
        moveTo(190, 150); // in the window, off the OpenGL view
        ASSERT_TRUE(log.waitFor("c.mouseLeave"));
        log.clear();
    }
    void TearDown() override {
        // The pointer leaves for a corner where no test's window is, so that the keyboard
        // focus handed back to the pointer's root does not fall to the next test's window.
        Display* display = input.get();
        input.moveTo(DisplayWidth(display, DefaultScreen(display)) - 1,
                     DisplayHeight(display, DefaultScreen(display)) - 1);
        input.focus(PointerRoot);
        window.close();
        if (view)
            view->release();
    }

    void moveTo(int x, int y) { input.moveTo(int(origin.x) + x, int(origin.y) + y); }
    // Runs work on the window's thread, where the root lives.
    void onWindowThread(const std::function<void()>& work) {
        window.invoke([&] {
            work();
            return true;
        });
    }

    orvane::test::DisplayLock lock;
    orvane::test::XInput input;
    EventLog log;
    gui::Window window;
    GuiView* view = nullptr;
    graphics::Point<float> origin;
};

// The view events of the log with runs of one event collapsed into one.
Names collapsed(EventLog& log) {
    Names names;
    for (const std::string& name : eventNames(log))
        if ((name.starts_with("a.") || name.starts_with("b.")) &&
            (names.empty() || names.back() != name))
            names.push_back(name);
    return names;
}

TEST_F(RootInput, ThePointerCrossesTwoViewsInOrder) {
    moveTo(20, 30);
    ASSERT_TRUE(log.waitFor("a.mouseMove"));
    moveTo(30, 30);
    ASSERT_TRUE(log.waitFor("a.mouseMove", 2));
    moveTo(60, 30);
    ASSERT_TRUE(log.waitFor("b.mouseMove"));
    moveTo(5, 100); // on the OpenGL view, on no in-scene view
    ASSERT_TRUE(log.waitFor("b.mouseLeave"));
    moveTo(70, 20);
    ASSERT_TRUE(log.waitFor("b.mouseMove", 2));
    moveTo(190, 150); // off the OpenGL view: the window's leave notification
    ASSERT_TRUE(log.waitFor("b.mouseLeave", 2));

    EXPECT_EQ(collapsed(log),
              (Names{"a.mouseEnter", "a.mouseMove", "a.mouseLeave", "b.mouseEnter", "b.mouseMove",
                     "b.mouseLeave", "b.mouseEnter", "b.mouseMove", "b.mouseLeave"}));
    EXPECT_EQ(log.count("a.mouseEnter"), 1u) << "one enter for one visit";
    auto entered = log.named("a.mouseEnter")[0];
    EXPECT_EQ(entered.x, 10) << "local to the view";
    EXPECT_EQ(entered.y, 20);
    EXPECT_EQ(log.named("b.mouseMove")[0].x, 10);
    EXPECT_EQ(log.count("gl.mouseMoved"), 0u) << "the root handles the moves";
}

TEST_F(RootInput, ButtonsReachTheViewUnderThePointerWithTheirFlag) {
    moveTo(60, 30);
    ASSERT_TRUE(log.waitFor("b.mouseMove"));
    input.click(Button1);
    input.click(Button3);
    ASSERT_TRUE(log.waitFor("b.mouseButton", 4));
    auto buttons = log.named("b.mouseButton");
    EXPECT_EQ(buttons[0].flags, gui::LEFT_DOWN);
    EXPECT_EQ(buttons[1].flags, gui::LEFT_UP);
    EXPECT_EQ(buttons[2].flags, gui::RIGHT_DOWN);
    EXPECT_EQ(buttons[3].flags, gui::RIGHT_UP);
    EXPECT_EQ(buttons[0].x, 10);
    input.click(Button5);
    ASSERT_TRUE(log.waitFor("root.mouseWheel"));
    EXPECT_EQ(log.named("root.mouseWheel")[0].x, -120);
}

TEST_F(RootInput, KeyRepeatsAreDroppedAndKeysFollowTheFocus) {
    moveTo(30, 30);
    ASSERT_TRUE(log.waitFor("a.mouseMove"));
    input.focus(native::nativeWindowId(view->nativeWindow));
    input.key(XK_b, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(900)); // held: the server repeats
    input.key(XK_b, false);
    ASSERT_TRUE(log.waitFor("root.keyUp"));
    EXPECT_EQ(log.count("root.keyDown"), 1u) << "repeats are dropped";
    EXPECT_GE(log.count("root.character"), 2u) << "but they type";

    onWindowThread([&] { view->root->setFocus(view->a); });
    input.key(XK_c, true);
    input.key(XK_c, false);
    ASSERT_TRUE(log.waitFor("a.keyUp"));
    onWindowThread([&] { view->root->setFocus(view->b); });
    input.key(XK_d, true);
    input.key(XK_d, false);
    ASSERT_TRUE(log.waitFor("b.keyUp"));
    onWindowThread([&] { view->root->clearFocus(); });
    input.key(XK_e, true);
    input.key(XK_e, false);
    ASSERT_TRUE(log.waitFor("root.keyUp", 2));

    EXPECT_EQ(log.named("a.keyDown")[0].x, float('C'));
    EXPECT_EQ(log.named("b.keyDown")[0].x, float('D'));
    EXPECT_EQ(log.named("root.keyDown")[1].x, float('E'));
    Names focus;
    for (const std::string& name : eventNames(log))
        if (name.find("focus") != std::string::npos || name.find("key") != std::string::npos)
            focus.push_back(name);
    EXPECT_EQ(Names(focus.begin() + 2, focus.end()),
              (Names{"a.focusGained", "a.keyDown", "a.keyUp", "a.focusLost", "b.focusGained",
                     "b.keyDown", "b.keyUp", "b.focusLost", "root.keyDown", "root.keyUp"}));
    EXPECT_EQ(log.count("gl.keyDown"), 0u);
}

TEST_F(RootInput, AnchoredViewsFollowTheOpenGLViewsSize) {
    onWindowThread([&] {
        view->a->anchors = View::ANCHOR_RIGHT | View::ANCHOR_BOTTOM;
        view->b->anchors =
            View::ANCHOR_LEFT | View::ANCHOR_RIGHT | View::ANCHOR_TOP | View::ANCHOR_BOTTOM;
        view->setSize({190, 150}); // the child window's WM_SIZE reaches the root
    });
    ASSERT_TRUE(log.waitFor("b.resized"));
    View::Rectangle a, b, c;
    onWindowThread([&] {
        a = view->a->frame, b = view->b->frame, c = view->c->frame;
        view->root->disableEvents();
        view->setSize({170, 130}); // followed with events disabled too
    });
    EXPECT_EQ(a, (View::Rectangle{40, 40, 40, 40})) << "moved by (30, 30)";
    EXPECT_EQ(b, (View::Rectangle{50, 10, 70, 70})) << "grown by (30, 30)";
    EXPECT_EQ(c, (View::Rectangle{100, 60, 20, 20})) << "anchors 0: left alone";
    ASSERT_TRUE(log.waitFor("b.resized", 2));
    onWindowThread([&] { a = view->a->frame; });
    EXPECT_EQ(a, (View::Rectangle{20, 20, 40, 40}));
}

TEST_F(RootInput, WithEventsDisabledTheViewsOwnProcedureGetsTheInput) {
    onWindowThread([&] { view->root->disableEvents(); });
    moveTo(20, 30);
    ASSERT_TRUE(log.waitFor("gl.mouseMoved"));
    input.focus(native::nativeWindowId(view->nativeWindow));
    input.key(XK_f, true);
    input.key(XK_f, false);
    ASSERT_TRUE(log.waitFor("gl.keyDown"));
    EXPECT_EQ(collapsed(log), Names{}) << "no in-scene view hears anything";
    EXPECT_EQ(log.count("root.keyDown"), 0u);

    onWindowThread([&] { view->root->enableEvents(); });
    moveTo(25, 30);
    ASSERT_TRUE(log.waitFor("a.mouseMove"));
    EXPECT_EQ(log.count("a.mouseEnter"), 1u) << "entered afresh once events are on";
}

TEST_F(RootInput, TheRootGivesTheProcedureBackWhenItDies) {
    native::WindowProcedure installed = nullptr, after = nullptr;
    onWindowThread([&] {
        installed = native::getProcedure(view->nativeWindow);
        view->root->release();
        view->root = nullptr;
        after = native::getProcedure(view->nativeWindow);
    });
    EXPECT_EQ(installed, &Root::rootProcedure);
    EXPECT_EQ(after, &gui::OpenGL::openGLProcedure);
    moveTo(20, 30);
    ASSERT_TRUE(log.waitFor("gl.mouseMoved"));
}

} // namespace
} // namespace orvane::gui3d
