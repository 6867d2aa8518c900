// A selection of the real models in every run of the suite, and the textured aircraft.

#include "tests/sample/RealModels.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

namespace orvane::test::realmodels {
namespace {

using namespace std::chrono_literals;

// A few of them in every run of the suite: one with textures that ship under other names,
// one with a stray vertex far outside the model, the largest, a plain cube.
TEST(RealModels, ASelectionIsFramed) {
    if (!installed(GL117) || !installed(GLMARK2))
        GTEST_SKIP() << "gl-117-data and glmark2-data are not installed";
    Watchdog watchdog(120s, "the selection");
    for (const char* name : {"gl-14.3ds", "pickup2.3ds", "tank1.3ds"})
        expectFramed(GL117 + "/models/" + name, GL117 + "/textures");
    for (const char* name : {"horse.3ds", "asteroid-high.3ds", "cube.3ds"})
        expectFramed(GLMARK2 + "/models/" + name, GLMARK2 + "/textures");
}

// The aircraft name textures the package ships under other extensions and in another
// folder: with the folder given they show, against the same aircraft whose textures are
// not found (drawn in their materials' flat colours, with one warning a file).
TEST(RealModels, TheTexturedAircraftShowTheirTextures) {
    if (!installed(GL117))
        GTEST_SKIP() << "gl-117-data is not installed";
    Watchdog watchdog(120s, "the aircraft");
    TempDirectory textured, plain;
    for (const char* name : {"gl-14.3ds", "gl-15.3ds", "gl-16.3ds"}) {
        const std::string model = GL117 + "/models/" + name;
        const Drawn withTextures = draw(model, GL117 + "/textures", textured);
        const Drawn without = draw(model, plain.path(), plain);
        ASSERT_EQ(withTextures.exitCode, 0) << name << ": " << withTextures.errors;
        ASSERT_EQ(without.exitCode, 0) << name << ": " << without.errors;
        EXPECT_EQ(withTextures.errors, "") << name << ": every texture is found";
        EXPECT_NE(without.errors.find("orvane-viewer: warning: "), std::string::npos) << name;
        EXPECT_NE(without.errors.find(": texture not found in "), std::string::npos) << name;
        const std::size_t texturedColours = withTextures.picture.modelColours(BACKGROUND);
        const std::size_t plainColours = without.picture.modelColours(BACKGROUND);
        EXPECT_GT(texturedColours, plainColours * 3 / 2) << name;
        int differing = 0;
        for (std::size_t i = 0; i < withTextures.picture.pixels.size(); ++i)
            differing +=
                Snapshot::differs(withTextures.picture.pixels[i], without.picture.pixels[i]);
        EXPECT_GT(differing, 1000) << name << ": the textures change the picture";
    }
}

} // namespace
} // namespace orvane::test::realmodels
