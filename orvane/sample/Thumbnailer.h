#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orvane::sample {

// Draws a model file's thumbnail for file managers, as the freedesktop thumbnailer entry
// runs it (orvane-thumbnail -s SIZE INPUT OUTPUT): the model framed as the viewer frames
// it but turned to a three-quarter view, on a neutral grey, in a square PNG of SIZE pixels a side,
// always offscreen (no X server needed, and no window flashes by on a desktop). The picture is
// written beside OUTPUT under another name and renamed over it once complete, so that a file that
// cannot be drawn leaves nothing behind: the file manager then shows its own icon.
class Thumbnailer {
public:
    static constexpr std::int32_t DEFAULT_SIZE = 256;
    // Sizes asked for outside these are held to them.
    static constexpr std::int32_t SMALLEST = 32;
    static constexpr std::int32_t LARGEST = 1024;
    static constexpr float BACKGROUND = 0.25f;
    // A three-quarter view: a model seen from straight above may be a line (a wall, a
    // sign), which a turn about both axes shows as a face.
    static constexpr float TURN_A = -30.0f;
    static constexpr float TURN_B = 30.0f;

    // Runs the program on its arguments (after the program name). Answers the exit code:
    // 0 once OUTPUT is written, 1 when the model could not be drawn or written (said on
    // err), 2 for a wrong command line (the usage on err).
    static int run(int argc, const char* const* argv, std::FILE* err);

    // The file system path an argument names: a file:// URI decoded, else as it stands.
    static std::string pathOf(const std::string& argument);
};

} // namespace orvane::sample
