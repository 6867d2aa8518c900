// The built program, run as a user runs it: under the tests' X server (make test runs
// every test under a private Xvfb), from the repository's root, without arguments unless a
// test says otherwise.

#include <gtest/gtest.h>

#include "orvane/graphics/Image.h"
#include "orvane/graphics/TranslatorPNG.h"
#include "orvane/io/SystemFile.h"
#include "orvane/object/Pointer.h"
#include "tests/sample/ViewerProcess.h"
#include "tests/sample/ViewerWindow.h"
#include "tests/support/Eventually.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/Watchdog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

namespace orvane::test {
namespace {

using namespace std::chrono_literals;
using Launch = ViewerProcess::Launch;

constexpr int LEFT = 1, MIDDLE = 2, RIGHT = 3;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

object::Pointer<graphics::Image> readPng(const std::string& path) {
    auto file = object::Pointer<io::SystemFile>::adopt(
        io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ));
    graphics::TranslatorPNG translator;
    return object::Pointer<graphics::Image>::adopt(
        translator.translate(file->getInputStream(), -1));
}

// A viewer on the screen, its window moved away from the corner where other tests' windows
// appear, showing its first frame.
class ViewerOnScreen : public ::testing::Test {
protected:
    void start(std::vector<std::string> arguments = {}) {
        ASSERT_TRUE(input) << "no X display";
        viewer = std::make_unique<ViewerProcess>(Launch{std::move(arguments)});
        ASSERT_TRUE(viewer->started());
        ASSERT_TRUE(eventually([&] {
            return (window = screen.find(viewer->pid)) != 0 || !viewer->running();
        })) << "no window titled Orvane";
        ASSERT_NE(window, 0u) << "the viewer ended: " << viewer->standardError();
        screen.moveTo(window, 600, 400);
        ASSERT_TRUE(eventually([&] {
            int x = 0, y = 0;
            return screen.origin(window, x, y) && x == 600 && y == 400;
        }));
        view = screen.view(window);
        ASSERT_NE(view, 0u);
    }
    void TearDown() override {
        if (input) {
            Display* display = input.get();
            input.moveTo(DisplayWidth(display, DefaultScreen(display)) - 1,
                         DisplayHeight(display, DefaultScreen(display)) - 1);
        }
    }

    // The view's frame once two grabs in a row agree (the ticker redraws all the time).
    Frame settledFrame() {
        Frame previous = screen.grab(view), current;
        eventually([&] {
            current = screen.grab(view);
            const bool same = !current.empty() && current == previous;
            previous = current;
            return same;
        });
        return current;
    }
    // A frame that differs from `before`, once it comes.
    Frame changedFrom(const Frame& before) {
        Frame current;
        eventually([&] {
            current = screen.grab(view);
            return !current.empty() && !(current == before);
        });
        return settledFrame();
    }
    // The first frame of the jet: black around it (before it, the window's grey shows).
    Frame jetFrame() {
        EXPECT_TRUE(eventually([&] {
            const Frame frame = screen.grab(view);
            return !frame.empty() && !frame.lit(2, 2) && frame.litCount() > 1000;
        })) << "no jet on the screen";
        return settledFrame();
    }
    // Screen position of a point of the view.
    void moveTo(int x, int y) {
        int ox = 0, oy = 0;
        screen.origin(view, ox, oy);
        input.moveTo(ox + x, oy + y);
    }
    // Presses the button at `from`, moves to `to` in one motion, releases it.
    void drag(unsigned button, int fromX, int fromY, int toX, int toY) {
        moveTo(fromX, fromY);
        input.button(button, true);
        moveTo(toX, toY);
        input.button(button, false);
    }
    void closeAndExpect(int exitCode) {
        input.sendDeleteWindow(window);
        ASSERT_TRUE(viewer->ended(60s)) << "the viewer did not end after its window was closed";
        EXPECT_EQ(viewer->exitCode, exitCode) << viewer->standardError();
    }

    DisplayLock lock;
    XInput input;
    ViewerWindow screen{input};
    std::unique_ptr<ViewerProcess> viewer;
    std::uint64_t window = 0;
    std::uint64_t view = 0;
};

TEST_F(ViewerOnScreen, ShowsTheLitJetInA300By300WindowTitledOrvaneUntilItIsClosed) {
    Watchdog watchdog(120s, "the viewer's first frame");
    start();
    int width = 0, height = 0;
    ASSERT_TRUE(screen.size(window, width, height));
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 300);
    EXPECT_EQ(screen.title(window), "Orvane");

    const Frame frame = jetFrame();
    ASSERT_EQ(frame.width, 300);
    // The jet seen from above, about 188 pixels long (the fin, nearer the eye, reaches a
    // little further back than the tail), over the black clear colour.
    EXPECT_GT(frame.litCount(), 4800);
    EXPECT_LT(frame.litCount(), 7000);
    EXPECT_GT(frame.litHeight(), 170);
    EXPECT_LT(frame.litHeight(), 205);
    int centreLit = 0;
    for (int y = 140; y < 160; ++y)
        for (int x = 140; x < 160; ++x)
            centreLit += frame.lit(x, y);
    EXPECT_GT(centreLit, 300) << "the fuselage covers the centre";
    EXPECT_FALSE(frame.lit(5, 5));
    EXPECT_FALSE(frame.lit(295, 295));
    // Lit and textured: many colours, not a flat silhouette; bright enough to read, with
    // hardly any pixel burnt to white.
    std::set<std::uint32_t> colours(frame.pixels.begin(), frame.pixels.end());
    EXPECT_GT(colours.size(), 200u);
    EXPECT_GT(frame.litLuminance(), 95.0);
    EXPECT_LT(frame.litLuminance(), 170.0);
    const auto white = std::count_if(frame.pixels.begin(), frame.pixels.end(),
                                     [](std::uint32_t p) { return (p & 0xF8F8F8) == 0xF8F8F8; });
    EXPECT_LT(white, frame.litCount() / 100);

    watchdog.progress("closing");
    closeAndExpect(1);
    EXPECT_EQ(viewer->standardError(), "");
}

TEST_F(ViewerOnScreen, DragsWithTheLeftMiddleAndRightButtonsPanRotateAndZoom) {
    Watchdog watchdog(180s, "the drags");
    start();
    Frame before = jetFrame();
    double x0, y0, x1, y1;
    before.centroid(x0, y0);

    watchdog.progress("left drag");
    drag(LEFT, 40, 150, 240, 150); // 200 pixels right: 20 units, about 7.5 pixels
    Frame panned = changedFrom(before);
    panned.centroid(x1, y1);
    EXPECT_NEAR(x1 - x0, 7.5, 2.0);
    EXPECT_NEAR(y1 - y0, 0.0, 1.0);
    EXPECT_NEAR(panned.litCount(), before.litCount(), before.litCount() * 0.05);

    watchdog.progress("middle drag");
    drag(MIDDLE, 150, 50, 150, 200); // 150 pixels down: 54 degrees about the diagonal
    Frame rotated = changedFrom(panned);
    EXPECT_GT(rotated.silhouetteDifference(panned), panned.litCount() / 4);

    watchdog.progress("right drag");
    drag(RIGHT, 50, 250, 250, 50); // 200 right and 200 up: 40 units nearer
    Frame zoomed = changedFrom(rotated);
    // From 400 to 360 units the area grows by (400 / 360)^2, about 1.23; the whole jet stays
    // in the frame.
    EXPECT_GT(zoomed.litCount(), rotated.litCount() * 1.15) << "nearer is larger";
    EXPECT_LT(zoomed.litCount(), rotated.litCount() * 1.35) << "by 40 units, not more";

    closeAndExpect(1);
}

TEST_F(ViewerOnScreen, AMoveWithoutAButtonLeavesTheFrameAsItWas) {
    Watchdog watchdog(180s, "the moves");
    start();
    const Frame before = jetFrame();
    for (int step = 0; step < 10; ++step)
        moveTo(30 + step * 25, 40 + step * 20);
    // Input is taken in order: once a pan there and back has been drawn, the moves
    // before it were handled too. The frame comes back to what it was: they moved nothing.
    drag(LEFT, 255, 220, 55, 220);
    changedFrom(before);
    drag(LEFT, 55, 220, 255, 220);
    Frame after;
    EXPECT_TRUE(eventually([&] { return (after = screen.grab(view)) == before; }))
        << "lit " << after.litCount() << " against " << before.litCount();
    closeAndExpect(1);
}

TEST_F(ViewerOnScreen, AModelThatCannotBeLoadedLeavesAWindowThatDrawsAndCloses) {
    Watchdog watchdog(120s, "the empty window");
    start({"no-such-model.3ds"});
    // Black, drawn: the view's pixels are the clear colour, not the window's grey.
    Frame frame;
    EXPECT_TRUE(eventually([&] {
        frame = screen.grab(view);
        return !frame.empty() && frame.at(150, 150) == 0 && frame.at(3, 3) == 0;
    }));
    EXPECT_EQ(frame.litCount(), 0);
    EXPECT_EQ(viewer->standardError(), "orvane-viewer: no-such-model.3ds: FileNotFoundException: "
                                       "The system cannot find the file specified.\n");
    closeAndExpect(1);
}

TEST_F(ViewerOnScreen, TwoHundredFramesWithMouseInputEndTheRunCleanly) {
    Watchdog watchdog(300s, "200 frames");
    start({"--frames", "200", "--stats"});
    for (unsigned button : {LEFT, MIDDLE, RIGHT}) {
        moveTo(100, 100);
        input.button(button, true);
        for (int step = 1; step <= 10 && viewer->running(); ++step)
            moveTo(100 + step * 5, 100 + step * 3);
        input.button(button, false);
    }
    ASSERT_TRUE(viewer->ended(240s));
    EXPECT_EQ(viewer->exitCode, 0) << viewer->standardError();
    EXPECT_EQ(viewer->standardError(), "");
    // 200 frames at 50 a second take four seconds: a statistics line a second.
    const auto lines = linesOf(viewer->standardOutput());
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find(" fps, "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" GL calls a frame"), std::string::npos) << lines[0];
}

TEST(ViewerProgram, ASnapshotWithoutADisplayMatchesTheWindowsSnapshot) {
    Watchdog watchdog(180s, "the two snapshots");
    TempDirectory directory;
    const std::string offscreenPng = directory.path("offscreen.png");
    const std::string windowPng = directory.path("window.png");
    {
        ViewerProcess offscreen(Launch{{"--snapshot", offscreenPng}, "", true});
        ASSERT_TRUE(offscreen.ended(120s));
        ASSERT_EQ(offscreen.exitCode, 0) << offscreen.standardError();
    }
    {
        DisplayLock lock;
        ViewerProcess windowed(Launch{{"--snapshot", windowPng}});
        ASSERT_TRUE(windowed.ended(120s));
        ASSERT_EQ(windowed.exitCode, 0) << windowed.standardError();
    }
    auto a = readPng(offscreenPng), b = readPng(windowPng);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->getWidth(), 300);
    ASSERT_EQ(a->getHeight(), 300);
    ASSERT_EQ(b->getWidth(), 300);
    ASSERT_EQ(b->getHeight(), 300);
    ASSERT_EQ(a->getFormat(), b->getFormat());
    const auto* pa = static_cast<const std::uint8_t*>(a->pixels());
    const auto* pb = static_cast<const std::uint8_t*>(b->pixels());
    const int bytes = a->getRowBytes() * a->getHeight();
    int differing = 0, lit = 0;
    for (int i = 0; i < bytes; ++i) {
        differing += std::abs(int(pa[i]) - int(pb[i])) > 3;
        lit += pa[i] > 16;
    }
    EXPECT_GT(lit, 8000) << "the jet is in the picture";
    EXPECT_LE(differing, bytes / 1000) << "channels differing by more than 3";
}

// A model that cannot be loaded ends a batch run with one line and exit code 2; textures
// that cannot be loaded are one warning each, and the model is drawn without them.
TEST(ViewerProgram, AMissingModelFailsABatchRunAndMissingTexturesAreWarnings) {
    Watchdog watchdog(120s, "the failing runs");
    TempDirectory directory;
    const std::string snapshot = directory.path("jet.png");
    {
        ViewerProcess missing(Launch{{"--snapshot", snapshot}, directory.path(), true});
        ASSERT_TRUE(missing.ended(60s));
        EXPECT_EQ(missing.exitCode, 2);
        EXPECT_EQ(missing.standardError(),
                  "orvane-viewer: data/f5e_05.3ds: IOException: No such directory\n");
        EXPECT_FALSE(std::filesystem::exists(snapshot));
    }
    // The model without its textures beside it: each missing file once, then the picture.
    std::filesystem::copy_file("data/f5e_05.3ds", directory.path("jet.3ds"));
    {
        DisplayLock lock;
        ViewerProcess untextured(
            Launch{{"jet.3ds", "--frames", "5", "--snapshot", snapshot}, directory.path()});
        ASSERT_TRUE(untextured.ended(60s));
        EXPECT_EQ(untextured.exitCode, 0) << untextured.standardError();
        const auto lines = linesOf(untextured.standardError());
        ASSERT_EQ(lines.size(), 6u) << untextured.standardError();
        for (const std::string& line : lines) {
            EXPECT_TRUE(line.starts_with("orvane-viewer: warning: ")) << line;
            EXPECT_TRUE(line.ends_with(": texture not found in .")) << line;
        }
        EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()).size(), 6u);
        EXPECT_TRUE(std::filesystem::exists(snapshot));
    }
    // Given its textures, the same copy draws without a word.
    {
        ViewerProcess textured(Launch{
            {"jet.3ds", "--textures", std::filesystem::absolute("data"), "--snapshot", snapshot},
            directory.path(),
            true});
        ASSERT_TRUE(textured.ended(60s));
        EXPECT_EQ(textured.exitCode, 0) << textured.standardError();
        EXPECT_EQ(textured.standardError(), "");
    }
    // A directory for a model, and a snapshot that cannot be written, say why once.
    {
        ViewerProcess folder(Launch{{directory.path(), "--snapshot", snapshot}, "", true});
        ASSERT_TRUE(folder.ended(60s));
        EXPECT_EQ(folder.exitCode, 2);
        EXPECT_EQ(folder.standardError(),
                  "orvane-viewer: " + directory.path() + ": is a directory\n");
        const std::string nowhere = directory.path("no/such/folder.png");
        ViewerProcess unwritable(Launch{{"--snapshot", nowhere}, "", true});
        ASSERT_TRUE(unwritable.ended(60s));
        EXPECT_EQ(unwritable.exitCode, 2);
        EXPECT_EQ(unwritable.standardError(),
                  "orvane-viewer: " + nowhere + ": No such file or directory\n");
    }
}

TEST(ViewerProgram, WithoutADisplayOnlyASnapshotCanBeMade) {
    ViewerProcess viewer(Launch{{}, "", true});
    ASSERT_TRUE(viewer.ended(60s));
    EXPECT_EQ(viewer.exitCode, 2);
    EXPECT_EQ(viewer.standardError(),
              "orvane-viewer: cannot open a window: no X display (DISPLAY is unset)\n");
}

TEST(ViewerProgram, HelpAndMistakesOnTheCommandLine) {
    ViewerProcess help(Launch{{"--help"}});
    ASSERT_TRUE(help.ended(60s));
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--textures", "--size", "--frames", "--snapshot", "--stats"})
        EXPECT_NE(help.standardOutput().find(option), std::string::npos) << option;

    for (std::vector<std::string> wrong :
         std::vector<std::vector<std::string>>{{"--frames", "0"},
                                               {"--size", "300"},
                                               {"--snapshot"},
                                               {"--fast"},
                                               {"a.3ds", "b.3ds"}}) {
        ViewerProcess viewer(Launch{wrong, "", true});
        ASSERT_TRUE(viewer.ended(60s));
        EXPECT_EQ(viewer.exitCode, 2) << wrong[0];
        EXPECT_TRUE(viewer.standardError().starts_with("orvane-viewer: ")) << wrong[0];
    }
}

} // namespace
} // namespace orvane::test
