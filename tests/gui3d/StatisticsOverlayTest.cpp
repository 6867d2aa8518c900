#include "orvane/gui3d/StatisticsOverlay.h"

#include <gtest/gtest.h>

namespace orvane::gui3d {
namespace {

using Lines = std::vector<std::string>;

TEST(StatisticsOverlay, CountsTheFramesOfTheLastSecondAndShowsWhatItWasGiven) {
    StatisticsOverlay overlay;
    EXPECT_EQ(overlay.lines(), (Lines{"0.0 fps", "0.00 ms a frame"})) << "no frames yet";
    overlay.frameFinished(9.9, 0.002);
    EXPECT_EQ(overlay.framesPerSecond(), 0.0) << "one frame has no rate";
    for (int i = 1; i <= 50; ++i)
        overlay.frameFinished(10.0 + i * 0.02, 0.004);
    EXPECT_NEAR(overlay.framesPerSecond(), 50.0, 1e-6);
    EXPECT_NEAR(overlay.frameMilliseconds(), 4.0, 1e-9) << "the frame at 9.9 has left the second";

    // A pause: only the frames of the last second count.
    overlay.frameFinished(20.0, 0.010);
    overlay.frameFinished(20.5, 0.010);
    EXPECT_NEAR(overlay.framesPerSecond(), 2.0, 1e-9);
    EXPECT_NEAR(overlay.frameMilliseconds(), 10.0, 1e-9);

    overlay.setGLCalls(1234);
    overlay.setModel("f5e_05.3ds", 5012);
    EXPECT_EQ(overlay.lines(), (Lines{"2.0 fps", "10.00 ms a frame", "1234 GL calls a frame",
                                      "f5e_05.3ds", "5012 triangles"}));
    EXPECT_EQ(overlay.getClassName(), "Object:Handler:View:Label:StatisticsOverlay");
}

} // namespace
} // namespace orvane::gui3d
