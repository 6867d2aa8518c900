#include "tools/orvane-image/ImageTool.h"
#include "orvane/graphics/CompressedImage.h"
#include "orvane/object/Pointer.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/ToolRun.h"
#include "tools/orvane-image/PamRows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orvane::tools {
namespace {

using test::Bytes;

using Outcome = test::ToolOutcome;

Outcome run(std::vector<std::string> arguments) {
    return test::runTool(runImageTool, "orvane-image", std::move(arguments));
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
                  ": FileNotFoundException: The system cannot find the file specified. (No such "
                  "file or directory)\n" +
                  text + ": TranslatorFormatException: not in any image format the engine reads\n");
    EXPECT_EQ(run({"info", bmp}).code, 0);
}

TEST_F(ImageTool, FailuresSayWhyInWordsAPersonCanActOn) {
    const std::string plain = dir.write("plain", std::string("x"));
    const std::string compressed = dir.write(
        "jpeg-inside.bmp",
        test::bmpFile(
            {.width = 1, .height = 1, .bits = 24, .compression = 4, .pixelData = {0, 0, 0, 0}}));
    const Bytes pcxHeader = test::pcxFile({.width = 4, .height = 4, .encoded = Bytes(200, 1)});
    const std::string shortPcx = dir.write("short.pcx", pcxHeader);
    const Outcome result =
        run({"info", dir.path(), dir.path("nodir/a.bmp"), plain + "/below", compressed, shortPcx});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, dir.path() + ": IOException: Is a directory\n" + dir.path("nodir/a.bmp") +
                              ": IOException: No such directory\n" + plain +
                              "/below: IOException: Not a directory\n" + compressed +
                              ": TranslatorFormatException: BMP: unsupported compression 4\n" +
                              shortPcx +
                              ": TranslatorFormatException: PCX: file shorter than its header "
                              "and 256-colour palette\n");
}

TEST_F(ImageTool, InfoSaysWhenAFileWasTruncated) {
    Bytes stored = test::bmpFile({.width = 2, .height = 2, .bits = 24, .pixelData = Bytes(16, 7)});
    stored.resize(stored.size() - 5);
    const std::string cut = dir.write("cut.bmp", stored);
    const Outcome result = run({"info", cut});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out,
              cut + ": TranslatorBMP format=0x00180007 width=2 height=2 palette=no levels=1 "
                    "truncated\n");
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
    EXPECT_EQ(result.err, bmp24() + ": IOException: No such directory\n");
}

// The process's address space in bytes.
std::size_t addressSpace() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long pages = 0;
    if (statm) {
        if (std::fscanf(statm, "%lu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return pages * std::size_t(sysconf(_SC_PAGESIZE));
}

// Runs the tool with the address space allowed to grow by at most `growth` bytes, and
// leaves with its exit code (for death tests, which run this in a child).
[[noreturn]] void runWithinGrowth(std::size_t growth, std::vector<std::string> arguments) {
    const std::size_t cap = addressSpace() + growth;
    const rlimit limit{cap, cap};
    setrlimit(RLIMIT_AS, &limit);
    std::exit(run(std::move(arguments)).code);
}

TEST_F(ImageTool, PamNeedsLittleMoreMemoryThanTheDecodedImage) {
    // A small file claiming 4096 x 4096 indexed pixels: 16 MiB decoded, 48 MiB of samples.
    const std::string pcx = dir.write("claims.pcx", test::pcxFile({.width = 4096,
                                                                   .height = 4096,
                                                                   .encoded = {0xFF, 9, 0xFF, 9},
                                                                   .palette = {{1, 2, 3}}}));
    const std::string out = dir.path("out.pam");
    // In a child whose address space may grow by 40 MiB: room for the image and a few
    // rows of output, not for a copy of the whole picture.
    EXPECT_EXIT(runWithinGrowth(40u << 20, {"pam", pcx, out}), ::testing::ExitedWithCode(0), "");
    const std::string written = dir.read("out.pam");
    const std::string header =
        "P7\nWIDTH 4096\nHEIGHT 4096\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n";
    ASSERT_EQ(written.size(), header.size() + 4096u * 4096 * 3);
    // 126 pixels of index 9 and the palette marker (12), black, then zeros: index 0, the
    // palette's first colour.
    EXPECT_EQ(written.substr(0, header.size() + 3), header + std::string(3, '\0'));
    EXPECT_EQ(written.substr(header.size() + 127 * 3, 3), "\x01\x02\x03");
    EXPECT_EQ(written.substr(written.size() - 3), "\x01\x02\x03");
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
    const PamRows rows(image);
    std::vector<std::uint8_t> samples(rows.rowBytes() * std::size_t(rows.height()));
    for (int y = 0; y < rows.height(); ++y)
        rows.convertRow(y, samples.data() + std::size_t(y) * rows.rowBytes());
    return samples;
}

TEST(PamConversion, EveryKnownFormatBecomesRedGreenBlue) {
    graphics::Image indexed(graphics::PixelFormat::INDEX8, 2, 1);
    graphics::Image::ColourPalette palette;
    palette.set(1, 10, 20, 30, 99);
    indexed.setPalette(&palette);
    static_cast<std::uint8_t*>(indexed.pixels())[0] = 1;
    EXPECT_EQ(samplesOf(indexed), (Bytes{10, 20, 30, 0, 0, 0})) << "alpha is dropped";
    EXPECT_EQ(PamRows(indexed).depth(), 3);

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

    graphics::Image unknown(0x12345678, 4, 4);
    EXPECT_THROW(PamRows{unknown}, ConversionException);
}

// A compressed level of the given size holding blocks (the rest zero).
object::Pointer<graphics::CompressedImage> compressedLevel(std::uint32_t format, int width,
                                                           int height, const Bytes& blocks) {
    auto level = object::make<graphics::CompressedImage>(format, width, height);
    std::copy(blocks.begin(), blocks.end(), static_cast<std::uint8_t*>(level->pixels()));
    return level;
}

// The RGBA of pixel (x, y) of a converted picture width pixels wide.
Bytes pixelAt(const Bytes& samples, int width, int x, int y) {
    const auto at = samples.begin() + 4 * (y * width + x);
    return Bytes(at, at + 4);
}

TEST(PamConversion, CompressedBlocksAreDecodedFourRowsAtATime) {
    // DXT1, four colours: red (0xF800) above blue (0x001F); indices 0, 1, 2, 3 along
    // each row.
    const Bytes fourColours = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    auto four = compressedLevel(graphics::PixelFormat::DXT1, 4, 4, fourColours);
    Bytes out = samplesOf(*four);
    ASSERT_EQ(out.size(), 4u * 4 * 4);
    EXPECT_EQ(pixelAt(out, 4, 0, 0), (Bytes{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(out, 4, 1, 3), (Bytes{0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(out, 4, 2, 1), (Bytes{170, 0, 85, 255}));
    EXPECT_EQ(pixelAt(out, 4, 3, 2), (Bytes{85, 0, 170, 255}));
    // Three colours and transparent black when the first colour is not above the second.
    const Bytes threeColours = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0xE4, 0xE4, 0xE4};
    auto three = compressedLevel(graphics::PixelFormat::DXT1, 4, 4, threeColours);
    out = samplesOf(*three);
    EXPECT_EQ(pixelAt(out, 4, 2, 0), (Bytes{127, 0, 127, 255}));
    EXPECT_EQ(pixelAt(out, 4, 3, 0), (Bytes{0, 0, 0, 0}));

    // DXT3: explicit 4-bit alpha, 0 to 15 in pixel order; the colour block always has four.
    Bytes dxt3 = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
    dxt3.insert(dxt3.end(), threeColours.begin(), threeColours.end());
    auto explicitAlpha = compressedLevel(graphics::PixelFormat::DXT3, 4, 4, dxt3);
    out = samplesOf(*explicitAlpha);
    EXPECT_EQ(pixelAt(out, 4, 0, 0)[3], 0);
    EXPECT_EQ(pixelAt(out, 4, 1, 0)[3], 17);
    EXPECT_EQ(pixelAt(out, 4, 3, 3), (Bytes{170, 0, 85, 255})) << "a fourth colour, opaque";

    // DXT5: alpha 200 and 100 with seven steps between; indices 0..7 then 0..7 again
    // (3 bits each: 0xFAC688 repeated).
    Bytes dxt5 = {200, 100, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
    dxt5.insert(dxt5.end(), fourColours.begin(), fourColours.end());
    auto interpolated = compressedLevel(graphics::PixelFormat::DXT5, 4, 4, dxt5);
    out = samplesOf(*interpolated);
    const int expected[8] = {200, 100, 185, 171, 157, 142, 128, 114};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(pixelAt(out, 4, i % 4, i / 4)[3], expected[i % 8]) << i;
    // Alpha 100 not above 200: five steps, then 0 and 255.
    dxt5[0] = 100, dxt5[1] = 200;
    auto sixSteps = compressedLevel(graphics::PixelFormat::DXT5, 4, 4, dxt5);
    out = samplesOf(*sixSteps);
    const int six[8] = {100, 200, 120, 140, 160, 180, 0, 255};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(pixelAt(out, 4, i % 4, i / 4)[3], six[i]) << i;

    // Sizes that are not a multiple of 4: 5 x 5 takes 2 x 2 blocks and keeps the part inside.
    Bytes quad;
    for (int b = 0; b < 4; ++b)
        quad.insert(quad.end(), {0x00, std::uint8_t(b == 3 ? 0x00 : 0xF8), 0, 0, 0, 0, 0, 0});
    auto odd = compressedLevel(graphics::PixelFormat::DXT1, 5, 5, quad);
    out = samplesOf(*odd);
    ASSERT_EQ(out.size(), 5u * 5 * 4);
    EXPECT_EQ(pixelAt(out, 5, 3, 3), (Bytes{255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(out, 5, 4, 4), (Bytes{0, 0, 0, 255})) << "the fourth block is black";
}

} // namespace
} // namespace orvane::tools
