// Every 3DS file of gl-117-data and glmark2-data, drawn by the viewer and found framed
// (ctest -L tests_realmodels runs it alone).

#include "tests/sample/RealModels.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

namespace orvane::test::realmodels {
namespace {

using namespace std::chrono_literals;

TEST(RealModels, EveryFileOfBothPackagesIsFramed) {
    if (!installed(GL117) || !installed(GLMARK2))
        GTEST_SKIP() << "gl-117-data and glmark2-data are not installed";
    Watchdog watchdog(300s, "every real model");
    for (const std::string& package : {GL117, GLMARK2}) {
        const std::vector<std::string> models = modelsIn(package);
        EXPECT_GE(models.size(), 5u) << package;
        for (const std::string& model : models) {
            watchdog.progress(model);
            expectFramed(model, package + "/textures");
        }
    }
}

} // namespace
} // namespace orvane::test::realmodels
