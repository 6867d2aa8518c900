#pragma once

#include "orvane/sample/Options.h"

#include <cstdio>
#include <string>

namespace orvane::graphics3d {
class Context;
}

namespace orvane::sample {

// The viewer without a window: draws the frames a batch run asks for through an offscreen
// OpenGL context of the window's size, on the calling thread, with the same scene, mouse
// control (untouched) and frame bookkeeping as the window, and writes the snapshot; for
// several models, one after the other, each with its own snapshot (Options::snapshotFor).
class OffscreenViewer {
public:
    // Failures are reported on `err` as "PROGRAM: what went wrong".
    explicit OffscreenViewer(Options options, std::string program = "orvane-viewer",
                             std::FILE* err = stderr);

    // The exit code: 0 when every frame was drawn and every snapshot written, 2 when the
    // context, a model or a snapshot failed (each said in one line on standard error; the
    // other models are drawn all the same).
    int run();

private:
    int drawModel(graphics3d::Context& context, const std::string& model);

    // One line on err; answers the exit code of a failure.
    int failed(const std::string& line) const;

    Options options;
    std::string program;
    std::FILE* err;
};

} // namespace orvane::sample
