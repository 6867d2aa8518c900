#include "tools/orvane-3ds/ModelTool.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace orvane::tools {
namespace {

using test::Chunk;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

// Runs the tool in-process with the given arguments, capturing both outputs.
Outcome run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "orvane-3ds");
    std::vector<const char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    char *outText = nullptr, *errText = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    const int code = runModelTool(int(argv.size()), argv.data(), out, err);
    std::fclose(out);
    std::fclose(err);
    Outcome result{code, outText, errText};
    std::free(outText);
    std::free(errText);
    return result;
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
