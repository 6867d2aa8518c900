// Runs the installed thumbnailer entry as a file manager runs it, on every 3DS model of
// the given directories: the Exec line of PREFIX/share/thumbnailers/orvane.thumbnailer
// with %s, %i and %o substituted, PREFIX/bin on the PATH, no DISPLAY. Each model must
// give a PNG of the asked size with the model on its grey background, in a share of the
// picture that a framed model covers. Prints one line per model with its time.
//
//   check-thumbnailer PREFIX WORK-DIRECTORY MODEL-DIRECTORY...

#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics/TranslatorPNG.h"
#include "orvane/io/SystemFile.h"
#include "orvane/object/Pointer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace orvane;

std::string execLine(const std::string& entry) {
    std::ifstream in(entry);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Exec=", 0) == 0)
            return line.substr(5);
    return {};
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The Exec line with the file manager's substitutions.
std::string commandFor(std::string exec, const std::string& input, const std::string& output,
                       int size) {
    const std::pair<std::string, std::string> codes[] = {
        {"%s", std::to_string(size)}, {"%i", quoted(input)}, {"%o", quoted(output)}};
    for (const auto& [code, value] : codes)
        for (std::size_t at; (at = exec.find(code)) != std::string::npos;)
            exec.replace(at, code.size(), value);
    return exec;
}

// The share of the picture's pixels that are not the background (its corner's colour);
// -1 when it is not an RGB picture of size x size.
double modelShare(const std::string& path, int size) {
    object::Pointer<graphics::Image> image;
    try {
        auto file = object::Pointer<io::SystemFile>::adopt(
            io::SystemFile::open(path.c_str(), io::SystemFile::MODE_READ));
        graphics::TranslatorPNG translator;
        image = object::Pointer<graphics::Image>::adopt(
            translator.translate(file->getInputStream(), -1));
    } catch (...) {
        return -1;
    }
    if (!image || image->getWidth() != size || image->getHeight() != size ||
        image->getFormat() != graphics::PixelFormat::RGB24)
        return -1;
    const auto* pixels = static_cast<const std::uint8_t*>(image->pixels());
    long model = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const std::uint8_t* p = pixels + y * image->getRowBytes() + 3 * x;
            model += std::abs(p[0] - pixels[0]) > 2 || std::abs(p[1] - pixels[1]) > 2 ||
                     std::abs(p[2] - pixels[2]) > 2;
        }
    return double(model) / (double(size) * size);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: check-thumbnailer PREFIX WORK-DIRECTORY MODEL-DIRECTORY...\n");
        return 2;
    }
    const std::string prefix = argv[1], work = argv[2];
    const std::string exec = execLine(prefix + "/share/thumbnailers/orvane.thumbnailer");
    if (exec.empty()) {
        std::fprintf(stderr, "no Exec line in the installed thumbnailer entry\n");
        return 1;
    }
    std::filesystem::create_directories(work);
    const std::string environment =
        "env -u DISPLAY PATH=" + quoted(prefix + "/bin") + ":\"$PATH\" ";
    const int sizes[] = {32, 128, 256, 512, 1024};
    int checked = 0, failed = 0;
    double slowest = 0;
    for (int d = 3; d < argc; ++d) {
        std::vector<std::filesystem::path> models;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(argv[d], error)) {
            std::string extension = entry.path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
            if (extension == ".3ds")
                models.push_back(entry.path());
        }
        std::sort(models.begin(), models.end());
        for (const auto& model : models) {
            const int size = sizes[checked % 5];
            const std::string output = work + "/" + model.stem().string() + ".png";
            std::filesystem::remove(output, error);
            const auto start = std::chrono::steady_clock::now();
            const int status = std::system(
                (environment + commandFor(exec, model.string(), output, size) + " 2>/dev/null")
                    .c_str());
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const double share = status == 0 ? modelShare(output, size) : -1;
            // Framed, a model covers some of the square and leaves the corners.
            const bool good = share >= 0.002 && share <= 0.9;
            std::printf("%s %s %dpx %.3f s model %.1f %%\n", good ? "ok  " : "FAIL",
                        model.filename().c_str(), size, seconds, share * 100);
            failed += !good;
            slowest = std::max(slowest, seconds);
            ++checked;
        }
    }
    std::printf("%d models, %d failed, the slowest %.3f s\n", checked, failed, slowest);
    return checked > 0 && failed == 0 ? 0 : 1;
}
