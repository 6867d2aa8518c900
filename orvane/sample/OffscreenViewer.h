#pragma once

#include "orvane/sample/Options.h"

namespace orvane::sample {

// The viewer without a window: draws the frames a batch run asks for through an offscreen
// OpenGL context of the window's size, on the calling thread, with the same scene, mouse
// control (untouched) and frame bookkeeping as the window, and writes the snapshot.
class OffscreenViewer {
public:
    explicit OffscreenViewer(Options options);

    // The exit code: 0 when every frame was drawn and the snapshot written, 2 when the
    // context, the model or the snapshot failed (said in one line on standard error).
    int run();

private:
    Options options;
};

} // namespace orvane::sample
