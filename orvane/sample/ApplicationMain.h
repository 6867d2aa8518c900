#pragma once

#include "orvane/sample/Options.h"

namespace orvane::sample {

// The viewer's program: runs the sample application with the options and answers the
// process's exit code (1 once the window was closed; see Options::usage for the rest).
// Without an X display a snapshot is drawn offscreen, and anything else is refused.
int applicationMain(const Options& options);

} // namespace orvane::sample
