#include "orvane/sample/ModelWatch.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvane::sample {
namespace {

// A change is answered once, after a quiet spell: a file written in pieces is read when
// the pieces stop. What the model does not use (another model, a text file) changes
// nothing; a picture beside the model might be one of its textures.
TEST(ModelWatch, AnswersOnceAfterTheQuietSpellForTheModelAndItsPicturesOnly) {
    test::TempDirectory models, maps;
    models.write("jet.3ds", "3DS");
    ModelWatch watch(models.path("jet.3ds"), maps.path());
    ASSERT_TRUE(watch.isWatching()) << watch.failure();
    EXPECT_FALSE(watch.due(0.0));

    models.write("other.3ds", "3DS");
    models.write("notes.txt", "text");
    maps.write("readme.txt", "text");
    EXPECT_FALSE(watch.due(10.0));
    EXPECT_FALSE(watch.due(20.0));

    models.write("jet.3ds", "3DS, half");
    EXPECT_FALSE(watch.due(30.0)) << "just changed";
    EXPECT_FALSE(watch.due(30.0 + ModelWatch::QUIET / 2));
    models.write("jet.3ds", "3DS, whole");
    EXPECT_FALSE(watch.due(30.0 + ModelWatch::QUIET)) << "changed again: the spell starts over";
    EXPECT_TRUE(watch.due(31.0));
    EXPECT_FALSE(watch.due(32.0)) << "answered once";

    maps.write("CAMO.TGA", "picture");
    EXPECT_FALSE(watch.due(40.0));
    EXPECT_TRUE(watch.due(41.0));

    const ModelWatch nowhere(models.path("absent/jet.3ds"), "");
    EXPECT_FALSE(nowhere.isWatching());
    EXPECT_NE(nowhere.failure().find("cannot watch"), std::string::npos);
}

} // namespace
} // namespace orvane::sample
