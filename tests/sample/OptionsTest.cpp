#include "orvane/sample/Options.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
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

// An installed viewer started outside share/orvane finds the installed sample; a sample in
// the working directory, or a model named on the command line, always wins.
TEST(ViewerOptions, TheInstalledSampleIsTakenOnlyWhereTheWorkingDirectoryHasNone) {
    test::TempDirectory installed, elsewhere;
    installed.write("f5e_05.3ds", "3DS");
    Options inTheSources;
    EXPECT_FALSE(inTheSources.preferInstalledSample(installed.path())) << "data/ is here";
    EXPECT_EQ(inTheSources.model, "data\\f5e_05.3ds");

    const std::filesystem::path sources = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    Options started, named, missing;
    const bool switched = started.preferInstalledSample(installed.path());
    std::string error;
    const bool parsed = parse({"own.3ds"}, named, error);
    const bool namedSwitched = named.preferInstalledSample(installed.path());
    const bool missingSwitched = missing.preferInstalledSample(elsewhere.path());
    std::filesystem::current_path(sources);

    EXPECT_TRUE(switched);
    EXPECT_EQ(started.model, installed.path("f5e_05.3ds"));
    EXPECT_EQ(started.textures, installed.path());
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(namedSwitched);
    EXPECT_EQ(named.model, "own.3ds");
    EXPECT_FALSE(missingSwitched) << "no installed sample either";
    EXPECT_EQ(missing.model, "data\\f5e_05.3ds");
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
        {{"--size", "300"}, "--size takes WIDTHxHEIGHT, each from 1 to 4096: 300"},
        {{"--size", "0x10"}, "--size takes WIDTHxHEIGHT, each from 1 to 4096: 0x10"},
        {{"--size", "9000x10"}, "--size takes WIDTHxHEIGHT, each from 1 to 4096: 9000x10"},
        {{"--size", "10x"}, "--size takes WIDTHxHEIGHT, each from 1 to 4096: 10x"},
        {{"--size", "4097x300"}, "--size takes WIDTHxHEIGHT, each from 1 to 4096: 4097x300"},
        {{"--snapshot", "frame.jpg"},
         "--snapshot writes PNG files only; give a name ending in .png (or a directory ending in "
         "/): frame.jpg"},
        {{"--snapshot", ".pn"},
         "--snapshot writes PNG files only; give a name ending in .png (or a directory ending in "
         "/): .pn"},
        {{"--background", "1,1"}, "--background takes R,G,B, each from 0 to 1 (or 0 to 255): 1,1"},
        {{"--background", "0.5,2,0"},
         "--background takes R,G,B, each from 0 to 1 (or 0 to 255): 0.5,2,0"},
        {{"--background", "0,0,256"},
         "--background takes R,G,B, each from 0 to 1 (or 0 to 255): 0,0,256"},
        {{"--background", "-1,0,0"},
         "--background takes R,G,B, each from 0 to 1 (or 0 to 255): -1,0,0"},
        {{"--background", "1,2,3,4"},
         "--background takes R,G,B, each from 0 to 1 (or 0 to 255): 1,2,3,4"},
        {{"--scale", "0"}, "--scale takes a factor from 0.01 to 1: 0"},
        {{"--scale", "1.5"}, "--scale takes a factor from 0.01 to 1: 1.5"},
        {{"--scale", "-2"}, "--scale takes a factor from 0.01 to 1: -2"},
        {{"--scale", "1e-1"}, "--scale takes a factor from 0.01 to 1: 1e-1"},
        {{"--scale", "0.5x"}, "--scale takes a factor from 0.01 to 1: 0.5x"},
        {{"--quick"}, "unknown option --quick"},
        {{"a.3ds", "b.3ds", "--snapshot", "a.png"},
         "--snapshot of several models takes a directory ending in /: a.png"},
    };
    for (const auto& [arguments, reason] : cases) {
        Options options;
        std::string error;
        EXPECT_FALSE(parse(arguments, options, error)) << reason;
        EXPECT_EQ(error, reason);
    }
}

// Several models, or a directory standing for its .3ds files in name order; textures and
// snapshots follow each model.
TEST(ViewerOptions, ModelsAndDirectoriesOfModelsEachWithTheirTexturesAndSnapshot) {
    test::TempDirectory folder;
    for (const char* name : {"b.3ds", "A.3DS", "c.3Ds", "notes.txt", "d.3ds.bak"})
        folder.write(name, "3DS");
    std::filesystem::create_directory(folder.path("sub.3ds"));
    Options options;
    std::string error;
    const std::string directory = folder.path();
    ASSERT_TRUE(
        parse({"first.3ds", directory.c_str(), "--snapshot", "out/", "--watch"}, options, error))
        << error;
    ASSERT_EQ(options.models.size(), 4u);
    EXPECT_EQ(options.models[0], "first.3ds");
    EXPECT_EQ(std::filesystem::path(options.models[1]).filename(), "A.3DS");
    EXPECT_EQ(std::filesystem::path(options.models[2]).filename(), "b.3ds");
    EXPECT_EQ(std::filesystem::path(options.models[3]).filename(), "c.3Ds");
    EXPECT_EQ(options.model, "first.3ds");
    EXPECT_TRUE(options.watch);
    EXPECT_TRUE(options.snapshotsInDirectory());
    EXPECT_EQ(options.snapshotFor(options.models[2]), "out/b.png");
    EXPECT_EQ(options.snapshotFor("x/jet.model.3ds"), "out/jet.model.png");
    EXPECT_EQ(options.texturesFor(options.models[2]),
              std::filesystem::path(options.models[2]).parent_path().string());
    EXPECT_EQ(options.texturesFor("first.3ds"), "");

    Options given;
    ASSERT_TRUE(parse({"a/one.3ds", "b/two.3ds", "--textures", "maps"}, given, error));
    EXPECT_EQ(given.texturesFor("b/two.3ds"), "maps");
    EXPECT_EQ(given.snapshotFor("b/two.3ds"), "") << "no snapshot asked for";

    test::TempDirectory empty;
    const std::string nothing = empty.path();
    Options none;
    EXPECT_FALSE(parse({nothing.c_str()}, none, error));
    EXPECT_EQ(error, "no .3ds file in " + nothing);
}

// Only a model named on the command line is framed; the sample is drawn where it lies.
TEST(ViewerOptions, ABenchmarkBackgroundsAndANamedModel) {
    Options benchmark, counted, named, sample;
    std::string error;
    ASSERT_TRUE(parse({"--benchmark"}, benchmark, error));
    EXPECT_TRUE(benchmark.isBatch());
    EXPECT_EQ(benchmark.framesToDraw(), 500u);
    EXPECT_FALSE(benchmark.modelGiven);
    ASSERT_TRUE(parse({"--benchmark", "--frames", "20"}, counted, error));
    EXPECT_EQ(counted.framesToDraw(), 20u);

    ASSERT_TRUE(parse({"m.3ds", "--background", "51,0,255", "--snapshot", "M.PNG"}, named, error))
        << error;
    EXPECT_TRUE(named.modelGiven);
    EXPECT_EQ(named.background[0], 51.0f / 255);
    EXPECT_EQ(named.background[1], 0.0f);
    EXPECT_EQ(named.background[2], 1.0f);
    EXPECT_EQ(named.scale, 1.0f);
    ASSERT_TRUE(parse({"--background", "0.25,1,0", "--scale", "0.25"}, sample, error)) << error;
    EXPECT_EQ(sample.scale, 0.25f);
    EXPECT_EQ(sample.background[0], 0.25f) << "0 to 1 while no channel is above 1";
    EXPECT_EQ(sample.background[1], 1.0f);
    EXPECT_FALSE(sample.modelGiven);
}

TEST(ViewerOptions, FileNamesAreShownWithSlashes) {
    EXPECT_EQ(displayName("data\\f5e_05.3ds"), "data/f5e_05.3ds");
    EXPECT_EQ(displayName("a/b\\c"), "a/b/c");
    EXPECT_EQ(fileNameOf("data\\f5e_05.3ds"), "f5e_05.3ds");
    EXPECT_EQ(fileNameOf("/models/gl-14.3ds"), "gl-14.3ds");
    EXPECT_EQ(fileNameOf("plain.3ds"), "plain.3ds");
}

} // namespace
} // namespace orvane::sample
