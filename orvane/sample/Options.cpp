#include "orvane/sample/Options.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace orvane::sample {
namespace {

// The directory part of a path, either separator counting; empty for a bare file name.
std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool parseCount(const std::string& text, std::uint32_t& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || parsed == 0 || parsed > std::numeric_limits<std::uint32_t>::max())
        return false;
    value = std::uint32_t(parsed);
    return true;
}

// "WxH" with both sides from 1 to 8192 pixels.
bool parseSize(const std::string& text, std::int32_t& width, std::int32_t& height) {
    const std::size_t x = text.find('x');
    std::uint32_t w = 0, h = 0;
    if (x == std::string::npos || !parseCount(text.substr(0, x), w) ||
        !parseCount(text.substr(x + 1), h) || w > 8192 || h > 8192)
        return false;
    width = std::int32_t(w);
    height = std::int32_t(h);
    return true;
}

} // namespace

bool Options::parse(int argc, const char* const* argv, Options& options, std::string& error) {
    bool modelGiven = false, texturesGiven = false;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = argument + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        std::string text;
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--stats") {
            options.statistics = true;
        } else if (argument == "--textures") {
            if (!value(options.textures))
                return false;
            texturesGiven = true;
        } else if (argument == "--snapshot") {
            if (!value(options.snapshot))
                return false;
        } else if (argument == "--size") {
            if (!value(text))
                return false;
            if (!parseSize(text, options.width, options.height)) {
                error = "--size takes WIDTHxHEIGHT, each from 1 to 8192: " + text;
                return false;
            }
        } else if (argument == "--frames") {
            if (!value(text))
                return false;
            if (!parseCount(text, options.frames)) {
                error = "--frames takes a positive count: " + text;
                return false;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument;
            return false;
        } else if (modelGiven) {
            error = "one model at a time: " + argument;
            return false;
        } else {
            options.model = argument;
            modelGiven = true;
        }
    }
    if (modelGiven && !texturesGiven)
        options.textures = directoryOf(options.model);
    return true;
}

bool Options::preferInstalledSample(const std::string& installedData) {
    if (model != SAMPLE_MODEL || textures != SAMPLE_TEXTURES || installedData.empty())
        return false;
    const std::filesystem::path sample = std::filesystem::path(installedData) / "f5e_05.3ds";
    std::error_code error;
    if (std::filesystem::exists(displayName(SAMPLE_MODEL), error) ||
        !std::filesystem::is_regular_file(sample, error))
        return false;
    model = sample.string();
    textures = installedData;
    return true;
}

std::uint32_t Options::framesToDraw() const noexcept {
    return frames > 0 ? frames : snapshot.empty() ? 0 : 1;
}

const char* Options::usage() noexcept {
    return "usage: orvane-viewer [MODEL] [--textures DIR] [--size WxH] [--frames N]\n"
           "                     [--snapshot FILE.png] [--stats]\n"
           "\n"
           "Shows a 3DS model, lit and textured, in a window titled \"Orvane\". Without MODEL\n"
           "it shows the sample jet, data/f5e_05.3ds, with the textures in data/ (run it\n"
           "from the repository's root; started elsewhere, an installed viewer shows the\n"
           "copy installed in share/orvane/data).\n"
           "\n"
           "The mouse moves the model: drag with the left button to pan, with the middle\n"
           "button to rotate, with the right button to move it nearer or farther.\n"
           "\n"
           "  MODEL              a 3DS file; its textures are looked up beside it\n"
           "  --textures DIR     look the model's textures up in DIR instead\n"
           "  --size WxH         the window's size in pixels (default 300x300)\n"
           "  --frames N         draw N frames, then close as if the window were closed\n"
           "  --snapshot FILE    write the last frame drawn as a PNG file (after one frame\n"
           "                     unless --frames says otherwise); without a reachable X\n"
           "                     display it draws offscreen instead of in a window\n"
           "  --stats            show frame statistics over the model and print one line\n"
           "                     a second: frames per second, frame time, GL calls a frame\n"
           "  --help             this text\n"
           "\n"
           "Exit status: 1 after the window was closed, 0 when a --frames or --snapshot run\n"
           "succeeded, 2 when it could not be done (a model or texture that does not load,\n"
           "no window and no offscreen context, a snapshot that cannot be written) or the\n"
           "command line was wrong.\n";
}

std::string displayName(const std::string& path) {
    std::string shown = path;
    for (char& c : shown)
        if (c == '\\')
            c = '/';
    return shown;
}

} // namespace orvane::sample
