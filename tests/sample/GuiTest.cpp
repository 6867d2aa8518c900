#include "orvane/sample/Gui.h"
#include "orvane/gui/InputFlags.h"
#include "orvane/gui3d/View.h"
#include "tests/support/OffscreenGL.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvane::sample {
namespace {

// A Gui that counts the redraws it asks for instead of invalidating a window.
class CountingGui : public Gui {
public:
    using Gui::Gui;
    void redraw() override { ++redraws; }
    int redraws = 0;
};

// Rows times a column vector, for the upper-left 3 x 3 block.
void apply(const float m[16], const float v[3], float out[3]) {
    for (int row = 0; row < 3; ++row)
        out[row] = m[row * 4] * v[0] + m[row * 4 + 1] * v[1] + m[row * 4 + 2] * v[2];
}

class GuiControl : public ::testing::Test {
protected:
    void SetUp() override { ORVANE_REQUIRE_OFFSCREEN(offscreen); }
    void TearDown() override {
        if (gui)
            gui->release();
    }
    CountingGui& control() {
        if (!gui)
            gui = new CountingGui(&offscreen.context());
        return *gui;
    }
    // One drag step from the last position by (dx, dy) pixels.
    void move(float dx, float dy, std::uint32_t buttons) {
        control().mouseMove({control().mouseX + dx, control().mouseY + dy}, buttons);
    }
    // The angle change of a one-pixel middle drag, as the control computes it.
    static float step() { return 1.0f * 180.0f * 0.002f; }

    test::OffscreenGL offscreen{16, 16};
    CountingGui* gui = nullptr;
};

TEST_F(GuiControl, StartsUnrotatedAt400UnitsAlongNegativeZ) {
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, -400, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(control().modelMatrix[i], expected[i]) << i;
    EXPECT_EQ(control().getClassName(), "Object:Handler:Messenger:Root:Gui");
}

TEST_F(GuiControl, AnglesWrapByOneTurnOnlyBeyond360Degrees) {
    ASSERT_EQ((361.0f - step()) + step(), 361.0f) << "the test's own arithmetic";
    control().angleA = 361.0f - step();
    move(0, 1, gui::MIDDLE_DOWN);
    EXPECT_NEAR(gui->angleA, 1.0f, 1e-4f) << "361 becomes 1";

    ASSERT_EQ((360.0f - step()) + step(), 360.0f);
    gui->angleA = 360.0f - step();
    move(0, 1, gui::MIDDLE_DOWN);
    EXPECT_EQ(gui->angleA, 360.0f) << "360 itself stays";

    gui->angleA = -361.0f + step();
    move(0, -1, gui::MIDDLE_DOWN);
    EXPECT_NEAR(gui->angleA, -1.0f, 1e-4f) << "-361 becomes -1";

    // The y rotation follows the horizontal motion, with the same rule.
    gui->angleB = 361.0f - step();
    move(1, 0, gui::MIDDLE_DOWN);
    EXPECT_NEAR(gui->angleB, 1.0f, 1e-4f);
    EXPECT_EQ(gui->redraws, 4);
}

TEST_F(GuiControl, TheRightButtonZoomsByTheSumOfBothMotionsSoADiagonalDragCancels) {
    move(1, 1, gui::RIGHT_DOWN); // one pixel right and one down
    EXPECT_EQ(control().zoom, 0.0f);
    EXPECT_EQ(gui->modelMatrix[11], -400.0f);
    EXPECT_EQ(gui->redraws, 1) << "still redrawn: a button is down";
    move(0, -100, gui::RIGHT_DOWN); // up is nearer
    EXPECT_FLOAT_EQ(gui->zoom, 10.0f);
    EXPECT_FLOAT_EQ(gui->modelMatrix[11], -390.0f);
    EXPECT_EQ(gui->panX, 0.0f);
    EXPECT_EQ(gui->angleA, 0.0f);
}

// The jet's sphere (276.83 units) between the scene's planes at 10 and 800 units: the wheel
// stops where the model would cross the near plane or leave past the far one, a reset
// comes back to the start, and a sphere too large for the planes leaves the wheel free.
TEST_F(GuiControl, TheWheelStopsWhereTheModelWouldCrossTheNearOrTheFarPlane) {
    const float reach = 276.83f;
    control().limitZoomFor(reach, 10.0f, 800.0f);
    for (int notch = 0; notch < 100; ++notch)
        gui->mouseWheel(120, 0);
    EXPECT_NEAR(Gui::DISTANCE - gui->zoom - reach, 10.0f, 1e-3f) << "touching the near plane";
    EXPECT_NEAR(gui->modelMatrix[11], gui->zoom - Gui::DISTANCE, 1e-3f);
    for (int notch = 0; notch < 200; ++notch)
        gui->mouseWheel(-120, 0);
    EXPECT_NEAR(Gui::DISTANCE - gui->zoom + reach, 800.0f, 1e-3f) << "touching the far plane";
    gui->reset();
    EXPECT_EQ(gui->zoom, 0.0f);

    gui->zoom = 50.0f;
    gui->setZoomLimits(-20.0f, 20.0f);
    EXPECT_EQ(gui->zoom, 20.0f) << "moved inside at once";

    auto* free = new CountingGui(&offscreen.context());
    free->limitZoomFor(500.0f, 10.0f, 800.0f);
    for (int notch = 0; notch < 100; ++notch)
        free->mouseWheel(120, 0);
    EXPECT_FLOAT_EQ(free->zoom, 1200.0f) << "no limits where the model cannot fit";
    free->release();
}

TEST_F(GuiControl, TheLeftButtonPansATenthOfAUnitAPixelAlongTheMotion) {
    move(10, 20, gui::LEFT_DOWN);
    EXPECT_FLOAT_EQ(control().panX, 1.0f);
    EXPECT_FLOAT_EQ(gui->panY, -2.0f) << "y grows downwards on the screen, upwards in the scene";
    EXPECT_FLOAT_EQ(gui->modelMatrix[3], 1.0f);
    EXPECT_FLOAT_EQ(gui->modelMatrix[7], -2.0f);
    EXPECT_EQ(gui->previousX, 0.0f);
    EXPECT_EQ(gui->mouseX, 10.0f);
}

TEST_F(GuiControl, WithoutAButtonOnlyThePointerIsFollowedAndNothingIsRedrawn) {
    float before[16];
    std::copy(std::begin(control().modelMatrix), std::end(control().modelMatrix), before);
    move(40, -30, 0);
    move(5, 5, gui::SHIFT_HELD | gui::CONTROL_HELD);
    EXPECT_EQ(gui->redraws, 0);
    EXPECT_EQ(gui->mouseX, 45.0f);
    EXPECT_EQ(gui->previousX, 40.0f);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(gui->modelMatrix[i], before[i]);
    // The next drag starts from the last position, not from where a button went down.
    move(10, 0, gui::LEFT_DOWN);
    EXPECT_FLOAT_EQ(gui->panX, 1.0f);
}

TEST_F(GuiControl, RotatesAboutTheDiagonalAfterRotatingAboutY) {
    control().angleA = 180.0f - 250 * step();
    control().angleB = 90.0f - 250 * step();
    move(250, 250, gui::MIDDLE_DOWN);
    ASSERT_NEAR(gui->angleA, 180.0f, 1e-3f);
    ASSERT_NEAR(gui->angleB, 90.0f, 1e-3f);
    // x turns to -z about y, and the half turn about (1, 1, 0) takes -z to +z. The other
    // order would give (0, 1, 0).
    const float x[3] = {1, 0, 0};
    float image[3];
    apply(gui->modelMatrix, x, image);
    EXPECT_NEAR(image[0], 0.0f, 1e-4f);
    EXPECT_NEAR(image[1], 0.0f, 1e-4f);
    EXPECT_NEAR(image[2], 1.0f, 1e-4f);
    // The diagonal's own rotation leaves the diagonal where it is.
    float only[16];
    Gui::placement(0, 0, 0, 73.0f, 0, only);
    const float diagonal[3] = {1, 1, 0};
    apply(only, diagonal, image);
    EXPECT_NEAR(image[0], 1.0f, 1e-5f);
    EXPECT_NEAR(image[1], 1.0f, 1e-5f);
    EXPECT_NEAR(image[2], 0.0f, 1e-5f);
}

// An in-scene view that takes every motion over it.
class Grabbing : public gui3d::View {
public:
    Grabbing()
        : gui3d::View({0, 0, 50, 50}) {}
    bool mouseMove(Point, std::uint32_t) override { return true; }
};

TEST_F(GuiControl, InSceneViewsTakeTheirMotionsFirst) {
    auto view = object::make<Grabbing>();
    control().addView(view.get());
    gui->mouseMove({10, 10}, gui::LEFT_DOWN);
    EXPECT_EQ(gui->mouseX, 0.0f) << "the view had it";
    EXPECT_EQ(gui->redraws, 0);
    gui->mouseMove({60, 10}, gui::LEFT_DOWN);
    EXPECT_FLOAT_EQ(gui->panX, 6.0f);
}

} // namespace
} // namespace orvane::sample
