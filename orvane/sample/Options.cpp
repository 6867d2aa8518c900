#include "orvane/sample/Options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <vector>

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

// "WxH" with both sides from 1 to the largest window side.
bool parseSize(const std::string& text, std::int32_t& width, std::int32_t& height) {
    const std::size_t x = text.find('x');
    std::uint32_t w = 0, h = 0;
    const auto limit = std::uint32_t(Options::MAXIMUM_SIDE);
    if (x == std::string::npos || !parseCount(text.substr(0, x), w) ||
        !parseCount(text.substr(x + 1), h) || w > limit || h > limit)
        return false;
    width = std::int32_t(w);
    height = std::int32_t(h);
    return true;
}

// A plain decimal number from MINIMUM_SCALE to MAXIMUM_SCALE.
bool parseScale(const std::string& text, float& scale) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(value >= Options::MINIMUM_SCALE && value <= Options::MAXIMUM_SCALE))
        return false;
    scale = float(value);
    return true;
}

// "R,G,B": three numbers from 0 to 1, or three whole numbers from 0 to 255 when one of
// them is above 1.
bool parseColour(const std::string& text, float (&colour)[3]) {
    double values[3];
    bool whole = true;
    std::size_t start = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const std::size_t comma = text.find(',', start);
        if ((channel < 2) != (comma != std::string::npos))
            return false;
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (part.empty() || part.find_first_not_of("0123456789.") != std::string::npos)
            return false;
        char* end = nullptr;
        values[channel] = std::strtod(part.c_str(), &end);
        if (*end != '\0' || !(values[channel] >= 0 && values[channel] <= 255))
            return false;
        whole = whole && part.find('.') == std::string::npos;
        start = comma + 1;
    }
    const bool bytes = whole && std::max({values[0], values[1], values[2]}) > 1;
    for (int channel = 0; channel < 3; ++channel) {
        if (!bytes && values[channel] > 1)
            return false;
        colour[channel] = float(bytes ? values[channel] / 255 : values[channel]);
    }
    return true;
}

bool hasModelExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".3ds";
}

// A model argument: a file, or a directory standing for every .3ds file in it (any case),
// in name order.
bool addModels(const std::string& argument, std::vector<std::string>& models, std::string& error) {
    std::error_code failure;
    if (!std::filesystem::is_directory(argument, failure)) {
        models.push_back(argument);
        return true;
    }
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(argument, failure))
        if (hasModelExtension(entry.path()) && !entry.is_directory(failure))
            found.push_back(entry.path().string());
    if (failure) {
        error = "cannot read the directory " + argument + ": " + failure.message();
        return false;
    }
    if (found.empty()) {
        error = "no .3ds file in " + argument;
        return false;
    }
    std::sort(found.begin(), found.end());
    models.insert(models.end(), found.begin(), found.end());
    return true;
}

bool endsWithPng(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".png";
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
            if (!endsWithPng(options.snapshot) && !options.snapshotsInDirectory()) {
                error = "--snapshot writes PNG files only; give a name ending in .png (or a "
                        "directory ending in /): " +
                        options.snapshot;
                return false;
            }
        } else if (argument == "--watch") {
            options.watch = true;
        } else if (argument == "--benchmark") {
            options.benchmark = true;
        } else if (argument == "--background") {
            if (!value(text))
                return false;
            if (!parseColour(text, options.background)) {
                error = "--background takes R,G,B, each from 0 to 1 (or 0 to 255): " + text;
                return false;
            }
        } else if (argument == "--scale") {
            if (!value(text))
                return false;
            if (!parseScale(text, options.scale)) {
                error = "--scale takes a factor from 0.01 to 1: " + text;
                return false;
            }
        } else if (argument == "--size") {
            if (!value(text))
                return false;
            if (!parseSize(text, options.width, options.height)) {
                error = "--size takes WIDTHxHEIGHT, each from 1 to " +
                        std::to_string(MAXIMUM_SIDE) + ": " + text;
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
        } else if (!addModels(argument, options.models, error)) {
            return false;
        }
    }
    modelGiven = !options.models.empty();
    options.modelGiven = modelGiven;
    options.texturesGiven = texturesGiven;
    if (modelGiven)
        options.model = options.models.front();
    if (modelGiven && !texturesGiven)
        options.textures = directoryOf(options.model);
    if (options.models.size() > 1 && !options.snapshot.empty() && !options.snapshotsInDirectory()) {
        error = "--snapshot of several models takes a directory ending in /: " + options.snapshot;
        return false;
    }
    return true;
}

std::string Options::texturesFor(const std::string& modelPath) const {
    return texturesGiven || !modelGiven ? textures : directoryOf(modelPath);
}

bool Options::snapshotsInDirectory() const noexcept {
    return !snapshot.empty() && (snapshot.back() == '/' || snapshot.back() == '\\');
}

std::string Options::snapshotFor(const std::string& modelPath) const {
    if (!snapshotsInDirectory())
        return snapshot;
    std::string name = fileNameOf(modelPath);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return snapshot + name + ".png";
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
    if (frames > 0)
        return frames;
    if (benchmark)
        return BENCHMARK_FRAMES;
    return snapshot.empty() ? 0 : 1;
}

const char* Options::usage() noexcept {
    return "usage: orvane-viewer [MODEL...] [--textures DIR] [--size WxH] [--frames N]\n"
           "                     [--snapshot FILE.png | --snapshot DIR/] [--stats]\n"
           "                     [--benchmark] [--background R,G,B] [--scale F] [--watch]\n"
           "\n"
           "Shows a 3DS model, lit and textured, in a window titled \"Orvane\". Without MODEL\n"
           "it shows the sample jet, data/f5e_05.3ds, with the textures in data/ (run it\n"
           "from the repository's root; started elsewhere, an installed viewer shows the\n"
           "copy installed in share/orvane/data). A model given here is centred and scaled\n"
           "to fill the window as the jet does; textures it names that cannot be loaded are\n"
           "reported, one line each, and the model is shown without them.\n"
           "\n"
           "Mouse:\n"
           "  left drag          pan\n"
           "  middle drag        rotate\n"
           "  right drag, wheel  move the model nearer or farther\n"
           "Keys:\n"
           "  r, Home, Space     reset the view\n"
           "  w                  wireframe or filled\n"
           "  l                  lighting on or off\n"
           "  t                  textures on or off\n"
           "  b                  back faces culled or drawn\n"
           "  s                  the statistics overlay on or off\n"
           "  p, F12             write a screenshot orvane-NNNN.png in the working directory\n"
           "  h, F1              show or hide the help overlay\n"
           "  q, Escape          close the window\n"
           "  Page Down, Right   the next model (of several)\n"
           "  Page Up, Left      the previous model\n"
           "\n"
           "  MODEL              a 3DS file, its textures looked up beside it, or a\n"
           "                     directory: every .3ds file in it, in name order; with\n"
           "                     several the title says which is shown (\"Orvane - NAME\n"
           "                     (2 of 5)\")\n"
           "  --textures DIR     look the model's textures up in DIR instead\n"
           "  --size WxH         the window's size in pixels (default 300x300, at most\n"
           "                     4096x4096)\n"
           "  --frames N         draw N frames, then close as if the window were closed\n"
           "  --snapshot FILE    write the last frame drawn as a PNG file (after one frame\n"
           "                     unless --frames says otherwise); without a reachable X\n"
           "                     display it draws offscreen instead of in a window;\n"
           "  --snapshot DIR/    one PNG per model, DIR/NAME.png, always offscreen\n"
           "  --watch            reload the model when its file or a texture beside it\n"
           "                     changes, keeping the view\n"
           "  --stats            show frame statistics over the model and print one line\n"
           "                     a second: frames per second, frame time, GL calls a frame\n"
           "  --benchmark        draw --frames frames (default 500) back to back, without\n"
           "                     the 50 Hz redraw, then print frames, seconds, frames per\n"
           "                     second, milliseconds and GL calls a frame; offscreen\n"
           "                     without an X display\n"
           "  --background R,G,B the clear colour, each channel 0 to 1 (or 0 to 255)\n"
           "  --scale F          draw the model F times the size it is shown at (0.01 to\n"
           "                     1): frame rates compared at another picture size\n"
           "  --help             this text\n"
           "\n"
           "Exit status: 1 after the window was closed, 0 when a --frames, --snapshot or\n"
           "--benchmark run succeeded, 2 when it could not be done (a model that does not\n"
           "load, no window and no offscreen context, a snapshot that cannot be written) or\n"
           "the command line was wrong.\n";
}

std::string displayName(const std::string& path) {
    std::string shown = path;
    for (char& c : shown)
        if (c == '\\')
            c = '/';
    return shown;
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace orvane::sample
