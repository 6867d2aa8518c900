#include "orvane/application/Message.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Context.h"
#include "tests/gui3d/RecordingViews.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace orvane::gui3d {
namespace {

using namespace graphics3d; // GL table and constants
using Names = std::vector<std::string>;
using test::eventNames;
using test::RecordingView;

// A root on a render context without a window or OpenGL behind it, 64 x 48 pixels.
class RootTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = graphics3d::Context::createForCurrent();
        context->release();
        context->frameBuffer.setWidth(64);
        context->frameBuffer.setHeight(48);
        root = new test::RecordingRoot(log, context);
    }
    void TearDown() override {
        if (root)
            root->release();
        context->retire();
    }
    RecordingView* add(const char* name, const View::Rectangle& area) {
        auto* view = new RecordingView(log, name, area);
        EXPECT_TRUE(root->addView(view));
        view->release();
        return view;
    }

    GLRecorder recorder;
    graphics3d::Context* context = nullptr;
    gui::test::EventLog log;
    Root* root = nullptr;
};

TEST_F(RootTest, AnchoredViewsFollowTheRealChangeOfSize) {
    EXPECT_EQ(root->getClassName(), "Object:Handler:Messenger:Root");
    EXPECT_EQ(root->width, 64.0f);
    EXPECT_FALSE(root->eventsAreEnabled());
    RecordingView* moving = add("moving", {40, 30, 20, 10});
    moving->anchors = View::ANCHOR_RIGHT | View::ANCHOR_BOTTOM;
    RecordingView* growing = add("growing", {4, 4, 20, 10});
    growing->anchors =
        View::ANCHOR_LEFT | View::ANCHOR_RIGHT | View::ANCHOR_TOP | View::ANCHOR_BOTTOM;
    RecordingView* fixed = add("fixed", {1, 2, 3, 4});
    RecordingView* pinned = add("pinned", {1, 2, 3, 4});
    pinned->anchors = View::ANCHOR_LEFT | View::ANCHOR_TOP;
    RecordingView* wide = add("wide", {1, 2, 3, 4});
    wide->anchors = View::ANCHOR_LEFT | View::ANCHOR_RIGHT | View::ANCHOR_BOTTOM;
    log.clear();

    EXPECT_TRUE(root->resize({100, 60}));
    EXPECT_EQ(moving->frame, (View::Rectangle{76, 42, 20, 10})) << "moved by (36, 12)";
    EXPECT_EQ(moving->worldTransform.c, 76.0f) << "its transform follows";
    EXPECT_EQ(growing->frame, (View::Rectangle{4, 4, 56, 22})) << "grown by (36, 12)";
    EXPECT_EQ(growing->bounds, (View::Rectangle{0, 0, 56, 22}));
    EXPECT_EQ(fixed->frame, (View::Rectangle{1, 2, 3, 4}));
    EXPECT_EQ(pinned->frame, (View::Rectangle{1, 2, 3, 4}));
    EXPECT_EQ(wide->frame, (View::Rectangle{1, 14, 39, 4})) << "stretched across, moved down";
    EXPECT_EQ(log.count("growing.resized"), 1u);
    EXPECT_EQ(log.count("fixed.resized"), 0u);

    root->resize({100, 60});
    EXPECT_EQ(moving->frame.x, 76.0f) << "no change, no move";
    root->resize({90, 60});
    EXPECT_EQ(moving->frame.x, 66.0f);
    EXPECT_EQ(root->lastWidth, 90.0f);
}

TEST_F(RootTest, ThePointerEntersMovesAndLeavesViewsInOrder) {
    add("a", {0, 0, 10, 10});
    add("b", {10, 0, 10, 10});
    log.clear();
    root->mouseEnter({5, 5}, 0);
    EXPECT_FALSE(root->mouseMove({5, 5}, 0x10000));
    root->mouseMove({6, 5}, 0);
    EXPECT_EQ(root->getHover()->getName(), "a") << "still over a: no leave";
    root->mouseMove({10, 5}, 0);
    root->mouseMove({25, 5}, 0);
    EXPECT_EQ(root->getHover(), nullptr);
    root->mouseMove({15, 9}, 0);
    root->mouseLeave();
    EXPECT_EQ(eventNames(log),
              (Names{"a.mouseEnter", "a.mouseMove", "a.mouseMove", "a.mouseLeave", "b.mouseEnter",
                     "b.mouseMove", "b.mouseLeave", "b.mouseEnter", "b.mouseMove", "b.mouseLeave"}))
        << "one enter per visit; the shared edge x = 10 belongs to b alone";
    auto entered = log.named("b.mouseEnter");
    EXPECT_EQ(entered[0].x, 0) << "local points everywhere";
    EXPECT_EQ(entered[1].x, 5);
    EXPECT_EQ(entered[1].y, 9);
    EXPECT_EQ(log.named("a.mouseMove")[0].flags, 0x10000u);
}

TEST_F(RootTest, AViewThatTakesAMoveHidesItFromTheViewsAfterIt) {
    RecordingView* top = add("top", {0, 0, 20, 20});
    add("under", {0, 0, 20, 20});
    log.clear();
    top->consumes = true;
    EXPECT_TRUE(root->mouseMove({1, 1}, 0));
    EXPECT_EQ(eventNames(log), (Names{"top.mouseEnter", "top.mouseMove"}));
    top->consumes = false;
    log.clear();
    EXPECT_FALSE(root->mouseMove({2, 2}, 0));
    EXPECT_FALSE(root->mouseMove({3, 2}, 0));
    EXPECT_EQ(eventNames(log),
              (Names{"top.mouseMove", "under.mouseMove", "top.mouseMove", "under.mouseMove"}))
        << "the view beneath hears the moves, the first one alone enter and leave";
    EXPECT_EQ(root->getHover(), top);
}

// The pointer's arrival is offered to the views under it until one takes it; the first of
// them is the hover view, so the moves that follow enter nothing more.
TEST_F(RootTest, AnEnterIsOfferedUntilAViewTakesIt) {
    RecordingView* top = add("top", {0, 0, 20, 20});
    RecordingView* middle = add("middle", {0, 0, 20, 20});
    add("bottom", {0, 0, 20, 20});
    add("aside", {30, 0, 10, 10});
    middle->takesEnter = true;
    log.clear();
    EXPECT_TRUE(root->mouseEnter({4, 6}, 0));
    EXPECT_EQ(eventNames(log), (Names{"top.mouseEnter", "middle.mouseEnter"}));
    EXPECT_EQ(root->getHover(), top);
    EXPECT_EQ(log.named("middle.mouseEnter")[0].x, 4) << "local points";
    log.clear();
    root->mouseMove({5, 6}, 0);
    EXPECT_EQ(eventNames(log), (Names{"top.mouseMove", "middle.mouseMove", "bottom.mouseMove"}));
}

// Views that leave or join the root from inside a dispatch: every walk goes on over the
// views it started with that are still there, nothing freed is touched (ASan), and a view
// that joined hears the next walk.
TEST_F(RootTest, ViewsMayLeaveOrJoinFromInsideEveryDispatch) {
    const auto build = [&] {
        while (View* view = root->getViews().first())
            root->removeView(view);
        auto make = [&](const char* name) {
            auto* view = new test::MeddlingView(log, name, {0, 0, 20, 20});
            view->anchors = View::ANCHOR_LEFT | View::ANCHOR_RIGHT;
            EXPECT_TRUE(root->addView(view));
            view->release();
            return view;
        };
        test::MeddlingView* quitter = make("quitter");
        test::MeddlingView* remover = make("remover");
        test::MeddlingView* victim = make("victim");
        make("last");
        quitter->onEvent = [this](test::MeddlingView& self) { root->removeView(&self); };
        remover->onEvent = [this, victim](test::MeddlingView&) {
            root->removeView(victim);
            auto* late = new RecordingView(log, "late", {0, 0, 20, 20});
            root->addView(late);
            late->release();
        };
        log.clear();
    };
    const std::vector<std::pair<const char*, std::function<void()>>> dispatches = {
        {"mouseMove",
         [&] {
             root->mouseMove({5, 5}, 0);
         }},
        {"mouseButton",
         [&] {
             root->mouseButton({5, 5}, 0x1000);
         }},
        {"mouseEnter",
         [&] {
             root->mouseEnter({5, 5}, 0);
         }},
        {"paint", [&] { root->paint(); }},
        {"resized",
         [&] {
             root->resize({root->width + 10, root->height});
         }},
        {"activated", [&] { root->activate(); }},
        {"deactivated", [&] { root->deactivate(); }},
    };
    for (const auto& [event, dispatch] : dispatches) {
        build();
        dispatch();
        const std::string what = event;
        // On a move the first view under the pointer hears the enter first, and leaves then.
        const std::string quits = what == "mouseMove" ? "mouseEnter" : what;
        EXPECT_EQ(log.count("quitter." + quits), 1u) << what;
        EXPECT_EQ(log.count("victim." + what), 0u) << what << ": removed before its turn";
        EXPECT_EQ(log.count("last." + what), 1u) << what << ": the walk goes on";
        EXPECT_EQ(log.count("late." + what), 0u) << what << ": joined during the walk";
        Names left;
        for (View* view = root->getViews().first(); view; view = root->getViews().next(view))
            left.push_back(view->getName().cString());
        EXPECT_EQ(left, (Names{"remover", "last", "late"})) << what;
    }
    // A hover view that leaves when the pointer moves off it.
    build();
    for (View* view = root->getViews().first(); view; view = root->getViews().next(view))
        if (auto* meddling = dynamic_cast<test::MeddlingView*>(view))
            meddling->onEvent = nullptr;
    root->mouseMove({5, 5}, 0);
    auto* hover = dynamic_cast<test::MeddlingView*>(root->getHover());
    ASSERT_NE(hover, nullptr);
    hover->onEvent = [this](test::MeddlingView& self) { root->removeView(&self); };
    root->mouseMove({50, 40}, 0);
    EXPECT_EQ(root->getHover(), nullptr);
    EXPECT_EQ(log.count("quitter.mouseLeave"), 1u);
    root->mouseLeave();
}

TEST_F(RootTest, LocalPointsUndoTheWholeTransform) {
    RecordingView* scaled = add("scaled", {10, 20, 40, 20});
    scaled->setTransform(graphics::Transform<float>(2, 0, 4, 0, 4, 8));
    View::Point local;
    ASSERT_TRUE(scaled->toLocal({30, 36}, local));
    EXPECT_EQ(local, (View::Point{8, 2})) << "(30 - 10 - 4) / 2, (36 - 20 - 8) / 4";

    // A quarter turn: x' = -y, y' = x. The cross terms matter.
    View rotated({10, 20, 40, 40});
    rotated.setTransform(graphics::Transform<float>(0, -1, 0, 1, 0, 0));
    ASSERT_TRUE(rotated.toLocal({7, 25}, local));
    EXPECT_EQ(local, (View::Point{5, 3}));
    graphics::Point<float> back = rotated.worldTransform.map(local);
    EXPECT_EQ(back, (graphics::Point<float>{7, 25})) << "the world transform maps it back";

    View flat({0, 0, 10, 10});
    flat.setTransform(graphics::Transform<float>(1, 0, 0, 0, 0, 0));
    EXPECT_FALSE(flat.toLocal({1, 1}, local)) << "no inverse, no point";
    EXPECT_TRUE(flat.contains({0, 0}));
    EXPECT_FALSE(flat.contains({10, 5})) << "the right edge is outside";
    EXPECT_FALSE(flat.contains({5, 10}));

    scaled->consumes = true;
    EXPECT_TRUE(root->mouseButton({30, 36}, 0x1000));
    auto pressed = log.named("scaled.mouseButton");
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(pressed[0].x, 8);
    EXPECT_EQ(pressed[0].flags, 0x1000u);
    EXPECT_FALSE(root->mouseButton({5, 5}, 0x1000)) << "nobody there";
}

TEST_F(RootTest, FocusMovesBetweenViewsOfThisRootOnly) {
    RecordingView* a = add("a", {0, 0, 10, 10});
    RecordingView* b = add("b", {0, 0, 10, 10});
    RecordingView stranger(log, "stranger", {0, 0, 1, 1});
    log.clear();
    EXPECT_FALSE(root->setFocus(&stranger));
    EXPECT_TRUE(root->setFocus(a));
    EXPECT_TRUE(root->setFocus(a));
    EXPECT_TRUE(root->setFocus(b));
    EXPECT_FALSE(root->releaseFocus(a)) << "a has no focus to give up";
    EXPECT_TRUE(root->releaseFocus(nullptr));
    EXPECT_TRUE(root->releaseFocus(b));
    EXPECT_EQ(root->getFocus(), nullptr);
    root->setFocus(a);
    root->clearFocus();
    root->clearFocus();
    root->setFocus(b);
    EXPECT_TRUE(root->removeView(b));
    EXPECT_EQ(root->getFocus(), nullptr);
    EXPECT_EQ(eventNames(log), (Names{"a.focusGained", "a.focusLost", "b.focusGained",
                                      "b.focusLost", "a.focusGained", "a.focusLost",
                                      "b.focusGained", "b.focusLost", "b.detached"}));
}

TEST_F(RootTest, ViewsJoinOneRootAndAreLetGoWhenItDies) {
    auto* view = new RecordingView(log, "v", {0, 0, 10, 10});
    ASSERT_TRUE(root->addView(view));
    EXPECT_EQ(view->getRoot(), root);
    EXPECT_EQ(view->painter, root->painter.get());
    EXPECT_EQ(view->getMessenger(), root);
    EXPECT_FALSE(root->addView(view)) << "already in a root";
    RecordingView child(log, "child", {0, 0, 1, 1});
    child.parent = view;
    EXPECT_FALSE(root->addView(&child)) << "only top-level views";
    EXPECT_FALSE(root->removeView(&child));
    child.parent = nullptr;

    root->mouseMove({1, 1}, 0);
    EXPECT_EQ(root->getHover(), view);
    EXPECT_TRUE(root->removeView(view));
    EXPECT_EQ(root->getHover(), nullptr);
    EXPECT_EQ(view->getRoot(), nullptr);
    EXPECT_EQ(view->getMessenger(), nullptr);
    EXPECT_EQ(view->getReferenceCount(), 1) << "both of the root's references returned";
    EXPECT_FALSE(root->removeView(view));

    ASSERT_TRUE(root->addView(view));
    root->setFocus(view);
    log.clear();
    root->release();
    root = nullptr;
    EXPECT_EQ(eventNames(log), (Names{"v.focusLost", "v.detached"}));
    EXPECT_EQ(view->getReferenceCount(), 1);
    EXPECT_EQ(view->getRoot(), nullptr);
    view->release();
}

// Counts the instances alive, to see that queued messages let go of their objects.
class Tracked : public object::Object {
public:
    Tracked() { ++alive; }
    ~Tracked() override { --alive; }
    static inline int alive = 0;
};

TEST_F(RootTest, SendsFromItsThreadArriveAndMessagesFromOthersAreKeptUntilItDies) {
    RecordingView* view = add("v", {0, 0, 10, 10});
    log.clear();
    EXPECT_TRUE(view->send(7));
    EXPECT_EQ(eventNames(log), (Names{"v.message"}));

    std::thread other([&] {
        application::Message message(8);
        auto* tracked = new Tracked;
        message.addObject("payload", tracked);
        tracked->release();
        EXPECT_TRUE(view->post(message));
        EXPECT_TRUE(view->send(message));
        EXPECT_TRUE(root->post(9));
    });
    other.join();
    EXPECT_EQ(log.count("v.message"), 1u) << "nothing from the other thread is delivered";
    EXPECT_EQ(root->queuedMessages(), 3u);
    EXPECT_EQ(Tracked::alive, 1) << "the queued copies hold the payload";
    root->post(10);
    EXPECT_EQ(root->queuedMessages(), 4u) << "posts queue even on the root's own thread";
    root->release();
    root = nullptr;
    EXPECT_EQ(Tracked::alive, 0) << "released with the root's queue";
}

TEST_F(RootTest, PaintDrawsEachViewThroughItsWorldTransformInsideTheRoot) {
    add("a", {10, 20, 5, 5});
    RecordingView* b = add("b", {30, 4, 6, 2});
    b->setTransform(graphics::Transform<float>(2, 0, 0, 0, 2, 0));
    recorder.clear();
    root->paint();
    Names calls = recorder.takeCalls();
    auto at = std::find(calls.begin(), calls.end(), "glEnable(GL_SCISSOR_TEST)");
    ASSERT_NE(at, calls.end());
    EXPECT_EQ(Names(at + 3, calls.end()),
              (Names{"glScissor(0, 0, 64, 48)",
                     "glLoadMatrixf({1,0,0,0,0,1,0,0,0,0,1,0,10,20,0,1})",
                     "glColor4f(1, 1, 1, 1)",
                     "glBegin(GL_QUADS)",
                     "glVertex2f(0, 0)",
                     "glVertex2f(0, 5)",
                     "glVertex2f(5, 5)",
                     "glVertex2f(5, 0)",
                     "glEnd()",
                     "glLoadMatrixf({2,0,0,0,0,2,0,0,0,0,1,0,30,4,0,1})",
                     "glBegin(GL_QUADS)",
                     "glVertex2f(0, 0)",
                     "glVertex2f(0, 1)",
                     "glVertex2f(3, 1)",
                     "glVertex2f(3, 0)",
                     "glEnd()",
                     "glDisable(GL_SCISSOR_TEST)",
                     "glShadeModel(GL_SMOOTH)",
                     "glPopMatrix()",
                     "glMatrixMode(GL_PROJECTION)",
                     "glPopMatrix()"}))
        << "b's bounds are its 6 x 2 pixels in local units of 2";
    EXPECT_EQ(eventNames(log, "a.paint").size() + eventNames(log, "b.paint").size(), 2u);

    log.clear();
    root->activate();
    EXPECT_EQ(eventNames(log), (Names{"a.activated", "b.activated"}));
}

} // namespace
} // namespace orvane::gui3d
