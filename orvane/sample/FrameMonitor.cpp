#include "orvane/sample/FrameMonitor.h"

#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/sample/Gui.h"
#include "orvane/sample/Options.h"
#include "orvane/sample/PngFile.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace orvane::sample {
namespace {

double secondsOf(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

} // namespace

FrameMonitor::FrameMonitor(Settings settings, std::FILE* output)
    : settings(std::move(settings))
    , output(output) {}

FrameMonitor::~FrameMonitor() {
    stop();
}

void FrameMonitor::start() {
    if (!counter)
        counter = std::make_unique<graphics3d::GLRecorder>(graphics3d::GLRecorder::COUNT,
                                                           graphics3d::GLRecorder::FORWARD);
}

void FrameMonitor::showOn(Gui& gui, const std::string& name, std::uint64_t triangles) {
    modelName = name;
    modelTriangles = triangles;
    if (overlay)
        overlay->setModel(modelName.c_str(), modelTriangles);
    else if (settings.statistics)
        toggleOverlay(gui);
}

void FrameMonitor::toggleOverlay(Gui& gui) {
    if (overlay) {
        gui.removeView(overlay.get());
        overlay = nullptr;
        return;
    }
    overlay = object::make<gui3d::StatisticsOverlay>();
    if (!modelName.empty())
        overlay->setModel(modelName.c_str(), modelTriangles);
    gui.addView(overlay.get());
}

void FrameMonitor::stop() {
    counter.reset();
    overlay = nullptr;
}

void FrameMonitor::sceneBegins() {
    sceneStart = Clock::now();
    callsBefore = counter ? counter->total() : 0;
    if (frames == 0) {
        firstFrame = lastReport = sceneStart;
        firstCall = callsBefore;
    }
}

void FrameMonitor::sceneEnds() {
    sceneCalls = counter ? counter->total() - callsBefore : 0;
}

bool FrameMonitor::frameEnds(graphics3d::Context& context) {
    if (isDone())
        return true;
    const Clock::time_point now = Clock::now();
    ++frames;
    if (overlay) {
        overlay->frameFinished(secondsOf(now - firstFrame), secondsOf(now - sceneStart));
        overlay->setGLCalls(sceneCalls);
    }
    if (settings.statistics && now - lastReport >= std::chrono::seconds(1))
        report(now);
    if (screenshotWanted)
        writeScreenshot(context);
    if (isDone() && !settings.snapshot.empty())
        snapshotError = writeFrame(context, settings.snapshot);
    if (isDone() && settings.benchmark)
        reportBenchmark(now);
    return isDone();
}

void FrameMonitor::reportBenchmark(Clock::time_point end) {
    if (!output)
        return;
    const std::uint64_t calls = counter ? counter->total() - firstCall : 0;
    // What the frames asked of OpenGL is done before the clock stops.
    graphics3d::gl.glFinish();
    end = std::max(end, Clock::now());
    const double seconds = secondsOf(end - firstFrame);
    std::fprintf(output,
                 "%u frames in %.3f s: %.1f frames per second, %.3f ms a frame, %llu GL calls a "
                 "frame\n",
                 frames, seconds, seconds > 0 ? frames / seconds : 0.0,
                 frames ? seconds * 1000 / frames : 0.0,
                 static_cast<unsigned long long>(frames ? calls / frames : 0));
    std::fflush(output);
}

void FrameMonitor::writeScreenshot(graphics3d::Context& context) {
    screenshotWanted = false;
    std::string name;
    std::error_code error;
    for (int number = 1; number <= 9999 && name.empty(); ++number) {
        char candidate[32];
        std::snprintf(candidate, sizeof candidate, "orvane-%04d.png", number);
        if (!std::filesystem::exists(candidate, error))
            name = candidate;
    }
    if (name.empty()) {
        std::fprintf(stderr, "orvane-viewer: no screenshot: orvane-0001.png to orvane-9999.png "
                             "all exist\n");
        return;
    }
    const std::string failure = writeFrame(context, name);
    if (failure.empty())
        std::fprintf(output ? output : stdout, "wrote %s\n", name.c_str());
    else
        std::fprintf(stderr, "orvane-viewer: %s\n", failure.c_str());
    std::fflush(nullptr);
}

void FrameMonitor::report(Clock::time_point now) {
    lastReport = now;
    if (!output || !overlay)
        return;
    std::fprintf(output, "%.1f fps, %.2f ms a frame, %llu GL calls a frame\n",
                 overlay->framesPerSecond(), overlay->frameMilliseconds(),
                 static_cast<unsigned long long>(sceneCalls));
    std::fflush(output);
}

std::string FrameMonitor::writeFrame(graphics3d::Context& context, const std::string& path) {
    const std::int32_t width = context.frameBuffer.width, height = context.frameBuffer.height;
    graphics::Image image(graphics::PixelFormat::RGB24, width, height);
    if (!context.frameBuffer.readPixels(image, {0, 0}, {0, 0, width, height}))
        return displayName(path) + ": the frame could not be read";
    std::string error;
    if (!PngFile::write(path, image, error))
        return displayName(path) + ": " + error;
    return {};
}

} // namespace orvane::sample
