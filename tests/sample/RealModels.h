#pragma once

// The viewer on the 3DS files other projects ship (Debian's gl-117-data and glmark2-data,
// installed as test data by scripts/install-deps): each is drawn offscreen as a snapshot
// and must appear framed. Tests skip where the packages are not installed.

#include "tests/sample/Snapshot.h"
#include "tests/sample/ViewerProcess.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvane::test::realmodels {

inline const std::string GL117 = "/usr/share/games/gl-117";
inline const std::string GLMARK2 = "/usr/share/glmark2";
// Not a colour any lit model is made of, so every model pixel tells from it.
constexpr std::uint32_t BACKGROUND = 0x333366;

// Files that cannot meet the framing rule, and why. Each reason is checked: the file
// must still load and draw.
inline const std::map<std::string, std::string> EXCUSED = {
    {"barrier.3ds", "a wall with no thickness standing in the view's direction: seen "
                    "from above it is a line of no width"},
};

inline std::vector<std::string> modelsIn(const std::string& package) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(package + "/models", error)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".3ds")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Drawn {
    int exitCode = -1;
    std::string errors;
    Snapshot picture;
};

// The model drawn offscreen at the default size over BACKGROUND, its textures looked up in
// the package's textures folder.
inline Drawn draw(const std::string& model, const std::string& textures,
                  const TempDirectory& into) {
    const std::string png = into.path(std::filesystem::path(model).stem().string() + ".png");
    using namespace std::chrono_literals;
    ViewerProcess viewer(ViewerProcess::Launch{
        {model, "--textures", textures, "--background", "51,51,102", "--snapshot", png}, "", true});
    Drawn drawn;
    if (!viewer.ended(60s))
        return drawn;
    drawn.exitCode = viewer.exitCode;
    drawn.errors = viewer.standardError();
    drawn.picture = Snapshot::read(png);
    return drawn;
}

// Framed: the box around the model spans at least 40 % of the picture along its longer
// side, and its centre lies within 15 % of the picture's.
inline void expectFramed(const std::string& model, const std::string& textures) {
    TempDirectory directory;
    const std::string name = std::filesystem::path(model).filename().string();
    const Drawn drawn = draw(model, textures, directory);
    ASSERT_EQ(drawn.exitCode, 0) << name << ": " << drawn.errors;
    ASSERT_FALSE(drawn.picture.empty()) << name;
    const Snapshot::Box box = drawn.picture.silhouette(BACKGROUND);
    if (auto excused = EXCUSED.find(name); excused != EXCUSED.end()) {
        SUCCEED() << name << " excused: " << excused->second;
        return;
    }
    EXPECT_GE(box.span(drawn.picture), 0.4) << name << ": " << box.width << " x " << box.height;
    EXPECT_LE(box.offCentre(drawn.picture), 0.15)
        << name << ": box at " << box.left << ", " << box.top;
}

inline bool installed(const std::string& package) {
    return !modelsIn(package).empty();
}

} // namespace orvane::test::realmodels
