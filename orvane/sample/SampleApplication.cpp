#include "orvane/sample/SampleApplication.h"

#include "orvane/native/Display.h"
#include "orvane/sample/GraphicsView.h"
#include "orvane/sample/MainWindow.h"
#include "orvane/sample/RedrawTicker.h"
#include "orvane/system/Thread.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace orvane::sample {
namespace {

// Every layout anchor: the view follows the window's size.
constexpr std::uint32_t VIEW_ANCHORS = 0x33;
constexpr float MINIMUM_SIDE = 256.0f;

} // namespace

SampleApplication::SampleApplication(Options options)
    : options(std::move(options)) {}

SampleApplication::~SampleApplication() = default;

bool SampleApplication::handleMessage(application::Message*) {
    return true;
}

bool SampleApplication::onStart() {
    // The application loop takes messages only once onStart has returned, but the window
    // may already want to end the run before that (closed at once, or a frame count
    // reached by the first paints): a quit refused then would be lost and the program
    // would never end. The loop's thread is this one, so it is recorded now.
    thread.store(system::Thread::current(), std::memory_order_release);

    const float width = float(options.width), height = float(options.height);
    mainWindow = new MainWindow();
    mainWindow->setSize({width, height});
    mainWindow->minimumSize = {std::min(MINIMUM_SIDE, width), std::min(MINIMUM_SIDE, height)};

    graphicsView = new GraphicsView({0.0f, 0.0f, width, height});
    graphicsView->anchors = VIEW_ANCHORS;
    GraphicsView::Settings settings;
    for (const std::string& model : options.models)
        settings.models.push_back({model, options.texturesFor(model)});
    if (settings.models.empty())
        settings.models.push_back({options.model, options.textures});
    settings.frames = {options.framesToDraw(), options.snapshot, options.statistics,
                       options.benchmark};
    settings.framed = options.modelGiven;
    settings.scale = options.scale;
    settings.watch = options.watch;
    std::copy(options.background, options.background + 3, settings.background);
    graphicsView->configure(std::move(settings));
    mainWindow->addView(graphicsView);

    if (!mainWindow->open()) {
        if (!options.snapshot.empty() || options.benchmark) {
            offscreenWanted = true;
        } else {
            std::fprintf(stderr, "orvane-viewer: cannot open a window: %s\n",
                         native::lastError().c_str());
        }
        giveUp(EXIT_FAILED);
        return true;
    }
    if (options.isBatch() && graphicsView->getState() != GraphicsView::State::SHOWING) {
        giveUp(EXIT_FAILED);
        return true;
    }

    // A benchmark's frames follow each other without waiting for a tick.
    if (options.benchmark)
        return true;
    redrawTicker = new RedrawTicker(graphicsView);
    redrawTicker->setPeriod(REDRAW_MILLISECONDS);
    redrawTicker->start();
    return true;
}

void SampleApplication::giveUp(int exitCode) {
    code = exitCode;
    quit();
}

bool SampleApplication::onStop() {
    if (redrawTicker)
        redrawTicker->stop();
    if (mainWindow) {
        // The window's thread has let go of its X connection once close() returns.
        mainWindow->close();
    }
    if (options.isBatch() && code != EXIT_FAILED && graphicsView && graphicsView->isFinished())
        code = graphicsView->succeeded() ? EXIT_DONE : EXIT_FAILED;
    if (redrawTicker)
        redrawTicker->release();
    if (mainWindow)
        mainWindow->release();
    if (graphicsView)
        graphicsView->release();
    redrawTicker = nullptr;
    mainWindow = nullptr;
    graphicsView = nullptr;
    return true;
}

types::String SampleApplication::getClassName() const {
    return object::classPath(application::Application::getClassName(), ":SampleApplication");
}

} // namespace orvane::sample
