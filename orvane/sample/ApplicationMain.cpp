#include "orvane/sample/ApplicationMain.h"

#include "orvane/sample/OffscreenViewer.h"
#include "orvane/sample/SampleApplication.h"

#include <cstdio>
#include <cstdlib>

namespace orvane::sample {
namespace {

bool displayNamed() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

} // namespace

int applicationMain(const Options& options) {
    // A picture per model needs no window, and a window would only flash by for each.
    if (options.snapshotsInDirectory())
        return OffscreenViewer(options).run();
    if (!displayNamed()) {
        if (!options.snapshot.empty() || options.benchmark)
            return OffscreenViewer(options).run();
        std::fprintf(stderr, "orvane-viewer: cannot open a window: no X display (DISPLAY is "
                             "unset)\n");
        return SampleApplication::EXIT_FAILED;
    }
    auto* application = new SampleApplication(options);
    application->run();
    const int code = application->exitCode();
    const bool offscreen = application->needsOffscreen();
    application->release();
    if (offscreen)
        return OffscreenViewer(options).run();
    return code;
}

} // namespace orvane::sample
