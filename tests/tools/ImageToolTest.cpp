#include "tools/orvane-image/ImageTool.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/TempDirectory.h"
#include "tools/orvane-image/PamImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace orvane::tools {
namespace {

using test::Bytes;

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

// Runs the tool in-process with the given arguments, capturing both outputs.
Outcome run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "orvane-image");
    std::vector<const char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    char *outText = nullptr, *errText = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    const int code = runImageTool(int(argv.size()), argv.data(), out, err);
    std::fclose(out);
    std::fclose(err);
    Outcome result{code, outText, errText};
    std::free(outText);
    std::free(errText);
    return result;
}

class ImageTool : public ::testing::Test {
protected:
    std::string bmp24() {
        return dir.write(
            "picture.BMP",
            test::bmpFile(
                {.width = 2, .height = 1, .bits = 24, .pixelData = {1, 2, 3, 4, 5, 6, 0, 0}}));
    }
    test::TempDirectory dir;
};

TEST_F(ImageTool, InfoPrintsOneLinePerFileAndReportsFailures) {
    const std::string bmp = bmp24();
    const std::string pcx =
        dir.write("indexed.pcx", test::pcxFile({.width = 3,
                                                .height = 2,
                                                .encoded = {1, 2, 3, 0, 4, 5, 6, 0},
                                                .palette = {{9, 9, 9}}}));
    const std::string text = dir.write("notes.txt", std::string("plain text"));
    const Outcome result = run({"info", bmp, pcx, dir.path("missing.tga"), text});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out,
              bmp + ": TranslatorBMP format=0x00180007 width=2 height=1 palette=no levels=1\n" +
                  pcx +
                  ": TranslatorPCX format=0x00080006 width=3 height=2 palette=yes levels=1\n");
    EXPECT_EQ(result.err,
              dir.path("missing.tga") +
                  ": FileNotFoundException: The system cannot find the file specified.\n" + text +
                  ": TranslatorFormatException: TranslatorFormatException\n");
    EXPECT_EQ(run({"info", bmp}).code, 0);
}

TEST_F(ImageTool, PamWritesTheTopLevelAsEightBitSamples) {
    const std::string out = dir.path("out.pam");
    Outcome result = run({"pam", bmp24(), out});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(dir.read("out.pam"), std::string("P7\nWIDTH 2\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\n"
                                               "TUPLTYPE RGB\nENDHDR\n\x03\x02\x01\x06\x05\x04"));

    const std::string tga = dir.write(
        "alpha.tga",
        test::tgaFile({.width = 1, .height = 1, .depth = 32, .pixelData = {10, 20, 30, 40}}));
    ASSERT_EQ(run({"pam", tga, out}).code, 0);
    EXPECT_EQ(dir.read("out.pam").substr(dir.read("out.pam").size() - 4), "\x1E\x14\x0A\x28");
    EXPECT_NE(dir.read("out.pam").find("TUPLTYPE RGB_ALPHA\n"), std::string::npos);
}

TEST_F(ImageTool, PamFailuresLeaveExitCodeOne) {
    const std::string tiff = dir.write("scan.tif", Bytes{'I', 'I', 42, 0, 8, 0, 0, 0});
    Outcome result = run({"pam", tiff, dir.path("out.pam")});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err,
              tiff + ": ConversionException: TranslatorTIFF yields no image for " + tiff + "\n");
    result = run({"pam", bmp24(), dir.path("no/such/dir/out.pam")});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, bmp24() + ": IOException: IOException\n");
}

TEST_F(ImageTool, BadArgumentsPrintTheUsage) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"info"}, {"pam", "a"}, {"pam", "a", "b", "c"}, {"convert", "a"}}) {
        const Outcome result = run(arguments);
        EXPECT_EQ(result.code, 2);
        EXPECT_EQ(result.err.rfind("usage: orvane-image info FILE...\n", 0), 0u);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(run({"--help"}).code, 0);
}

std::vector<std::uint8_t> samplesOf(graphics::Image& image) {
    return toPam(image).samples;
}

TEST(PamConversion, EveryKnownFormatBecomesRedGreenBlue) {
    graphics::Image indexed(graphics::PixelFormat::INDEX8, 2, 1);
    graphics::Image::ColourPalette palette;
    palette.set(1, 10, 20, 30, 99);
    indexed.setPalette(&palette);
    static_cast<std::uint8_t*>(indexed.pixels())[0] = 1;
    EXPECT_EQ(samplesOf(indexed), (Bytes{10, 20, 30, 0, 0, 0})) << "alpha is dropped";
    EXPECT_EQ(toPam(indexed).depth, 3);

    graphics::Image sixteen(graphics::PixelFormat::RGB16, 2, 1);
    auto* words = static_cast<std::uint8_t*>(sixteen.pixels());
    words[0] = 0x00, words[1] = 0x7C; // red 31
    words[2] = 0x10, words[3] = 0x02; // green 16, blue 16
    EXPECT_EQ(samplesOf(sixteen), (Bytes{255, 0, 0, 0, 132, 132}));

    graphics::Image grey(graphics::PixelFormat::GREY8, 1, 1);
    static_cast<std::uint8_t*>(grey.pixels())[0] = 77;
    EXPECT_EQ(samplesOf(grey), (Bytes{77, 77, 77}));

    graphics::Image greyAlpha(graphics::PixelFormat::GREY_ALPHA16, 1, 1);
    static_cast<std::uint8_t*>(greyAlpha.pixels())[1] = 5;
    EXPECT_EQ(samplesOf(greyAlpha), (Bytes{0, 0, 0, 5}));

    graphics::Image compressed(graphics::PixelFormat::DXT1, 4, 4);
    EXPECT_THROW(toPam(compressed), ConversionException);
}

} // namespace
} // namespace orvane::tools
