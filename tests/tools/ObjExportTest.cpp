// orvane-3ds obj: the model as the engine built it, written as OBJ and MTL and read back
// line by line, and opened by a peer tool where one is installed.

#include "tests/support/ImageFiles.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/ToolRun.h"
#include "tools/orvane-3ds/ModelTool.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace orvane::tools {
namespace {

using test::Chunk;

test::ToolOutcome run(std::vector<std::string> arguments) {
    return test::runTool(runModelTool, "orvane-3ds", std::move(arguments));
}

// The lines of a text file that start with `keyword` and a space, without it.
std::vector<std::string> linesOf(const std::string& path, const std::string& keyword) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (line.rfind(keyword + " ", 0) == 0)
            lines.push_back(line.substr(keyword.size() + 1));
    return lines;
}

std::vector<double> numbersOf(const std::string& line) {
    std::istringstream in(line);
    std::vector<double> numbers;
    for (double x; in >> x;)
        numbers.push_back(x);
    return numbers;
}

// A unit cube around the origin, each side its own smoothing group, so that it is built
// as 24 vertices with flat normals.
Chunk cube(const std::string& material) {
    std::vector<float> xyz;
    for (int i = 0; i < 8; ++i)
        xyz.insert(xyz.end(),
                   {float(i & 1) - 0.5f, float(i >> 1 & 1) - 0.5f, float(i >> 2) - 0.5f});
    const std::vector<test::Face> faces = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6},
                                           {0, 1, 5}, {0, 5, 4}, {2, 6, 7}, {2, 7, 3},
                                           {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
    std::vector<std::uint16_t> all(12);
    std::vector<std::uint32_t> masks(12);
    for (std::uint16_t f = 0; f < 12; ++f) {
        all[f] = f;
        masks[f] = 1u << (f / 2);
    }
    std::vector<float> uv;
    for (int i = 0; i < 8; ++i)
        uv.insert(uv.end(), {float(i & 1), float(i >> 1 & 1)});
    return Chunk(0x4100)
        .add(test::vertexChunk(xyz))
        .add(test::texCoordChunk(uv))
        .add(test::faceChunk(faces)
                 .add(test::groupChunk(material, all))
                 .add(test::smoothingChunk(masks)));
}

TEST(ModelToolObj, WritesTheBuiltModelVertexByVertexWithItsMaterials) {
    test::TempDirectory dir;
    std::filesystem::create_directory(dir.path("maps"));
    test::Tga tga;
    tga.width = tga.height = 2;
    tga.pixelData = test::Bytes(12, 0x80);
    dir.write("maps/tiles.tga", test::tgaFile(tga));
    test::Material tiles{.name = "Floor Tiles",
                         .ambient = {0.25f, 0.5f, 0.75f},
                         .texture = "TILES.BMP", // found under its stem as .tga
                         .transparency = 40};
    tiles.placement.uScale = 2;
    const std::string model =
        dir.write("cube.3ds", test::modelFile({test::materialChunk(tiles),
                                               test::objectChunk("Box", cube("Floor Tiles"))}));
    const std::string obj = dir.path("cube.obj");
    const test::ToolOutcome outcome = run({"obj", model, obj, "--textures", dir.path("maps")});
    ASSERT_EQ(outcome.code, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "wrote " + obj + " (24 vertices, 12 faces) and " + dir.path("cube.mtl") +
                               " (1 materials)\n");

    EXPECT_EQ(linesOf(obj, "mtllib"), std::vector<std::string>{"cube.mtl"});
    EXPECT_EQ(linesOf(obj, "g"), std::vector<std::string>{"Box"});
    EXPECT_EQ(linesOf(obj, "usemtl"), std::vector<std::string>{"Floor_Tiles"});
    const std::vector<std::string> positions = linesOf(obj, "v"), normals = linesOf(obj, "vn"),
                                   coordinates = linesOf(obj, "vt"), faces = linesOf(obj, "f");
    ASSERT_EQ(positions.size(), 24u);
    ASSERT_EQ(normals.size(), 24u);
    ASSERT_EQ(coordinates.size(), 24u);
    ASSERT_EQ(faces.size(), 12u);
    // Positions read back exactly; every normal lies along an axis; u is doubled and v is
    // as the file stores it (0 or 1).
    std::set<std::array<double, 3>> corners;
    for (std::size_t i = 0; i < 24; ++i) {
        const std::vector<double> p = numbersOf(positions[i]), n = numbersOf(normals[i]),
                                  t = numbersOf(coordinates[i]);
        ASSERT_EQ(p.size(), 3u);
        corners.insert({p[0], p[1], p[2]});
        for (double x : p)
            EXPECT_EQ(std::fabs(x), 0.5) << positions[i];
        EXPECT_DOUBLE_EQ(std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]), 1.0) << normals[i];
        EXPECT_TRUE(t[0] == 0 || t[0] == 2) << coordinates[i];
        EXPECT_TRUE(t[1] == 0 || t[1] == 1) << coordinates[i];
    }
    EXPECT_EQ(corners.size(), 8u);
    // Each face names its corners' position, coordinates and normal alike, and its normal
    // is the one of its side: the three corners share it.
    for (const std::string& face : faces) {
        unsigned v[3], t[3], n[3];
        ASSERT_EQ(std::sscanf(face.c_str(), "%u/%u/%u %u/%u/%u %u/%u/%u", &v[0], &t[0], &n[0],
                              &v[1], &t[1], &n[1], &v[2], &t[2], &n[2]),
                  9)
            << face;
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(v[k] >= 1 && v[k] <= 24 && t[k] == v[k] && n[k] == v[k]) << face;
            EXPECT_EQ(normals[n[k] - 1], normals[n[0] - 1]) << face;
        }
    }

    const std::string mtl = dir.path("cube.mtl");
    EXPECT_EQ(linesOf(mtl, "newmtl"), std::vector<std::string>{"Floor_Tiles"});
    EXPECT_EQ(linesOf(mtl, "Ka"), std::vector<std::string>{"0.25 0.5 0.75"});
    EXPECT_EQ(linesOf(mtl, "d"), std::vector<std::string>{"0.600000024"})
        << "40 % transparent: drawn blended with alpha 0.6";
    EXPECT_EQ(linesOf(mtl, "map_Kd"), std::vector<std::string>{"maps/tiles.tga"})
        << "the file the engine reads, relative to the MTL";
    EXPECT_EQ(linesOf(mtl, "Ns").size(), 1u);
}

TEST(ModelToolObj, NamesAMissingTextureAsTheFileDoesAndReportsWhatItCannotWrite) {
    test::TempDirectory dir;
    const std::string model = dir.write(
        "box.3ds", test::modelFile({test::materialChunk({.name = "Paint", .texture = "GONE.BMP"}),
                                    test::materialChunk({.name = "Paint", .texture = "GONE.BMP"}),
                                    test::objectChunk("Box", cube("Paint")),
                                    test::objectChunk("Box", cube("Other"))}));
    const test::ToolOutcome outcome = run({"obj", model, dir.path("box.obj")});
    EXPECT_EQ(outcome.code, 0);
    EXPECT_EQ(outcome.err, model + ": texture \"GONE.BMP\" not found; map_Kd names it as the "
                                   "file does\n");
    EXPECT_EQ(linesOf(dir.path("box.mtl"), "map_Kd"), std::vector<std::string>{"GONE.BMP"});
    EXPECT_EQ(linesOf(dir.path("box.obj"), "g"), (std::vector<std::string>{"Box", "Box-2"}));
    EXPECT_EQ(linesOf(dir.path("box.obj"), "usemtl"),
              (std::vector<std::string>{"Paint", "default"}))
        << "the second Paint replaced the first; Other is unknown";
    EXPECT_EQ(linesOf(dir.path("box.mtl"), "d"), (std::vector<std::string>{"1", "1"}))
        << "unblended, whatever the colours' alpha";

    const test::ToolOutcome unwritable = run({"obj", model, dir.path("no/such/dir/box.obj")});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_EQ(unwritable.err.rfind(dir.path("no/such/dir/box.obj") + ": cannot write: ", 0), 0u)
        << unwritable.err;

    const std::string bare = dir.write("bare.3ds", Chunk(0x4D4D).add(Chunk(0x0002).u32(3)).bytes());
    const test::ToolOutcome empty = run({"obj", bare, dir.path("bare.obj")});
    EXPECT_EQ(empty.code, 1);
    EXPECT_EQ(empty.err, bare + ": holds no 3D-editor chunk: no model to write\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path("bare.obj")));

    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"obj", model}, {"obj", model, "a.obj", "--textures"}, {"obj", model, "a.obj", "x"}})
        EXPECT_EQ(run(arguments).code, 2);
}

// A peer's importer reads the OBJ of a real aircraft with every face of the 3DS file.
TEST(ModelToolObj, ARealModelOpensInAPeerToolWithAllItsFaces) {
    const std::string source = "/usr/share/games/gl-117/models/gl-16.3ds";
    if (!std::filesystem::exists(source))
        GTEST_SKIP() << "gl-117-data is not installed";
    if (std::system("command -v assimp >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "assimp (assimp-utils) is not installed";
    test::TempDirectory dir;
    const test::ToolOutcome dumped = run({"dump", source});
    const std::size_t at = dumped.out.rfind(" faces ");
    ASSERT_NE(at, std::string::npos) << dumped.out;
    const unsigned long faces = std::stoul(dumped.out.substr(at + 7));
    const std::string obj = dir.path("gl-16.obj");
    ASSERT_EQ(run({"obj", source, obj, "--textures", "/usr/share/games/gl-117/textures"}).code, 0);

    std::FILE* peer = popen(("assimp info '" + obj + "' 2>&1").c_str(), "r");
    ASSERT_NE(peer, nullptr);
    std::string report;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, peer)) > 0;)
        report.append(buffer, n);
    EXPECT_EQ(pclose(peer), 0) << report;
    const std::size_t line = report.find("\nFaces:");
    ASSERT_NE(line, std::string::npos) << report;
    EXPECT_EQ(std::stoul(report.substr(line + 7)), faces);
}

} // namespace
} // namespace orvane::tools
