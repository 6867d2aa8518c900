#include "orvane/sample/Thumbnailer.h"
#include "orvane/graphics3d/state/OffscreenContext.h"
#include "orvane/native/Display.h"
#include "tests/sample/Snapshot.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace orvane::sample {
namespace {

// The thumbnail's background, 0xRRGGBB.
constexpr std::uint32_t GREY = 0x404040;

int run(std::vector<std::string> arguments, std::string* errors = nullptr) {
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* err = open_memstream(&text, &size);
    const int code = Thumbnailer::run(int(argv.size()), argv.data(), err);
    std::fclose(err);
    if (errors)
        *errors = text;
    std::free(text);
    return code;
}

std::vector<unsigned char> boxModel() {
    std::vector<float> xyz;
    for (int i = 0; i < 8; ++i)
        xyz.insert(xyz.end(), {float(i & 1) * 40, float(i >> 1 & 1) * 20, float(i >> 2) * 10});
    return test::modelFile({test::objectChunk("Box", test::Chunk(0x4100)
                                                         .add(test::vertexChunk(xyz))
                                                         .add(test::faceChunk({{0, 2, 3},
                                                                               {0, 3, 1},
                                                                               {4, 5, 7},
                                                                               {4, 7, 6},
                                                                               {0, 1, 5},
                                                                               {0, 5, 4},
                                                                               {2, 6, 7},
                                                                               {2, 7, 3},
                                                                               {0, 4, 6},
                                                                               {0, 6, 2},
                                                                               {1, 3, 7},
                                                                               {1, 7, 5}})))});
}

class ThumbnailerTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* probe = graphics3d::OffscreenContext::create(1, 1);
        if (!probe)
            GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
        probe->release();
        model = directory.write("box.3ds", boxModel());
    }

    test::TempDirectory directory;
    std::string model;
};

// Square at the size asked for, held to 32 to 1024, the model framed on the grey.
TEST_F(ThumbnailerTest, DrawsASquareOfTheAskedSizeWithTheModelFramed) {
    const std::string out = directory.path("box.png");
    ASSERT_EQ(run({"-s", "128", model, out}), 0);
    const test::Snapshot picture = test::Snapshot::read(out);
    ASSERT_EQ(picture.width, 128);
    ASSERT_EQ(picture.height, 128);
    EXPECT_EQ(picture.pixels[0], GREY);
    const test::Snapshot::Box box = picture.silhouette(GREY);
    EXPECT_GE(box.span(picture), 0.4);
    EXPECT_LE(box.offCentre(picture), 0.15);

    ASSERT_EQ(run({"-s", "8", model, out}), 0);
    EXPECT_EQ(test::Snapshot::read(out).width, Thumbnailer::SMALLEST);
    ASSERT_EQ(run({"-s", "5000", model, out}), 0);
    EXPECT_EQ(test::Snapshot::read(out).height, Thumbnailer::LARGEST);
    ASSERT_EQ(run({model, out}), 0);
    EXPECT_EQ(test::Snapshot::read(out).width, Thumbnailer::DEFAULT_SIZE);

    // File managers may hand URIs over.
    const std::string uri = directory.path("a b.png");
    ASSERT_EQ(run({"-s", "32", "file://" + model, "file://" + directory.path("a%20b.png")}), 0);
    EXPECT_EQ(test::Snapshot::read(uri).width, 32);
}

// A file that cannot be drawn writes nothing, not even a part, and keeps what was there.
TEST_F(ThumbnailerTest, AFileThatCannotBeDrawnWritesNothing) {
    const std::string broken = directory.write("broken.3ds", std::string("MM\x06\0\0\0", 6) + "x");
    const std::string out = directory.path("broken.png");
    std::string errors;
    EXPECT_EQ(run({"-s", "64", broken, out}, &errors), 1);
    EXPECT_EQ(errors, "orvane-thumbnail: " + broken + ": the file holds no 3D scene\n");
    EXPECT_EQ(run({"-s", "64", directory.path("absent.3ds"), out}), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory.path()),
                            std::filesystem::directory_iterator()),
              2)
        << "only the two models are left";

    EXPECT_EQ(run({"-s", "64", model, directory.path("no/such/dir/box.png")}), 1);
    EXPECT_EQ(run({"-s", "big", model, out}), 2);
    EXPECT_EQ(run({model}), 2);
    EXPECT_EQ(run({"-s", "64", model, out, "extra"}), 2);
}

TEST(ThumbnailerPaths, FileUrisAreDecodedAndOtherArgumentsKept) {
    EXPECT_EQ(Thumbnailer::pathOf("/tmp/a.3ds"), "/tmp/a.3ds");
    EXPECT_EQ(Thumbnailer::pathOf("file:///tmp/my%20model.3ds"), "/tmp/my model.3ds");
    EXPECT_EQ(Thumbnailer::pathOf("file://localhost/tmp/a.3ds"), "/tmp/a.3ds");
    EXPECT_EQ(Thumbnailer::pathOf("file:///tmp/100%"), "/tmp/100%");
}

} // namespace
} // namespace orvane::sample
