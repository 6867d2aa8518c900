// The built program, run as a user runs it: under the tests' X server (make test runs
// every test under a private Xvfb), from the repository's root, without arguments unless a
// test says otherwise.

#include <gtest/gtest.h>

#include "orvane/graphics/Image.h"
#include "orvane/object/Pointer.h"
#include "tests/sample/Snapshot.h"
#include "tests/sample/ViewerProcess.h"
#include "tests/sample/ViewerWindow.h"
#include "tests/support/Eventually.h"
#include "tests/support/ModelFiles.h"
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

// A square from (-1, -1) to (1, 1) without a material, facing the viewer (+z) or away.
std::vector<unsigned char> flatSquareModel(bool facingAway = false) {
    const std::vector<test::Face> faces = facingAway
                                              ? std::vector<test::Face>{{0, 2, 1}, {0, 3, 2}}
                                              : std::vector<test::Face>{{0, 1, 2}, {0, 2, 3}};
    return test::modelFile({test::objectChunk(
        "Square", test::Chunk(0x4100)
                      .add(test::vertexChunk({-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}))
                      .add(test::faceChunk(faces)))});
}

// A rectangle of `width` x `height` around the origin without a material, facing the
// viewer: framed, its silhouette keeps that shape.
std::vector<unsigned char> rectangleModel(float width, float height) {
    const float x = width / 2, y = height / 2;
    return test::modelFile({test::objectChunk(
        "Rectangle", test::Chunk(0x4100)
                         .add(test::vertexChunk({-x, -y, 0, x, -y, 0, x, y, 0, -x, y, 0}))
                         .add(test::faceChunk({{0, 1, 2}, {0, 2, 3}})))});
}

// The silhouette's width over its height.
double aspectOf(const Frame& frame) {
    return frame.litHeight() ? double(frame.litWidth()) / frame.litHeight() : 0;
}

// A viewer on the screen, its window moved away from the corner where other tests' windows
// appear, showing its first frame.
class ViewerOnScreen : public ::testing::Test {
protected:
    void start(std::vector<std::string> arguments = {}, std::string directory = "") {
        ASSERT_TRUE(input) << "no X display";
        viewer =
            std::make_unique<ViewerProcess>(Launch{std::move(arguments), std::move(directory)});
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
    // A key pressed and let go, with the viewer's window holding the keyboard.
    void tap(KeySym symbol) {
        input.focus(window);
        input.key(symbol, true);
        input.key(symbol, false);
    }
    // Whether a frame the condition holds for comes before the deadline; the last frame
    // grabbed is in `frame`.
    template <class Condition>
    bool frameWhere(Condition condition, Frame& frame) {
        return eventually([&] {
            frame = screen.grab(view);
            return !frame.empty() && condition(frame);
        });
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
    Frame panned;
    EXPECT_TRUE(frameWhere(
        [&](const Frame& f) {
            double x, y;
            f.centroid(x, y);
            return x - x0 > 5;
        },
        panned));
    panned = settledFrame();
    panned.centroid(x1, y1);
    EXPECT_NEAR(x1 - x0, 7.5, 2.0);
    EXPECT_NEAR(y1 - y0, 0.0, 1.0);
    EXPECT_NEAR(panned.litCount(), before.litCount(), before.litCount() * 0.05);

    watchdog.progress("middle drag");
    drag(MIDDLE, 150, 50, 150, 200); // 150 pixels down: 54 degrees about the diagonal
    Frame rotated;
    EXPECT_TRUE(frameWhere(
        [&](const Frame& f) { return f.silhouetteDifference(panned) > panned.litCount() / 4; },
        rotated));
    rotated = settledFrame();

    watchdog.progress("right drag");
    drag(RIGHT, 50, 250, 250, 50); // 200 right and 200 up: 40 units nearer
    Frame zoomed;
    // From 400 to 360 units the area grows by (400 / 360)^2, about 1.23; the whole jet stays
    // in the frame.
    EXPECT_TRUE(frameWhere([&](const Frame& f) { return f.litCount() > rotated.litCount() * 1.15; },
                           zoomed))
        << "nearer is larger";
    zoomed = settledFrame();
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

// Every key and the wheel change the frame as --help says; reset brings back the first
// frame pixel for pixel; a key the viewer does not use changes nothing. Each step waits
// for the frame it must lead to (input arrives asynchronously, and the statistics change
// every frame), so a step that never shows fails by its deadline.
TEST_F(ViewerOnScreen, TheWheelAndTheKeysChangeTheFrameAndResetBringsBackTheFirst) {
    Watchdog watchdog(240s, "the keys");
    start();
    const Frame first = jetFrame();
    const auto isFirst = [&](const Frame& frame) { return frame == first; };

    watchdog.progress("wheel");
    moveTo(150, 150);
    Frame frame = first;
    for (int notch = 1; notch <= 3; ++notch) {
        const int before = frame.litCount();
        input.click(4); // away from the user: nearer
        EXPECT_TRUE(frameWhere([&](const Frame& f) { return f.litCount() > before; }, frame))
            << "notch " << notch << " brings the jet nearer";
    }
    EXPECT_GT(frame.litCount(), first.litCount() * 1.1) << "three notches nearer";
    const int nearest = frame.litCount();
    input.click(5);
    EXPECT_TRUE(frameWhere([&](const Frame& f) { return f.litCount() < nearest; }, frame))
        << "one notch back";

    watchdog.progress("reset");
    tap(XK_r);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "r puts the view back";
    drag(LEFT, 40, 150, 240, 150);
    EXPECT_TRUE(frameWhere([&](const Frame& f) { return !isFirst(f); }, frame)) << "panned";
    tap(XK_Home);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "so does Home";
    drag(MIDDLE, 150, 50, 150, 200);
    EXPECT_TRUE(frameWhere([&](const Frame& f) { return !isFirst(f); }, frame)) << "turned";
    tap(XK_space);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "and Space";

    watchdog.progress("wireframe, lighting, textures");
    tap(XK_w);
    EXPECT_TRUE(frameWhere([&](const Frame& f) { return f.litCount() < first.litCount(); }, frame))
        << "w: lines leave gaps";
    tap(XK_w);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "w again: filled";
    tap(XK_l);
    EXPECT_TRUE(frameWhere(
        [&](const Frame& f) { return std::abs(f.litLuminance() - first.litLuminance()) > 5; },
        frame))
        << "l: unlit";
    tap(XK_l);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "l again: lit";
    const std::size_t colours =
        std::set<std::uint32_t>(first.pixels.begin(), first.pixels.end()).size();
    tap(XK_t);
    EXPECT_TRUE(frameWhere(
        [&](const Frame& f) {
            return std::set<std::uint32_t>(f.pixels.begin(), f.pixels.end()).size() < colours / 2;
        },
        frame))
        << "t: flat colours without the textures";
    tap(XK_t);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "t again: textured";

    watchdog.progress("overlays");
    tap(XK_s);
    EXPECT_TRUE(frameWhere([](const Frame& f) { return f.lit(12, 12); }, frame))
        << "s: the statistics in the top left corner";
    tap(XK_s);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "s again: gone";
    tap(XK_h);
    EXPECT_TRUE(
        frameWhere([&](const Frame& f) { return f.litCount() > first.litCount() + 20000; }, frame))
        << "h: the help covers the middle";
    tap(XK_F1);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "F1 hides it again";

    watchdog.progress("an unused key");
    tap(XK_x);
    drag(LEFT, 40, 150, 240, 150); // handled after the key, so drawn after it
    EXPECT_TRUE(frameWhere([&](const Frame& f) { return !isFirst(f); }, frame));
    tap(XK_r);
    EXPECT_TRUE(frameWhere(isFirst, frame)) << "x changed nothing that reset keeps";

    watchdog.progress("q");
    tap(XK_q);
    ASSERT_TRUE(viewer->ended(60s)) << "q closes the window";
    EXPECT_EQ(viewer->exitCode, 1) << viewer->standardError();
    EXPECT_EQ(viewer->standardError(), "");
}

TEST_F(ViewerOnScreen, EscapeClosesAndPWritesAScreenshotInTheWorkingDirectory) {
    Watchdog watchdog(120s, "the screenshot");
    TempDirectory directory;
    std::filesystem::copy("data", directory.path("data"));
    directory.write("orvane-0001.png", "taken");
    start({}, directory.path());
    const Frame first = jetFrame();
    tap(XK_p);
    ASSERT_TRUE(eventually([&] { return viewer->standardOutput() == "wrote orvane-0002.png\n"; }))
        << viewer->standardOutput() << viewer->standardError();
    auto shot = readPng(directory.path("orvane-0002.png"));
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->getWidth(), 300);
    EXPECT_EQ(directory.read("orvane-0001.png"), "taken") << "an existing file is kept";
    tap(XK_Escape);
    ASSERT_TRUE(viewer->ended(60s));
    EXPECT_EQ(viewer->exitCode, 1);
    (void)first;
}

// A window that is not square keeps the model's proportions, at first and after a resize.
TEST_F(ViewerOnScreen, AWindowThatIsNotSquareDrawsASquareModelSquare) {
    Watchdog watchdog(120s, "the square");
    TempDirectory directory;
    const std::string square = directory.write("square.3ds", flatSquareModel());
    start({square, "--size", "400x300"});
    Frame frame;
    ASSERT_TRUE(eventually([&] {
        frame = screen.grab(view);
        return frame.width == 400 && !frame.lit(2, 2) && frame.litCount() > 1000;
    }));
    frame = settledFrame();
    EXPECT_NEAR(frame.litWidth(), frame.litHeight(), 1) << "400 x 300";
    EXPECT_GT(frame.litHeight(), 100);

    XResizeWindow(input.get(), ::Window(window), 300, 400);
    XSync(input.get(), False);
    ASSERT_TRUE(eventually([&] {
        frame = screen.grab(view);
        return frame.width == 300 && frame.height == 400 && !frame.lit(2, 2) &&
               frame.litCount() > 1000;
    }));
    frame = settledFrame();
    EXPECT_NEAR(frame.litWidth(), frame.litHeight(), 1) << "300 x 400";
    closeAndExpect(1);
}

TEST_F(ViewerOnScreen, BackFacesShowWhileCullingIsOff) {
    Watchdog watchdog(120s, "the back faces");
    TempDirectory directory;
    start({directory.write("away.3ds", flatSquareModel(true))});
    Frame culled;
    ASSERT_TRUE(eventually([&] {
        culled = screen.grab(view);
        return !culled.empty() && culled.at(150, 150) == 0 && culled.at(3, 3) == 0;
    })) << "drawn, and the square faces away";
    culled = settledFrame();
    EXPECT_EQ(culled.litCount(), 0);
    Frame frame;
    tap(XK_b);
    EXPECT_TRUE(frameWhere([](const Frame& f) { return f.litCount() > 10000; }, frame))
        << "b: back faces drawn";
    tap(XK_b);
    EXPECT_TRUE(frameWhere([](const Frame& f) { return f.litCount() == 0; }, frame))
        << "b again: culled";
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

TEST_F(ViewerOnScreen, TwoHundredFramesWithMouseAndKeyInputEndTheRunCleanly) {
    Watchdog watchdog(300s, "200 frames");
    start({"--frames", "200", "--stats"});
    for (unsigned button : {LEFT, MIDDLE, RIGHT}) {
        moveTo(100, 100);
        input.button(button, true);
        for (int step = 1; step <= 10 && viewer->running(); ++step)
            moveTo(100 + step * 5, 100 + step * 3);
        input.button(button, false);
    }
    for (int notch = 0; notch < 4 && viewer->running(); ++notch)
        input.click(notch % 2 ? 5 : 4);
    for (KeySym key :
         {XK_w, XK_l, XK_t, XK_b, XK_h, XK_s, XK_w, XK_l, XK_t, XK_b, XK_h, XK_s, XK_Home, XK_x})
        if (viewer->running())
            tap(key);
    ASSERT_TRUE(viewer->ended(240s));
    EXPECT_EQ(viewer->exitCode, 0) << viewer->standardError();
    EXPECT_EQ(viewer->standardError(), "");
    // 200 frames at 50 a second take four seconds: a statistics line a second.
    const auto lines = linesOf(viewer->standardOutput());
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find(" fps, "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(" GL calls a frame"), std::string::npos) << lines[0];
}

// A folder of three models, paged with the keys: the title says which is shown, and each
// is framed afresh.
TEST_F(ViewerOnScreen, PagesThroughAFolderOfModelsWithTheKeys) {
    Watchdog watchdog(180s, "the pages");
    TempDirectory folder;
    folder.write("a-wide.3ds", rectangleModel(4, 1));
    folder.write("b-square.3ds", rectangleModel(2, 2));
    folder.write("c-tall.3ds", rectangleModel(1, 4));
    folder.write("notes.txt", "not a model");
    start({folder.path()});
    const auto showing = [&](const std::string& title, double low, double high) {
        Frame frame;
        const bool shown = frameWhere(
            [&](const Frame& f) {
                return screen.title(window) == title && aspectOf(f) > low && aspectOf(f) < high;
            },
            frame);
        return shown ? ::testing::AssertionSuccess()
                     : ::testing::AssertionFailure() << "title \"" << screen.title(window)
                                                     << "\", silhouette " << aspectOf(frame);
    };
    EXPECT_TRUE(showing("Orvane - a-wide.3ds (1 of 3)", 3.5, 4.5));
    tap(XK_Next);
    EXPECT_TRUE(showing("Orvane - b-square.3ds (2 of 3)", 0.9, 1.1));
    tap(XK_Right);
    EXPECT_TRUE(showing("Orvane - c-tall.3ds (3 of 3)", 0.2, 0.3));
    tap(XK_Right);
    EXPECT_TRUE(showing("Orvane - a-wide.3ds (1 of 3)", 3.5, 4.5)) << "round to the first";
    tap(XK_Left);
    EXPECT_TRUE(showing("Orvane - c-tall.3ds (3 of 3)", 0.2, 0.3));
    tap(XK_Prior);
    EXPECT_TRUE(showing("Orvane - b-square.3ds (2 of 3)", 0.9, 1.1));
    closeAndExpect(1);
}

// --watch: the file replaced by renaming over it, then rewritten in place, shows the new
// model each time with the view kept; a file that stays cut short keeps the last model,
// with one warning.
TEST_F(ViewerOnScreen, AWatchedModelIsShownAgainWhenItsFileChanges) {
    Watchdog watchdog(180s, "the watched model");
    TempDirectory folder;
    const std::string model = folder.write("model.3ds", rectangleModel(2, 2));
    start({model, "--watch"});
    Frame frame;
    ASSERT_TRUE(frameWhere([](const Frame& f) { return f.litCount() > 1000; }, frame));
    frame = settledFrame();
    double startX = 0, startY = 0;
    frame.centroid(startX, startY);
    const auto panned = [&](const Frame& f) {
        double x = 0, y = 0;
        f.centroid(x, y);
        return x < startX - 25;
    };
    // Each drag of 260 pixels pans about 10 to the left.
    for (int i = 0; i < 4; ++i)
        drag(LEFT, 280, 150, 20, 150);
    ASSERT_TRUE(frameWhere(panned, frame));

    folder.write("model.3ds.new", rectangleModel(4, 1));
    std::filesystem::rename(folder.path("model.3ds.new"), model);
    EXPECT_TRUE(frameWhere(
        [&](const Frame& f) { return aspectOf(f) > 3.5 && aspectOf(f) < 4.5 && panned(f); }, frame))
        << "renamed over: the wide model, still panned; silhouette " << aspectOf(frame);

    folder.write("model.3ds", rectangleModel(1, 4));
    EXPECT_TRUE(frameWhere(
        [&](const Frame& f) { return aspectOf(f) > 0.2 && aspectOf(f) < 0.3 && panned(f); }, frame))
        << "rewritten in place: the tall model; silhouette " << aspectOf(frame);

    std::vector<unsigned char> cut = rectangleModel(2, 2);
    cut.resize(cut.size() / 2);
    folder.write("model.3ds", cut);
    EXPECT_TRUE(eventually([&] {
        return viewer->standardError().find("warning: ") != std::string::npos;
    })) << "no warning for the cut file";
    frame = settledFrame();
    EXPECT_GT(aspectOf(frame), 0.2) << "the tall model stays";
    EXPECT_LT(aspectOf(frame), 0.3);
    const std::vector<std::string> warnings = linesOf(viewer->standardError());
    ASSERT_EQ(warnings.size(), 1u) << viewer->standardError();
    EXPECT_TRUE(warnings[0].starts_with("orvane-viewer: warning: ")) << warnings[0];
    EXPECT_NE(warnings[0].find("the last model that loaded stays"), std::string::npos);
    closeAndExpect(1);
}

// --snapshot DIR/ writes one picture a model, offscreen, display or not.
TEST(ViewerProgram, ASnapshotDirectoryGetsOnePicturePerModel) {
    Watchdog watchdog(120s, "the snapshots of a folder");
    TempDirectory folder, out;
    folder.write("wide.3ds", rectangleModel(4, 1));
    folder.write("Square.3DS", rectangleModel(2, 2));
    folder.write("tall.3ds", rectangleModel(1, 4));
    ViewerProcess viewer(Launch{{folder.path(), "--snapshot", out.path("pictures") + "/"}});
    ASSERT_TRUE(viewer.ended(90s));
    EXPECT_EQ(viewer.exitCode, 0) << viewer.standardError();
    EXPECT_EQ(viewer.standardError(), "");
    const std::pair<const char*, double> expected[] = {
        {"Square.png", 1.0}, {"tall.png", 0.25}, {"wide.png", 4.0}};
    for (const auto& [name, aspect] : expected) {
        const Snapshot picture = Snapshot::read(out.path("pictures/") + name);
        ASSERT_FALSE(picture.empty()) << name;
        const Snapshot::Box box = picture.silhouette(0);
        ASSERT_GT(box.height, 0) << name;
        EXPECT_NEAR(double(box.width) / box.height, aspect, aspect * 0.1) << name;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path("pictures")),
                            std::filesystem::directory_iterator()),
              3);
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
    // A textures folder that is not there is one line.
    {
        ViewerProcess nowhere(Launch{
            {"jet.3ds", "--textures", "maps", "--snapshot", snapshot}, directory.path(), true});
        ASSERT_TRUE(nowhere.ended(60s));
        EXPECT_EQ(nowhere.exitCode, 0) << nowhere.standardError();
        EXPECT_EQ(nowhere.standardError(), "orvane-viewer: warning: maps: no such directory; the "
                                           "model is shown without textures\n");
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
    // A directory without models, and a snapshot that cannot be written, say why once.
    {
        TempDirectory empty;
        ViewerProcess folder(Launch{{empty.path(), "--snapshot", snapshot}, "", true});
        ASSERT_TRUE(folder.ended(60s));
        EXPECT_EQ(folder.exitCode, 2);
        EXPECT_EQ(folder.standardError(), "orvane-viewer: no .3ds file in " + empty.path() +
                                              "\n(orvane-viewer --help says more)\n");
        const std::string nowhere = directory.path("no/such/folder.png");
        ViewerProcess unwritable(Launch{{"--snapshot", nowhere}, "", true});
        ASSERT_TRUE(unwritable.ended(60s));
        EXPECT_EQ(unwritable.exitCode, 2);
        EXPECT_EQ(unwritable.standardError(),
                  "orvane-viewer: " + nowhere + ": No such file or directory\n");
    }
}

// Without arguments the viewer draws the sample as it always has: the picture the README
// shows (docs/viewer.png), the model neither moved nor scaled.
TEST(ViewerProgram, TheSampleWithoutArgumentsIsThePictureTheReadmeShows) {
    Watchdog watchdog(120s, "the sample's snapshot");
    TempDirectory directory;
    const std::string png = directory.path("sample.png");
    ViewerProcess viewer(Launch{{"--snapshot", png}, "", true});
    ASSERT_TRUE(viewer.ended(60s));
    ASSERT_EQ(viewer.exitCode, 0) << viewer.standardError();
    const Snapshot now = Snapshot::read(png), readme = Snapshot::read("docs/viewer.png");
    ASSERT_FALSE(now.empty());
    ASSERT_EQ(readme.width, now.width);
    ASSERT_EQ(readme.height, now.height);
    int differing = 0;
    for (std::size_t i = 0; i < now.pixels.size(); ++i)
        differing += Snapshot::differs(now.pixels[i], readme.pixels[i]);
    EXPECT_LE(differing, int(now.pixels.size()) / 1000) << "pixels differing by more than 2";
}

// A benchmark draws its frames back to back and says how fast, in a window and offscreen.
TEST(ViewerProgram, ABenchmarkPrintsItsFiguresInOneLine) {
    Watchdog watchdog(120s, "the benchmarks");
    for (bool withoutDisplay : {true, false}) {
        std::unique_ptr<DisplayLock> lock;
        if (!withoutDisplay)
            lock = std::make_unique<DisplayLock>();
        ViewerProcess viewer(Launch{{"--benchmark", "--frames", "30"}, "", withoutDisplay});
        ASSERT_TRUE(viewer.ended(60s));
        EXPECT_EQ(viewer.exitCode, 0) << viewer.standardError();
        EXPECT_EQ(viewer.standardError(), "");
        const std::string line = viewer.standardOutput();
        unsigned frames = 0, calls = 0;
        double seconds = 0, perSecond = 0, milliseconds = 0;
        ASSERT_EQ(std::sscanf(line.c_str(),
                              "%u frames in %lf s: %lf frames per second, %lf ms a frame, %u GL "
                              "calls a frame",
                              &frames, &seconds, &perSecond, &milliseconds, &calls),
                  5)
            << line;
        EXPECT_EQ(frames, 30u);
        EXPECT_GT(seconds, 0);
        EXPECT_NEAR(perSecond * seconds, 30, 0.5);
        EXPECT_NEAR(milliseconds * 30, seconds * 1000, 1);
        EXPECT_GT(calls, 10u) << "the compiled jet's calls, counted";
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
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
                                               {"a.3ds", "b.3ds", "--snapshot", "x.png"}}) {
        ViewerProcess viewer(Launch{wrong, "", true});
        ASSERT_TRUE(viewer.ended(60s));
        EXPECT_EQ(viewer.exitCode, 2) << wrong[0];
        EXPECT_TRUE(viewer.standardError().starts_with("orvane-viewer: ")) << wrong[0];
    }
}

} // namespace
} // namespace orvane::test
