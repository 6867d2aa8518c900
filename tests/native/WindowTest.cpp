#include <gtest/gtest.h>

#include "orvane/native/Display.h"
#include "orvane/native/DrawingContext.h"
#include "orvane/native/Messages.h"
#include "orvane/native/Window.h"
#include "tests/support/Watchdog.h"
#include "tests/support/XInput.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace orvane::native {
namespace {

struct Logged {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Everything the test windows' procedures saw, in order (windows live on the test thread).
std::vector<Logged> logged;
void* createParameterSeen = nullptr;
MinMaxInfo limitsToGive{{120, 80}, {300, 250}};

std::intptr_t recordingProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
    logged.push_back({window, message, wParam, lParam});
    if (message == WM_CREATE)
        createParameterSeen = reinterpret_cast<CreateStruct*>(lParam)->createParameter;
    if (message == WM_GETMINMAXINFO) {
        *reinterpret_cast<MinMaxInfo*>(lParam) = limitsToGive;
        return 0;
    }
    return defaultProcedure(window, message, wParam, lParam);
}

const char* testClass() {
    static const bool registered = registerClass(
        WindowClass{"orvane::test::native", 0, recordingProcedure, 2 * sizeof(void*), 0xFFFFFF});
    EXPECT_TRUE(registered || isClassRegistered("orvane::test::native"));
    return "orvane::test::native";
}

WindowHandle makeWindow(int x, int y, int width, int height, WindowHandle parent = nullptr,
                        std::uint32_t style = WS_VISIBLE) {
    WindowCreation creation;
    creation.className = testClass();
    creation.title = "test";
    creation.style = style | (parent ? WS_CHILD : 0);
    creation.x = x, creation.y = y, creation.width = width, creation.height = height;
    creation.parent = parent;
    return createWindow(creation);
}

// Dispatches whatever is pending, as a window thread's loop would.
void pump() {
    NativeMessage message;
    while (peekMessage(message)) {
        translateMessage(message);
        dispatchMessage(message);
    }
}

std::vector<Logged> messagesOf(std::uint32_t code) {
    std::vector<Logged> found;
    std::copy_if(logged.begin(), logged.end(), std::back_inserter(found),
                 [code](const Logged& m) { return m.message == code; });
    return found;
}

bool sawMessage(std::uint32_t code) {
    return !messagesOf(code).empty();
}

class NativeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        logged.clear();
        ASSERT_TRUE(isDisplayAvailable()) << lastError();
    }
    void TearDown() override { pump(); }

    test::DisplayLock lock;
};

TEST(NativeDisplay, AnUnreachableDisplayIsAFailureThatSaysWhy) {
    std::thread([] {
        setDisplayName(":9999");
        EXPECT_FALSE(isDisplayAvailable());
        EXPECT_EQ(makeWindow(0, 0, 10, 10), nullptr);
        EXPECT_NE(lastError().find(":9999"), std::string::npos) << lastError();
        setDisplayName("");
    }).join();
}

TEST_F(NativeWindow, CreationAsksLimitsThenReportsGeometry) {
    int parameter = 0;
    WindowCreation creation;
    creation.className = testClass();
    creation.x = 40, creation.y = 30, creation.width = 400, creation.height = 100;
    creation.createParameter = &parameter;
    WindowHandle window = createWindow(creation);
    ASSERT_NE(window, nullptr) << lastError();
    EXPECT_EQ(createParameterSeen, &parameter);

    std::vector<std::uint32_t> order;
    for (const Logged& m : logged)
        order.push_back(m.message);
    EXPECT_EQ(order, (std::vector<std::uint32_t>{WM_CREATE, WM_GETMINMAXINFO, WM_SIZE, WM_MOVE}));
    EXPECT_EQ(logged[2].lParam, makeLParam(300, 100)) << "the width is held to the maximum";
    EXPECT_EQ(logged[3].lParam, makeLParam(40, 30));

    synchronise();
    test::XInput x;
    XSizeHints hints{};
    long supplied = 0;
    XGetWMNormalHints(x.get(), Window(nativeWindowId(window)), &hints, &supplied);
    EXPECT_TRUE(hints.flags & PMinSize);
    EXPECT_EQ(hints.min_width, 120);
    EXPECT_EQ(hints.max_height, 250);
    EXPECT_TRUE(destroyWindow(window));
}

std::vector<std::uint32_t> subclassSaw;
WindowProcedure replaced = nullptr;
std::intptr_t subclassProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    subclassSaw.push_back(message);
    if (message == WM_USER)
        return 77;
    return replaced(window, message, wParam, lParam);
}

TEST_F(NativeWindow, SubclassingUserDataAndWindowWords) {
    WindowHandle window = makeWindow(0, 0, 50, 50, nullptr, 0);
    ASSERT_NE(window, nullptr);
    replaced = setProcedure(window, subclassProcedure);
    EXPECT_EQ(replaced, recordingProcedure);
    EXPECT_EQ(getProcedure(window), subclassProcedure);
    logged.clear();
    EXPECT_EQ(sendMessage(window, WM_USER, 0, 0), 77);
    sendMessage(window, WM_USER + 1, 0, 0);
    EXPECT_EQ(subclassSaw, (std::vector<std::uint32_t>{WM_USER, WM_USER + 1}));
    ASSERT_EQ(logged.size(), 1u) << "only the forwarded message reaches the old procedure";
    EXPECT_EQ(logged[0].message, WM_USER + 1);

    EXPECT_EQ(setUserData(window, 1234), 0);
    EXPECT_EQ(setUserData(window, 99), 1234);
    EXPECT_EQ(getUserData(window), 99);
    EXPECT_EQ(setWindowWord(window, sizeof(void*), -5), 0);
    EXPECT_EQ(getWindowWord(window, sizeof(void*)), -5);
    EXPECT_EQ(getWindowWord(window, 0), 0);
    EXPECT_EQ(setWindowWord(window, 2 * sizeof(void*), 1), 0) << "beyond the class's bytes";
    EXPECT_EQ(getWindowWord(window, 2 * sizeof(void*)), 0);
    destroyWindow(window);
}

TEST_F(NativeWindow, DestroyingAParentTakesItsChildrenAlong) {
    WindowHandle parent = makeWindow(0, 0, 100, 100);
    WindowHandle child = makeWindow(5, 5, 50, 50, parent);
    WindowHandle grandchild = makeWindow(1, 1, 10, 10, child);
    ASSERT_TRUE(parent && child && grandchild);
    EXPECT_EQ(getParent(grandchild), child);

    bool refused = true;
    std::thread([&] { refused = !destroyWindow(child); }).join();
    EXPECT_TRUE(refused) << "only the owner thread destroys a window";

    logged.clear();
    EXPECT_TRUE(destroyWindow(parent));
    auto destroyed = messagesOf(WM_DESTROY);
    ASSERT_EQ(destroyed.size(), 3u);
    EXPECT_EQ(destroyed[0].window, parent);
    EXPECT_EQ(destroyed[1].window, child);
    EXPECT_EQ(destroyed[2].window, grandchild);
    EXPECT_FALSE(isWindow(parent) || isWindow(child) || isWindow(grandchild));
    EXPECT_FALSE(destroyWindow(child));
    EXPECT_EQ(sendMessage(child, WM_USER, 0, 0), 0);
    EXPECT_FALSE(invalidateRect(child, nullptr, true));
}

// Handles outlive their windows in other threads' hands (a redraw ticker keeps its view's):
// a stale handle must never name a window made later, whatever memory that one reuses.
TEST_F(NativeWindow, HandlesOfDestroyedWindowsNameNoLaterWindow) {
    test::Watchdog watchdog("creating and destroying windows");
    std::set<WindowHandle> earlier;
    std::atomic<WindowHandle> stale{nullptr};
    std::atomic<bool> done{false};
    std::atomic<int> reached{0};
    // Another thread keeps posting to and invalidating the latest destroyed window.
    std::thread poster([&] {
        while (!done.load()) {
            WindowHandle handle = stale.load();
            reached += postMessage(handle, WM_USER + 7, 0, 0) ? 1 : 0;
            reached += invalidateRect(handle, nullptr, false) ? 1 : 0;
        }
    });
    bool unique = true;
    for (int round = 0; round < 500 && unique; ++round) {
        WindowHandle window = makeWindow(0, 0, 20, 20, nullptr, 0);
        WindowHandle child = window ? makeWindow(1, 1, 5, 5, window) : nullptr;
        if (!child) {
            ADD_FAILURE() << lastError();
            break;
        }
        unique = earlier.insert(window).second && earlier.insert(child).second;
        EXPECT_TRUE(unique) << "a handle came back in round " << round;
        WindowHandle previous = stale.load();
        EXPECT_FALSE(isWindow(previous));
        EXPECT_EQ(getWindowText(previous), "");
        EXPECT_TRUE(destroyWindow(window));
        stale = child;
        pump();
    }
    done = true;
    poster.join();
    EXPECT_EQ(reached.load(), 0) << "a stale handle reached a live window";
    logged.clear();
    pump();
    EXPECT_FALSE(sawMessage(WM_USER + 7));
}

TEST_F(NativeWindow, ChildGeometryIsReportedWhenItChanges) {
    WindowHandle parent = makeWindow(0, 0, 100, 100);
    WindowHandle child = makeWindow(5, 5, 50, 50, parent);
    logged.clear();
    setWindowPosition(child, 10, 20, 0, 0, SWP_NOSIZE);
    setWindowPosition(child, 0, 0, 30, 40, SWP_NOMOVE);
    setWindowPosition(child, 10, 20, 30, 40, 0);
    ASSERT_EQ(logged.size(), 2u) << "an unchanged geometry reports nothing";
    EXPECT_EQ(logged[0].message, WM_MOVE);
    EXPECT_EQ(logged[0].lParam, makeLParam(10, 20));
    EXPECT_EQ(logged[1].message, WM_SIZE);
    EXPECT_EQ(logged[1].lParam, makeLParam(30, 40));
    Rect client;
    ASSERT_TRUE(getClientRect(child, client));
    EXPECT_EQ(client.right, 30);
    EXPECT_EQ(client.bottom, 40);
    destroyWindow(parent);
}

TEST_F(NativeWindow, InvalidationFromManyThreadsGivesOnePaintAfterOtherMessages) {
    WindowHandle window = makeWindow(0, 0, 200, 200);
    ASSERT_NE(window, nullptr);
    test::waitFor([] { return sawMessage(WM_PAINT); }, pump); // the first exposure
    pump();
    logged.clear();

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([window, t] {
            for (int i = 0; i < 100; ++i) {
                Rect area{10 + t, 20 + i % 7, 30 + t, 40};
                invalidateRect(window, &area, false);
            }
        });
    for (auto& thread : threads)
        thread.join();
    postMessage(window, WM_USER, 0, 0);

    NativeMessage message;
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.message, WM_USER) << "a paint waits until nothing else is pending";
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.message, WM_PAINT);
    PaintStruct paint;
    ASSERT_NE(beginPaint(window, paint), nullptr);
    EXPECT_EQ(paint.paint.left, 10);
    EXPECT_EQ(paint.paint.top, 20);
    EXPECT_EQ(paint.paint.right, 33);
    EXPECT_EQ(paint.paint.bottom, 40);
    EXPECT_FALSE(paint.erase);
    endPaint(window, paint);
    EXPECT_FALSE(peekMessage(message)) << "painting made the window valid";
    destroyWindow(window);
}

TEST_F(NativeWindow, WindowManagerCloseArrivesAsWmClose) {
    WindowHandle window = makeWindow(0, 0, 50, 50);
    ASSERT_NE(window, nullptr);
    test::XInput x;
    x.sendDeleteWindow(nativeWindowId(window));
    EXPECT_TRUE(test::waitFor([] { return sawMessage(WM_CLOSE); }, pump));
    EXPECT_FALSE(isWindow(window)) << "the default answer to WM_CLOSE destroys the window";
}

TEST_F(NativeWindow, DrawingGoesThroughBrushPenAndTransform) {
    WindowHandle window = makeWindow(0, 0, 120, 120);
    ASSERT_NE(window, nullptr);
    test::waitFor([] { return sawMessage(WM_PAINT); }, pump);
    DeviceContextHandle dc = getDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(windowOfDC(dc), window);
    EXPECT_FALSE(hasPalette(dc));
    selectBrush(dc, 0x0000FF);  // red
    selectPen(dc, 0xFF0000, 1); // blue
    Xform scaleAndMove{2, 0, 0, 2, 10, 10};
    setWorldTransform(dc, scaleAndMove);
    Xform back;
    getWorldTransform(dc, back);
    EXPECT_EQ(back.eM22, 2);
    rectangle(dc, 0, 0, 20, 10); // covers (10, 10) to (50, 30)
    synchronise();

    test::XInput x;
    std::uint64_t id = nativeWindowId(window);
    EXPECT_EQ(x.pixel(id, 10, 10), 0x0000FFu) << "outline";
    EXPECT_EQ(x.pixel(id, 30, 20), 0xFF0000u) << "fill";
    EXPECT_EQ(x.pixel(id, 49, 29), 0x0000FFu) << "outline";
    EXPECT_EQ(x.pixel(id, 50, 30), 0xFFFFFFu) << "right and bottom lie outside";
    destroyWindow(window);
}

class NativeInput : public NativeWindow {
protected:
    void SetUp() override {
        NativeWindow::SetUp();
        ASSERT_TRUE(input);
        // Wherever an earlier test left the pointer, it is not over this window: the
        // window gets the focus and the pointer only when a test gives them.
        input.parkPointer();
        window = makeWindow(100, 100, 200, 200);
        ASSERT_NE(window, nullptr);
        synchronise();
        test::waitFor([] { return sawMessage(WM_PAINT); }, pump);
        logged.clear();
    }
    void TearDown() override {
        destroyWindow(window);
        input.parkPointer();
        NativeWindow::TearDown();
    }

    test::XInput input;
    WindowHandle window = nullptr;
};

TEST_F(NativeInput, MouseMessagesCarryPositionKeyStateAndWheel) {
    input.moveTo(150, 160);
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_MOUSEMOVE); }, pump));
    EXPECT_EQ(messagesOf(WM_MOUSEMOVE).back().lParam, makeLParam(50, 60));
    EXPECT_EQ(messagesOf(WM_MOUSEMOVE).back().wParam, 0u);

    input.button(Button1, true);
    input.moveTo(20, 170); // held: still reported to this window, left of it
    input.button(Button1, false);
    input.moveTo(150, 160);
    input.key(XK_Shift_L, true);
    input.button(Button3, true);
    input.button(Button3, false);
    input.key(XK_Shift_L, false);
    input.click(Button5);
    input.click(Button4);
    ASSERT_TRUE(test::waitFor([] { return messagesOf(WM_MOUSEWHEEL).size() == 2; }, pump));

    auto down = messagesOf(WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].wParam, MK_LBUTTON);
    // The server may report the first position twice (the pointer's arrival and its move):
    // the drag is the first move with the button held.
    const auto moves = messagesOf(WM_MOUSEMOVE);
    const auto held =
        std::find_if(moves.begin(), moves.end(), [](const auto& move) { return move.wParam != 0; });
    ASSERT_NE(held, moves.end()) << "a move with the button held";
    const auto dragged = *held;
    EXPECT_EQ(dragged.wParam, MK_LBUTTON);
    EXPECT_EQ(signedLowWord(std::uintptr_t(dragged.lParam)), -80);
    auto up = messagesOf(WM_LBUTTONUP);
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].wParam, 0u) << "the released button is no longer down";
    auto right = messagesOf(WM_RBUTTONDOWN);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(right[0].wParam, MK_RBUTTON | MK_SHIFT);
    auto wheel = messagesOf(WM_MOUSEWHEEL);
    EXPECT_EQ(signedHighWord(wheel[0].wParam), -WHEEL_DELTA) << "toward the user";
    EXPECT_EQ(signedHighWord(wheel[1].wParam), WHEEL_DELTA) << "away from the user";
}

TEST_F(NativeInput, LeaveIsReportedOnceAndOnlyWhenTracked) {
    WindowHandle child = makeWindow(50, 50, 50, 50, window);
    input.moveTo(170, 170);
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_MOUSEMOVE); }, pump));
    input.moveTo(10, 10);
    input.moveTo(170, 170);
    ASSERT_TRUE(test::waitFor([] { return messagesOf(WM_MOUSEMOVE).size() >= 2; }, pump));
    EXPECT_FALSE(sawMessage(WM_MOUSELEAVE)) << "nobody asked";

    trackMouseLeave(child);
    input.moveTo(10, 10);
    input.moveTo(5, 5);
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_MOUSELEAVE); }, pump));
    input.moveTo(170, 170);
    input.moveTo(10, 10);
    test::waitFor([] { return false; }, pump, std::chrono::milliseconds(100));
    auto left = messagesOf(WM_MOUSELEAVE);
    ASSERT_EQ(left.size(), 1u) << "tracking ends with the report";
    EXPECT_EQ(left[0].window, child);
}

// A child that asked for the keyboard hears the keys of its focused top-level window even
// while the pointer is outside it; a child that did not leaves them to the window.
TEST_F(NativeInput, AChildThatAskedForTheKeyboardHearsItsWindowsKeys) {
    WindowHandle quiet = makeWindow(0, 0, 50, 50, window);
    WindowHandle listener = makeWindow(50, 50, 50, 50, window);
    input.focus(nativeWindowId(window));
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_ACTIVATE); }, pump));
    input.key(XK_b, true);
    input.key(XK_b, false);
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_KEYUP); }, pump));
    EXPECT_EQ(messagesOf(WM_KEYDOWN).back().window, window);

    ASSERT_TRUE(setKeyboardInput(listener, true));
    logged.clear();
    input.key(XK_c, true);
    input.key(XK_c, false);
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_KEYUP); }, pump));
    EXPECT_EQ(messagesOf(WM_KEYDOWN).back().window, listener) << "the pointer is parked outside";
    EXPECT_EQ(messagesOf(WM_KEYUP).back().window, listener);

    ASSERT_TRUE(setKeyboardInput(listener, false));
    logged.clear();
    input.key(XK_d, true);
    input.key(XK_d, false);
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_KEYUP); }, pump));
    EXPECT_EQ(messagesOf(WM_KEYDOWN).back().window, window);
    destroyWindow(quiet);
    destroyWindow(listener);
    input.focus(PointerRoot);
}

TEST_F(NativeInput, HeldKeyRepeatsWithBit30AndTypesCharacters) {
    input.focus(nativeWindowId(window));
    ASSERT_TRUE(test::waitFor([] { return sawMessage(WM_ACTIVATE); }, pump));
    EXPECT_EQ(messagesOf(WM_ACTIVATE).size(), 1u) << "the window gains the focus once";
    EXPECT_EQ(messagesOf(WM_ACTIVATE).back().wParam, WA_ACTIVE);

    input.key(XK_a, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(900)); // the server repeats it
    input.key(XK_Shift_R, true);
    ASSERT_TRUE(test::waitFor(
        [] {
            auto downs = messagesOf(WM_KEYDOWN);
            return std::any_of(downs.begin(), downs.end(),
                               [](const Logged& m) { return m.wParam == VK_SHIFT; });
        },
        pump));
    EXPECT_TRUE(isKeyDown(VK_SHIFT));
    EXPECT_TRUE(isKeyDown(VK_RSHIFT));
    EXPECT_FALSE(isKeyDown(VK_LSHIFT));
    input.key(XK_Shift_R, false);
    input.key(XK_a, false);
    ASSERT_TRUE(test::waitFor([] { return messagesOf(WM_KEYUP).size() == 2; }, pump));

    auto downs = messagesOf(WM_KEYDOWN);
    std::erase_if(downs, [](const Logged& m) { return m.wParam == VK_SHIFT; });
    ASSERT_GE(downs.size(), 2u) << "a key held for 900 ms repeats";
    EXPECT_FALSE(downs[0].lParam & KEY_PREVIOUSLY_DOWN);
    for (std::size_t i = 0; i < downs.size(); ++i) {
        ASSERT_EQ(downs[i].wParam, std::uintptr_t('A'));
        EXPECT_EQ(bool(downs[i].lParam & KEY_PREVIOUSLY_DOWN), i > 0);
    }
    auto characters = messagesOf(WM_CHAR);
    ASSERT_EQ(characters.size(), downs.size()) << "every press of 'a' types one, shift none";
    EXPECT_EQ(characters[0].wParam, std::uintptr_t('a'));
    auto ups = messagesOf(WM_KEYUP);
    EXPECT_EQ(ups[1].wParam, std::uintptr_t('A'));
    EXPECT_TRUE(ups[1].lParam & KEY_TRANSITION_UP);
    EXPECT_FALSE(isKeyDown('A'));

    input.focus(PointerRoot);
    EXPECT_TRUE(
        test::waitFor([] { return messagesOf(WM_ACTIVATE).back().wParam == WA_INACTIVE; }, pump));
}

} // namespace
} // namespace orvane::native
