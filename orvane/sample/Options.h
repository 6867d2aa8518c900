#pragma once

#include <cstdint>
#include <string>

namespace orvane::sample {

// What the viewer was asked to do on its command line. Without arguments it shows the
// sample jet in a 300 x 300 window until the window is closed.
class Options {
public:
    // The engine's names for the sample model and its texture directory; the file layer
    // turns the backslash into a slash.
    static constexpr const char* SAMPLE_MODEL = "data\\f5e_05.3ds";
    static constexpr const char* SAMPLE_TEXTURES = "data";

    // Reads the arguments after the program name. False, with `error` saying what was
    // wrong in one line, for an unknown option, a missing or malformed value, or a second
    // model. A model given without --textures has its textures looked up beside it.
    static bool parse(int argc, const char* const* argv, Options& options, std::string& error);
    // The text of --help.
    static const char* usage() noexcept;

    // Without a model on the command line the viewer shows the sample from data/ in the
    // working directory. An installed viewer started anywhere else takes the installed
    // copy in `installedData` instead, when the working directory has none and that one
    // exists. Answers whether it switched.
    bool preferInstalledSample(const std::string& installedData);

    // Whether the run ends by itself (a frame count or a snapshot) rather than when the
    // window is closed.
    bool isBatch() const noexcept { return frames > 0 || !snapshot.empty(); }
    // The number of frames a batch run draws: the count given, else one for a snapshot.
    std::uint32_t framesToDraw() const noexcept;

    std::string model = SAMPLE_MODEL;
    std::string textures = SAMPLE_TEXTURES;
    std::int32_t width = 300;
    std::int32_t height = 300;
    // 0: draw until the window is closed.
    std::uint32_t frames = 0;
    std::string snapshot;
    bool statistics = false;
    bool help = false;
};

// How a file name is shown to the user: with slashes, whatever the engine's spelling.
std::string displayName(const std::string& path);

} // namespace orvane::sample
