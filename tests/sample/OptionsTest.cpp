#include "orvane/sample/Options.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane::sample {
namespace {

bool parse(std::vector<const char*> arguments, Options& options, std::string& error) {
    return Options::parse(int(arguments.size()), arguments.data(), options, error);
}

TEST(ViewerOptions, NoArgumentsShowTheSampleJetInteractively) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({}, options, error));
    EXPECT_EQ(options.model, "data\\f5e_05.3ds");
    EXPECT_EQ(options.textures, "data");
    EXPECT_EQ(options.width, 300);
    EXPECT_EQ(options.height, 300);
    EXPECT_FALSE(options.isBatch());
    EXPECT_EQ(options.framesToDraw(), 0u);
}

TEST(ViewerOptions, TexturesAreLookedUpBesideTheModelUnlessSaidOtherwise) {
    Options beside, bare, elsewhere;
    std::string error;
    ASSERT_TRUE(parse({"models/jet.3ds"}, beside, error));
    EXPECT_EQ(beside.textures, "models");
    ASSERT_TRUE(parse({"jet.3ds"}, bare, error));
    EXPECT_EQ(bare.textures, "") << "the working directory";
    ASSERT_TRUE(parse(
        {"--textures", "maps", "models\\jet.3ds", "--size", "640x480", "--frames", "7", "--stats"},
        elsewhere, error));
    EXPECT_EQ(elsewhere.model, "models\\jet.3ds");
    EXPECT_EQ(elsewhere.textures, "maps");
    EXPECT_EQ(elsewhere.width, 640);
    EXPECT_EQ(elsewhere.height, 480);
    EXPECT_EQ(elsewhere.framesToDraw(), 7u);
    EXPECT_TRUE(elsewhere.statistics);
}

TEST(ViewerOptions, ASnapshotAloneDrawsOneFrame) {
    Options options;
    std::string error;
    ASSERT_TRUE(parse({"--snapshot", "out.png"}, options, error));
    EXPECT_TRUE(options.isBatch());
    EXPECT_EQ(options.framesToDraw(), 1u);
}

TEST(ViewerOptions, MistakesAreRefusedWithTheirReason) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"--frames"}, "--frames needs a value"},
        {{"--frames", "0"}, "--frames takes a positive count: 0"},
        {{"--frames", "-3"}, "--frames takes a positive count: -3"},
        {{"--frames", "99999999999"}, "--frames takes a positive count: 99999999999"},
        {{"--size", "300"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192: 300"},
        {{"--size", "0x10"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192: 0x10"},
        {{"--size", "9000x10"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192: 9000x10"},
        {{"--size", "10x"}, "--size takes WIDTHxHEIGHT, each from 1 to 8192: 10x"},
        {{"--quick"}, "unknown option --quick"},
        {{"a.3ds", "b.3ds"}, "one model at a time: b.3ds"},
    };
    for (const auto& [arguments, reason] : cases) {
        Options options;
        std::string error;
        EXPECT_FALSE(parse(arguments, options, error)) << reason;
        EXPECT_EQ(error, reason);
    }
}

TEST(ViewerOptions, FileNamesAreShownWithSlashes) {
    EXPECT_EQ(displayName("data\\f5e_05.3ds"), "data/f5e_05.3ds");
    EXPECT_EQ(displayName("a/b\\c"), "a/b/c");
}

} // namespace
} // namespace orvane::sample
