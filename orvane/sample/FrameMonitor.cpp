#include "orvane/sample/FrameMonitor.h"

#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/sample/Gui.h"
#include "orvane/sample/Options.h"
#include "orvane/sample/PngFile.h"

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
    if (settings.statistics && !counter)
        counter = std::make_unique<graphics3d::GLRecorder>(graphics3d::GLRecorder::COUNT,
                                                           graphics3d::GLRecorder::FORWARD);
}

void FrameMonitor::showOn(Gui& gui, const std::string& modelName, std::uint64_t triangles) {
    if (!settings.statistics || overlay)
        return;
    overlay = object::make<gui3d::StatisticsOverlay>();
    overlay->setModel(modelName.c_str(), triangles);
    gui.addView(overlay.get());
}

void FrameMonitor::stop() {
    counter.reset();
    overlay = nullptr;
}

void FrameMonitor::sceneBegins() {
    sceneStart = Clock::now();
    if (frames == 0)
        firstFrame = lastReport = sceneStart;
    callsBefore = counter ? counter->total() : 0;
}

void FrameMonitor::sceneEnds() {
    sceneCalls = counter ? counter->total() - callsBefore : 0;
}

bool FrameMonitor::frameEnds(graphics3d::Context& context) {
    if (isDone())
        return true;
    const Clock::time_point now = Clock::now();
    ++frames;
    if (settings.statistics) {
        if (overlay) {
            overlay->frameFinished(secondsOf(now - firstFrame), secondsOf(now - sceneStart));
            overlay->setGLCalls(sceneCalls);
        }
        if (now - lastReport >= std::chrono::seconds(1))
            report(now);
    }
    if (isDone() && !settings.snapshot.empty())
        writeSnapshot(context);
    return isDone();
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

void FrameMonitor::writeSnapshot(graphics3d::Context& context) {
    const std::int32_t width = context.frameBuffer.width, height = context.frameBuffer.height;
    graphics::Image image(graphics::PixelFormat::RGB24, width, height);
    if (!context.frameBuffer.readPixels(image, {0, 0}, {0, 0, width, height})) {
        snapshotError = displayName(settings.snapshot) + ": the frame could not be read";
        return;
    }
    std::string error;
    if (!PngFile::write(settings.snapshot, image, error))
        snapshotError = displayName(settings.snapshot) + ": " + error;
}

} // namespace orvane::sample
