#pragma once

#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/gui3d/StatisticsOverlay.h"
#include "orvane/object/Pointer.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace orvane::graphics3d {
class Context;
}

namespace orvane::sample {

class Gui;

// The bookkeeping around the viewer's frames, the same for a window and offscreen: it
// counts frames and, as asked, keeps frame statistics (an overlay on the scene and one
// line a second on standard output: frames per second, frame time, the scene's OpenGL
// calls a frame), ends the run after a number of frames, writes the last frame as a PNG
// file, writes screenshots when asked, and times a benchmark run.
//
// Used on the rendering thread. Its OpenGL call counter sits in front of the dispatch
// table from `start` to `stop`: start it before the scene is compiled, so that the calls
// a compiled model makes are counted too. It counts always, so that the statistics can
// be switched on at any time; counting costs an indirect call per OpenGL call.
class FrameMonitor {
public:
    struct Settings {
        // 0: no end.
        std::uint32_t frames = 0;
        std::string snapshot;
        bool statistics = false;
        // Print one line of figures once the frames are drawn.
        bool benchmark = false;
    };

    FrameMonitor(Settings settings, std::FILE* output);
    ~FrameMonitor();
    FrameMonitor(const FrameMonitor&) = delete;
    FrameMonitor& operator=(const FrameMonitor&) = delete;

    // Installs the call counter, with the render context current.
    void start();
    // Adds the overlay to the GUI (with statistics) and names the model it shows; called
    // again for another model, the overlay shown names that one.
    void showOn(Gui& gui, const std::string& modelName, std::uint64_t triangles);
    // Shows the overlay on the GUI when it is hidden and hides it when it is shown.
    void toggleOverlay(Gui& gui);
    // Takes the counter away and lets go of the overlay.
    void stop();
    // Writes the frame that ends next as the first orvane-NNNN.png (from 0001) that does
    // not exist in the working directory, and prints its name.
    void requestScreenshot() noexcept { screenshotWanted = true; }

    // Around the scene's drawing, before the overlay is painted.
    void sceneBegins();
    void sceneEnds();
    // After the whole frame, before the buffers are swapped: counts it, feeds the
    // statistics and, at the last frame, writes the snapshot. True once the frame count
    // was reached (every later call too).
    bool frameEnds(graphics3d::Context& context);

    std::uint32_t framesDrawn() const noexcept { return frames; }
    bool isDone() const noexcept { return settings.frames > 0 && frames >= settings.frames; }
    // Whether the run did all it was asked: the frames drawn and the snapshot written.
    bool succeeded() const noexcept { return isDone() && snapshotError.empty(); }
    // Why the snapshot could not be written, in one line; empty otherwise.
    const std::string& failure() const noexcept { return snapshotError; }
    bool overlayShown() const noexcept { return overlay.get() != nullptr; }

private:
    using Clock = std::chrono::steady_clock;

    // Why the frame could not be written to `path`, or empty once it was.
    std::string writeFrame(graphics3d::Context& context, const std::string& path);
    void writeScreenshot(graphics3d::Context& context);
    void report(Clock::time_point now);
    void reportBenchmark(Clock::time_point end);

    Settings settings;
    std::FILE* output;
    std::unique_ptr<graphics3d::GLRecorder> counter;
    object::Pointer<gui3d::StatisticsOverlay> overlay;
    std::uint32_t frames = 0;
    Clock::time_point frameStart;
    Clock::time_point sceneStart;
    Clock::time_point lastReport;
    Clock::time_point firstFrame;
    std::uint64_t callsBefore = 0;
    std::uint64_t sceneCalls = 0;
    std::uint64_t firstCall = 0;
    std::string snapshotError;
    std::string modelName;
    std::uint64_t modelTriangles = 0;
    bool screenshotWanted = false;
};

} // namespace orvane::sample
