#include "orvane/native/Process.h"
#include "orvane/sample/ApplicationMain.h"
#include "orvane/sample/Options.h"

#include <cstddef>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    // The driver's per-frame vertex buffers for large models stay mapped between frames.
    orvane::native::keepLargeBlocksOnTheHeap(std::size_t(256) << 20);
    using orvane::sample::Options;
    Options options;
    std::string error;
    if (!Options::parse(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "orvane-viewer: %s\n(orvane-viewer --help says more)\n",
                     error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(Options::usage(), stdout);
        return 0;
    }
    // An installed viewer keeps its sample in share/orvane/data beside its bin directory.
    if (const std::string directory = orvane::native::programDirectory(); !directory.empty())
        options.preferInstalledSample(directory + "/" ORVANE_INSTALLED_DATA);
    return orvane::sample::applicationMain(options);
}
