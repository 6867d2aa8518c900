#include "orvane/sample/Thumbnailer.h"

#include "orvane/sample/OffscreenViewer.h"
#include "orvane/sample/Options.h"
#include "orvane/sample/SampleApplication.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace orvane::sample {
namespace {

constexpr const char* USAGE = "usage: orvane-thumbnail [-s SIZE] INPUT OUTPUT\n";

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool parseSize(const char* text, std::int32_t& size) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value <= 0)
        return false;
    size = std::int32_t(std::clamp<long>(value, Thumbnailer::SMALLEST, Thumbnailer::LARGEST));
    return true;
}

// Where the picture is drawn before it takes OUTPUT's name: beside it (a rename stays on
// one file system), ending in .png as snapshots must.
std::string partialPathOf(const std::string& output) {
    return output + ".orvane-" + std::to_string(getpid()) + ".png";
}

} // namespace

std::string Thumbnailer::pathOf(const std::string& argument) {
    static const std::string scheme = "file://";
    if (argument.compare(0, scheme.size(), scheme) != 0)
        return argument;
    std::string path;
    for (std::size_t i = scheme.size(); i < argument.size(); ++i) {
        const int high = i + 2 < argument.size() ? hexValue(argument[i + 1]) : -1;
        const int low = i + 2 < argument.size() ? hexValue(argument[i + 2]) : -1;
        if (argument[i] == '%' && high >= 0 && low >= 0) {
            path += char(high * 16 + low);
            i += 2;
        } else {
            path += argument[i];
        }
    }
    // file://host/path: only the local host's files can be read.
    if (!path.empty() && path.front() != '/') {
        const std::size_t slash = path.find('/');
        path = slash == std::string::npos ? std::string() : path.substr(slash);
    }
    return path;
}

int Thumbnailer::run(int argc, const char* const* argv, std::FILE* err) {
    std::int32_t size = DEFAULT_SIZE;
    int at = 0;
    if (at + 1 < argc && std::strcmp(argv[at], "-s") == 0) {
        if (!parseSize(argv[at + 1], size)) {
            std::fputs(USAGE, err);
            return 2;
        }
        at += 2;
    }
    if (argc - at != 2) {
        std::fputs(USAGE, err);
        return 2;
    }
    const std::string input = pathOf(argv[at]), output = pathOf(argv[at + 1]);
    Options options;
    options.model = input;
    options.models = {input};
    options.modelGiven = true;
    options.textures = options.texturesFor(input);
    options.width = options.height = size;
    std::fill(options.background, options.background + 3, BACKGROUND);
    options.turn[0] = TURN_A;
    options.turn[1] = TURN_B;
    const std::string partial = partialPathOf(output);
    options.snapshot = partial;
    const int drawn = OffscreenViewer(options, "orvane-thumbnail", err).run();
    std::error_code error;
    if (drawn == SampleApplication::EXIT_DONE) {
        std::filesystem::rename(partial, output, error);
        if (!error)
            return 0;
        std::fprintf(err, "orvane-thumbnail: %s: %s\n", output.c_str(), error.message().c_str());
    }
    std::filesystem::remove(partial, error);
    return 1;
}

} // namespace orvane::sample
