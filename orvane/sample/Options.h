#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
    // wrong in one line, for an unknown option, a missing or malformed value, a directory
    // without .3ds files, or one snapshot file for several models. A model given without
    // --textures has its textures looked up beside it.
    static bool parse(int argc, const char* const* argv, Options& options, std::string& error);
    // The text of --help.
    static const char* usage() noexcept;

    // Without a model on the command line the viewer shows the sample from data/ in the
    // working directory. An installed viewer started anywhere else takes the installed
    // copy in `installedData` instead, when the working directory has none and that one
    // exists. Answers whether it switched.
    bool preferInstalledSample(const std::string& installedData);

    // Whether the run ends by itself (a frame count, a snapshot or a benchmark) rather
    // than when the window is closed.
    bool isBatch() const noexcept { return frames > 0 || !snapshot.empty() || benchmark; }
    // The number of frames a batch run draws: the count given, else BENCHMARK_FRAMES for a
    // benchmark and one for a snapshot.
    std::uint32_t framesToDraw() const noexcept;

    // The largest window side; offscreen frames are held to the same.
    static constexpr std::int32_t MAXIMUM_SIDE = 4096;
    static constexpr std::uint32_t BENCHMARK_FRAMES = 500;

    // The texture directory of a model: the one given with --textures, else the
    // model's own directory (the sample's directory for the sample).
    std::string texturesFor(const std::string& modelPath) const;
    // Whether --snapshot names a directory (ends in a slash): one PNG per model there.
    bool snapshotsInDirectory() const noexcept;
    // The snapshot file of a model: --snapshot's file, or DIR/NAME.png for a directory.
    std::string snapshotFor(const std::string& modelPath) const;

    // The first (or only) model, the sample when none was given.
    std::string model = SAMPLE_MODEL;
    // Every model given, directories expanded, in order; empty for the sample.
    std::vector<std::string> models;
    std::string textures = SAMPLE_TEXTURES;
    bool texturesGiven = false;
    // Whether the model came from the command line: such a model is framed (centred and
    // scaled to the sample's size); the sample is drawn as it is.
    bool modelGiven = false;
    // Reload the shown model when its file or a file in its texture directory changes.
    bool watch = false;
    std::int32_t width = 300;
    std::int32_t height = 300;
    // 0: draw until the window is closed.
    std::uint32_t frames = 0;
    std::string snapshot;
    bool statistics = false;
    // Frames back to back, without the redraw ticker, then one line of figures.
    bool benchmark = false;
    // How the model is turned in the first frame, in degrees about the mouse control's two
    // axes (Gui::placement); not on the command line: the thumbnailer's three-quarter view.
    float turn[2] = {0, 0};
    // The clear colour, 0 to 1 a channel.
    float background[3] = {0, 0, 0};
    // How many times the size it is placed at the model is drawn (about the origin, which
    // is a framed model's centre): llvmpipe's time a frame follows the pixels a model
    // covers, so frame rates are compared at the same picture size. At most 1: the near
    // and far planes were chosen for the sample's sphere, and a larger model would cross
    // them.
    float scale = 1.0f;
    static constexpr float MINIMUM_SCALE = 0.01f;
    static constexpr float MAXIMUM_SCALE = 1.0f;
    bool help = false;
};

// How a file name is shown to the user: with slashes, whatever the engine's spelling.
std::string displayName(const std::string& path);
// The last component of a path, either separator counting.
std::string fileNameOf(const std::string& path);

} // namespace orvane::sample
