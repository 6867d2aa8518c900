#include <gtest/gtest.h>

#include "orvane/gui/InputFlags.h"
#include "tests/gui/Recording.h"
#include "tests/support/XInput.h"

#include <X11/keysym.h>

namespace orvane::gui {
namespace {

using test::Event;
using test::EventLog;
using test::RecordingView;
using test::RecordingWindow;

constexpr std::uint32_t noButtons = LEFT_UP | RIGHT_UP | MIDDLE_UP;

// An open window with one view at (20, 20, 100, 80), and the pointer parked outside it.
class GuiInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(input);
        window.setSize({200, 160});
        view = new RecordingView(log, {20, 20, 100, 80});
        window.addView(view);
        view->release();
        ASSERT_TRUE(window.open());
        window.invoke([this] {
            origin = window.position;
            return true;
        });
        ASSERT_TRUE(log.waitFor("view.paint")); // mapped and shown
        moveTo(5, 5);
        ASSERT_TRUE(log.waitFor("mouseMoved"));
        log.clear();
    }
    void TearDown() override {
        input.parkPointer(); // off every test's window, so the next one starts alike
        window.close();
    }

    // Moves the pointer to a point of the window's client area.
    void moveTo(int x, int y) { input.moveTo(int(origin.x) + x, int(origin.y) + y); }

    orvane::test::DisplayLock lock;
    orvane::test::XInput input;
    EventLog log;
    RecordingWindow window{log};
    RecordingView* view = nullptr;
    graphics::Point<float> origin;
};

TEST_F(GuiInput, PointerEntersMovesAndLeavesAView) {
    moveTo(50, 60);
    ASSERT_TRUE(log.waitFor("view.mouseMoved"));
    moveTo(55, 61);
    ASSERT_TRUE(log.waitFor("view.mouseMoved", 2));
    moveTo(5, 5);
    ASSERT_TRUE(log.waitFor("view.mouseLeft"));
    moveTo(60, 60);
    ASSERT_TRUE(log.waitFor("view.mouseEntered", 2));
    moveTo(6, 6);
    ASSERT_TRUE(log.waitFor("view.mouseLeft", 2));

    std::vector<std::string> viewEvents;
    for (const auto& event : log.all())
        if (event.what.starts_with("view."))
            viewEvents.push_back(event.what);
    EXPECT_EQ(viewEvents,
              (std::vector<std::string>{"view.mouseEntered", "view.mouseMoved", "view.mouseMoved",
                                        "view.mouseLeft", "view.mouseEntered", "view.mouseMoved",
                                        "view.mouseLeft"}));
    auto entered = log.named("view.mouseEntered")[0];
    EXPECT_EQ(entered.x, 30) << "in the view's own coordinates";
    EXPECT_EQ(entered.y, 40);
    EXPECT_EQ(entered.flags, noButtons);
    EXPECT_EQ(log.named("view.mouseMoved")[1].x, 35);
    EXPECT_TRUE(orvane::test::waitFor(
        [&] {
            auto moves = log.named("mouseMoved");
            return !moves.empty() && moves.back().x == 6;
        },
        [] {}))
        << "outside the view the window hears it";
}

TEST_F(GuiInput, ButtonsAndModifiersReachTheViewAsFlags) {
    moveTo(50, 50);
    ASSERT_TRUE(log.waitFor("view.mouseMoved"));
    input.button(Button1, true);
    moveTo(52, 50);
    input.button(Button1, false);
    input.key(XK_Control_L, true);
    moveTo(54, 50);
    input.key(XK_Control_L, false);
    input.click(Button3);
    ASSERT_TRUE(log.waitFor("view.mouseButton", 4));

    auto buttons = log.named("view.mouseButton");
    EXPECT_EQ(buttons[0].flags, LEFT_DOWN) << "only the button that changed";
    EXPECT_EQ(buttons[1].flags, LEFT_UP);
    EXPECT_EQ(buttons[2].flags, RIGHT_DOWN);
    EXPECT_EQ(buttons[3].flags, RIGHT_UP);
    auto moves = log.named("view.mouseMoved");
    ASSERT_GE(moves.size(), 3u);
    EXPECT_EQ(moves[1].flags, LEFT_DOWN | RIGHT_UP | MIDDLE_UP) << "dragging";
    EXPECT_EQ(moves[2].flags, noButtons | CONTROL_HELD);
}

TEST_F(GuiInput, WheelTowardTheUserIsNegative) {
    moveTo(50, 50);
    ASSERT_TRUE(log.waitFor("view.mouseMoved"));
    input.click(Button5);
    input.click(Button5);
    input.click(Button4);
    ASSERT_TRUE(log.waitFor("view.mouseWheel", 3));
    auto wheel = log.named("view.mouseWheel");
    EXPECT_EQ(wheel[0].x, -120);
    EXPECT_EQ(wheel[1].x, -120);
    EXPECT_EQ(wheel[2].x, 120);
}

TEST_F(GuiInput, AHeldKeyGivesOneKeyDownToTheFocusView) {
    input.focus(native::nativeWindowId(window.getNativeWindow()));
    input.key(XK_b, true);
    input.key(XK_b, false);
    ASSERT_TRUE(log.waitFor("keyDown")) << "without a focus view the window gets keys";
    EXPECT_EQ(log.count("view.keyDown"), 0u);

    window.setFocus(view);
    input.key(XK_Shift_L, true);
    input.key(XK_a, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(900)); // held: the server repeats
    input.key(XK_a, false);
    input.key(XK_Shift_L, false);
    ASSERT_TRUE(log.waitFor("view.keyUp", 2));

    std::vector<Event> downs;
    for (const auto& event : log.named("view.keyDown"))
        if (event.flags == 'A')
            downs.push_back(event);
    EXPECT_EQ(downs.size(), 1u) << "repeats do not reach keyDown";
    auto characters = log.named("view.character");
    ASSERT_GE(characters.size(), 2u) << "but they do type";
    EXPECT_EQ(characters[0].x, float('A'));
    EXPECT_EQ(characters[0].flags, LEFT_SHIFT);
    input.focus(PointerRoot);
}

} // namespace
} // namespace orvane::gui
