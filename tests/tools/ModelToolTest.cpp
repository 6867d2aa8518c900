#include "tools/orvane-3ds/ModelTool.h"
#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/native/Display.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/SampleData.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/ToolRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace orvane::tools {
namespace {

using test::Chunk;

using Outcome = test::ToolOutcome;

Outcome run(std::vector<std::string> arguments) {
    return test::runTool(runModelTool, "orvane-3ds", std::move(arguments));
}

TEST(ModelToolDump, PrintsTheChunkTreeWithWhatTheReaderTookFromIt) {
    test::TempDirectory dir;
    Chunk mesh(0x4100);
    mesh.add(test::vertexChunk({0, 0, 0, 1, 0, 0, 0, 1, 0}))
        .add(test::faceChunk({{0, 1, 2}}).add(test::groupChunk("Skin", {0})));
    const std::string path = dir.write(
        "plane.3ds", test::modelFile({test::materialChunk({.name = "Skin", .texture = "CAMO1.BMP"}),
                                      test::objectChunk("Wing", mesh)}));
    const Outcome outcome = run({"dump", path});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.err, "");
    const std::string expected = "4D4D length 257 depth 0\n"
                                 "  0002 length 10 depth 1\n"
                                 "  3D3D length 241 depth 1\n"
                                 "    3D3E length 10 depth 2\n"
                                 "    AFFF length 133 depth 2\n"
                                 "      A000 length 11 depth 3  name \"Skin\"\n"
                                 "      A010 length 24 depth 3\n"
                                 "        0010 length 18 depth 4  colour 0.1 0.1 0.1\n"
                                 "      A020 length 24 depth 3\n"
                                 "        0010 length 18 depth 4  colour 0.8 0.8 0.8\n"
                                 "      A030 length 24 depth 3\n"
                                 "        0010 length 18 depth 4  colour 0.3 0.3 0.3\n"
                                 "      A040 length 14 depth 3\n"
                                 "        0030 length 8 depth 4  percentage 0.2\n"
                                 "      A200 length 30 depth 3\n"
                                 "        0030 length 8 depth 4\n"
                                 "        A300 length 16 depth 4  file \"CAMO1.BMP\"\n"
                                 "    4000 length 92 depth 2  name \"Wing\"\n"
                                 "      4100 length 81 depth 3\n"
                                 "        4110 length 44 depth 4  vertices 3\n"
                                 "        4120 length 31 depth 4  faces 1\n"
                                 "          4130 length 15 depth 5  material \"Skin\" faces 1\n"
                                 "editors 1 materials 1 meshes 1 vertices 3 faces 1\n";
    EXPECT_EQ(outcome.out, expected);
}

TEST(ModelToolDump, ShowsWhereADamagedFileFailsAndExitsOne) {
    test::TempDirectory dir;
    const std::string path = dir.write(
        "broken.3ds", Chunk(0x4D4D).add(Chunk(0x3D3D).add(Chunk(0x4000).forceLength(3))).bytes());
    const Outcome outcome = run({"dump", path});
    EXPECT_EQ(outcome.code, 1);
    EXPECT_EQ(outcome.out, "4D4D length 18 depth 0\n"
                           "  3D3D length 12 depth 1\n"
                           "    4000 length 3 depth 2\n");
    EXPECT_EQ(outcome.err, path + ": TranslatorFormatException: TranslatorFormatException\n");

    const Outcome missing = run({"dump", dir.path("absent.3ds")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("FileNotFoundException"), std::string::npos);
}

Chunk squareMesh(const std::vector<std::string>& materials) {
    Chunk faces = test::faceChunk({{0, 1, 2}, {0, 2, 3}});
    for (std::size_t m = 0; m < materials.size(); ++m)
        faces.add(test::groupChunk(materials[m], {std::uint16_t(m % 2)}));
    return Chunk(0x4100)
        .add(test::vertexChunk({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}))
        .add(test::texCoordChunk({0, 0, 1, 0, 1, 1, 0, 1}))
        .add(faces);
}

// No texture file exists here: --no-textures must not look for any. The file names
// count, once each, where a used appearance's material maps them; a map without a file
// name counts as the empty name, and a material no mesh uses does not count.
TEST(ModelToolInfo, CountsWhatTheModelIsMadeOfWithoutOpeningTextures) {
    test::TempDirectory dir;
    Chunk emptyMap(0xAFFF);
    emptyMap.add(test::textChunk(0xA000, "Map")).add(Chunk(0xA200));
    const std::string path = dir.write(
        "plane.3ds",
        test::modelFile({test::materialChunk({.name = "Skin", .texture = "CAMO1.BMP"}),
                         test::materialChunk({.name = "Wing", .texture = "CAMO1.BMP"}), emptyMap,
                         test::materialChunk({.name = "Unused", .texture = "NEVER.BMP"}),
                         test::materialChunk({.name = "Plain"}),
                         test::objectChunk("Body", squareMesh({"Skin", "Wing", "Map", "Plain"})),
                         test::objectChunk("Loose",
                                           Chunk(0x4100)
                                               .add(test::vertexChunk({-1, 0, 0, 2, 0, 0, 0, 1, 3}))
                                               .add(test::faceChunk({{0, 1, 2}})))}));
    const Outcome outcome = run({"info", "--no-textures", path});
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.out, "file " + path +
                               "\n"
                               "status ok\n"
                               "meshes 5\n"
                               "vertex-buffers 2\n"
                               "vertices 7\n"
                               "indices 15\n"
                               "appearances 5\n" // Loose draws with the default one
                               "textures 2\n"
                               "bounds -1 0 0 2 1 3\n");
}

TEST(ModelToolInfo, ReportsNullAndFailedFilesOnTwoLinesAndExitsOneWhenAnyFailed) {
    test::TempDirectory dir;
    const std::string bare = dir.write("bare.3ds", Chunk(0x4D4D).add(Chunk(0x0002).u32(3)).bytes());
    const std::string empty = dir.write("empty.3ds", test::modelFile({}));
    const std::string broken =
        dir.write("broken.3ds", Chunk(0x4D4D).add(Chunk(0x3D3D).forceLength(3)).bytes());
    const std::string missing = dir.path("absent.3ds");

    const Outcome fine = run({"info", "--no-textures", bare, empty});
    EXPECT_EQ(fine.code, 0) << "no 3D-editor chunk is no failure";
    EXPECT_EQ(fine.out, "file " + bare + "\nstatus null\nfile " + empty +
                            "\nstatus ok\nmeshes 0\nvertex-buffers 0\nvertices 0\nindices 0\n"
                            "appearances 0\ntextures 0\nbounds empty\n");

    const Outcome failed = run({"info", "--no-textures", broken, missing, bare});
    EXPECT_EQ(failed.code, 1);
    EXPECT_EQ(failed.out, "file " + broken +
                              "\nstatus TranslatorFormatException: TranslatorFormatException\n"
                              "file " +
                              missing +
                              "\nstatus FileNotFoundException: The system cannot find the file "
                              "specified.\n"
                              "file " +
                              bare + "\nstatus null\n");
}

// Skips where the platform has no offscreen OpenGL, as the tool would then exit 2.
#define REQUIRE_OFFSCREEN_CONTEXT()                                                                \
    if (auto* probe = graphics3d::OffscreenContext::create(1, 1))                                  \
        probe->release();                                                                          \
    else                                                                                           \
        GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError()

TEST(ModelToolInfo, LoadsTexturesFromTheModelsDirectoryOrTheOneGiven) {
    REQUIRE_OFFSCREEN_CONTEXT();
    test::TempDirectory dir;
    std::filesystem::create_directory(dir.path("models"));
    std::filesystem::create_directory(dir.path("maps"));
    test::Tga tga;
    tga.width = tga.height = 2;
    tga.pixelData = test::Bytes(12, 0x80);
    const test::Bytes picture = test::tgaFile(tga);
    const test::Bytes model =
        test::modelFile({test::materialChunk({.name = "Skin", .texture = "CAMO1.TGA"}),
                         test::materialChunk({.name = "Wing", .texture = "WING.TGA"}),
                         test::objectChunk("Body", squareMesh({"Skin", "Wing"}))});
    const std::string path = dir.write("models/plane.3ds", model);
    dir.write("models/camo1.tga", picture);
    dir.write("models/WING.TGA", picture);

    const Outcome beside = run({"info", path});
    EXPECT_EQ(beside.code, 0) << beside.out;
    EXPECT_NE(beside.out.find("status ok\n"), std::string::npos);
    EXPECT_NE(beside.out.find("\ntextures 2\n"), std::string::npos);

    dir.write("maps/CAMO1.TGA", picture);
    const Outcome elsewhere = run({"info", "--textures", dir.path("maps"), path});
    EXPECT_EQ(elsewhere.code, 1);
    EXPECT_EQ(elsewhere.out, "file " + path +
                                 "\nstatus FileNotFoundException: The system cannot find the "
                                 "file specified.\n")
        << "WING.TGA is not in maps";
    dir.write("maps/wing.tga", picture);
    const Outcome found = run({"info", "--textures", dir.path("maps"), path});
    EXPECT_EQ(found.code, 0);
    EXPECT_NE(found.out.find("\ntextures 2\n"), std::string::npos);
}

TEST(ModelToolInfo, ReportsTheSampleJetWithItsTextures) {
    REQUIRE_OFFSCREEN_CONTEXT();
    const test::SampleData data;
    const std::string expected = "file " + data.model() +
                                 "\n"
                                 "status ok\n"
                                 "meshes 24\n"
                                 "vertex-buffers 19\n"
                                 "vertices 4539\n"
                                 "indices 21324\n"
                                 "appearances 9\n"
                                 "textures 6\n"
                                 "bounds -136.909 -228 -51.75 136.909 228 102\n";
    const Outcome loaded = run({"info", data.model()});
    EXPECT_EQ(loaded.code, 0);
    EXPECT_EQ(loaded.out, expected);
    EXPECT_EQ(run({"info", "--no-textures", data.model()}).out, expected);
}

TEST(ModelToolArguments, BadArgumentsPrintTheUsageAndExitTwo) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {},
             {"dump"},
             {"dump", "a", "b"},
             {"frobnicate", "x"},
             {"info"},
             {"info", "--no-textures"},
             {"info", "--textures"},
             {"info", "--textures", "dir"},
             {"info", "--no-textures", "--textures", "dir", "x.3ds"},
             {"info", "--textures", "dir", "--no-textures", "x.3ds"},
             {"info", "x.3ds", "--bogus"}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.code, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(outcome.err.rfind("usage: orvane-3ds", 0), 0u);
        EXPECT_EQ(outcome.out, "");
    }
}

} // namespace
} // namespace orvane::tools
