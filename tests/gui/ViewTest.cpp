#include "orvane/gui/View.h"
#include "orvane/gui/InputFlags.h"
#include "orvane/gui/Window.h"
#include "orvane/native/Messages.h"

#include <gtest/gtest.h>

namespace orvane::gui {
namespace {

using Rect = graphics::Rectangle<float>;
using Point = graphics::Point<float>;

// Geometry is plain arithmetic on the view's fields: no window or display involved.
class GeometryView : public View {
public:
    using View::childRectangle;
    using View::View;
};

TEST(ViewGeometry, ScaleKeepsThePixelRectangleAndShrinksTheBounds) {
    GeometryView view({10, 20, 100, 50});
    EXPECT_EQ(view.bounds, (Rect{0, 0, 100, 50}));
    EXPECT_EQ(view.worldTransform.map(Point{0, 0}), (Point{10, 20}));

    view.setScale(2, 4);
    EXPECT_EQ(view.bounds, (Rect{0, 0, 50, 12.5f})) << "local units are bigger now";
    EXPECT_EQ(view.childRectangle(), (Rect{10, 20, 100, 50})) << "the pixels stay";
    EXPECT_EQ(view.worldTransform.map(Point{50, 12.5f}), (Point{110, 70}));

    view.setGeometry({0, 0, 40, 40});
    EXPECT_EQ(view.bounds, (Rect{0, 0, 20, 10}));
    EXPECT_EQ(view.transform.a, 2) << "the scale survives a move";
    EXPECT_EQ(view.getClassName(), "Object:Handler:View");
}

TEST(ViewGeometry, AChildComposesWithItsParentsWorldTransform) {
    GeometryView parent({100, 100, 200, 200});
    parent.setScale(2, 2);
    GeometryView child({10, 10, 20, 20});
    child.parent = &parent;
    child.updateTransform();
    // The child's origin sits at (10, 10) in the parent's local units: (120, 120) in pixels.
    EXPECT_EQ(child.worldTransform.map(Point{0, 0}), (Point{120, 120}));
    EXPECT_EQ(child.worldTransform.map(Point{1, 0}), (Point{122, 120}));
}

TEST(ViewGeometry, TranslatedTransformsDoNotShiftTheChildWindow) {
    GeometryView view({30, 40, 60, 20});
    view.transform = graphics::Transform<float>(1, 0, 15, 0, 1, -5);
    view.setGeometry({30, 40, 60, 20});
    EXPECT_EQ(view.bounds, (Rect{-15, 5, 60, 20}));
    EXPECT_EQ(view.childRectangle(), (Rect{30, 40, 60, 20}));
}

TEST(InputFlags, MouseKeyStateBecomesDownOrUpFlagsPerButton) {
    using namespace native;
    EXPECT_EQ(mouseFlags(0), LEFT_UP | RIGHT_UP | MIDDLE_UP);
    EXPECT_EQ(mouseFlags(MK_LBUTTON | MK_SHIFT), LEFT_DOWN | RIGHT_UP | MIDDLE_UP | SHIFT_HELD);
    EXPECT_EQ(mouseFlags(MK_RBUTTON | MK_MBUTTON | MK_CONTROL),
              LEFT_UP | RIGHT_DOWN | MIDDLE_DOWN | CONTROL_HELD);
    EXPECT_EQ(buttonFlag(WM_MBUTTONUP), MIDDLE_UP);
    EXPECT_EQ(buttonFlag(WM_MOUSEMOVE), 0u);
}

TEST(WindowWithoutThread, OperationsNeedingTheNativeWindowRefuse) {
    Window window;
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.close());
    EXPECT_FALSE(window.show());
    EXPECT_FALSE(window.invalidate());
    EXPECT_TRUE(window.setSize({100, 80})) << "stored while closed";
    EXPECT_EQ(window.size.width, 100);
    EXPECT_EQ(window.getClassName(), "Object:Handler:Messenger:Looper:Window");
    window.setTitle("named");
    EXPECT_EQ(window.getName(), "named");
}

} // namespace
} // namespace orvane::gui
