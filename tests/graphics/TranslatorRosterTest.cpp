#include "orvane/graphics/TranslatorRoster.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/CodecFiles.h"
#include "tests/support/Decode.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvane::graphics {
namespace {

using test::Bytes;

std::string shortName(const io::Translator<Image>* translator) {
    if (!translator)
        return "none";
    const std::string path = translator->getClassName().cString();
    return path.substr(path.rfind(':') + 1);
}

std::string recognise(TranslatorRoster& roster, const Bytes& bytes, int start = 0) {
    io::MemoryFile file(bytes.data(), bytes.size());
    file.seek(start, io::File::FROM_START);
    const std::string name = shortName(roster.findTranslator(&file));
    EXPECT_EQ(file.position(), start) << "the position is restored";
    return name;
}

Bytes withPrefix(const char* text, std::size_t size = 160) {
    Bytes bytes(size, 0x55);
    std::memcpy(bytes.data(), text, std::strlen(text));
    return bytes;
}

TEST(ImageRoster, RegistersTheEightTranslatorsInProbingOrder) {
    TranslatorRoster roster;
    std::vector<std::string> names;
    for (auto* translator : roster.getTranslators())
        names.push_back(shortName(translator));
    EXPECT_EQ(names, (std::vector<std::string>{"TranslatorBMP", "TranslatorDDS", "TranslatorGIF",
                                               "TranslatorJPG", "TranslatorPCX", "TranslatorPNG",
                                               "TranslatorTGA", "TranslatorTIFF"}));
}

TEST(ImageRoster, EachSignatureFindsItsTranslator) {
    TranslatorRoster roster;
    EXPECT_EQ(
        recognise(roster, test::bmpFile({.width = 1, .height = 1, .pixelData = {0, 0, 0, 0}})),
        "TranslatorBMP");
    EXPECT_EQ(recognise(roster, withPrefix("DDS ")), "TranslatorDDS");
    EXPECT_EQ(recognise(roster, withPrefix("GIF89a")), "TranslatorGIF");
    EXPECT_EQ(recognise(roster, withPrefix("\xFF\xD8\xFF\xE0\x01\x10JFIF")), "TranslatorJPG");
    EXPECT_EQ(
        recognise(roster,
                  test::pcxFile({.width = 1, .height = 1, .encoded = {0}, .palette = {{1, 2, 3}}})),
        "TranslatorPCX");
    EXPECT_EQ(recognise(roster, withPrefix("\x89PNG\r\n\x1A\n")), "TranslatorPNG");
    EXPECT_EQ(recognise(roster, test::tgaFile({.width = 1, .height = 1, .pixelData = {1, 2, 3}})),
              "TranslatorTGA");
    EXPECT_EQ(recognise(roster, {'I', 'I', 42, 0, 8, 0, 0, 0}), "TranslatorTIFF");
    EXPECT_EQ(recognise(roster, {'M', 'M', 0, 42, 0, 0, 0, 8}), "TranslatorTIFF");
    EXPECT_EQ(recognise(roster, {'I', 'I', 0, 42, 0, 0, 0, 8}), "none");
}

TEST(ImageRoster, TheWeakTgaTestCatchesWhatNothingEarlierClaims) {
    TranslatorRoster roster;
    EXPECT_EQ(recognise(roster, withPrefix("\x01\x01\x02 any bytes at all")), "TranslatorTGA");
    EXPECT_EQ(recognise(roster, withPrefix("BM\x01")), "TranslatorBMP")
        << "\"BM\" goes to the BMP translator first";
    Bytes pcxLike = test::pcxFile({.width = 1, .height = 1, .encoded = {0}, .palette = {{}}});
    pcxLike[1] = 1; // version 1 and encoding 1 also pass the TGA test
    EXPECT_EQ(recognise(roster, pcxLike), "TranslatorPCX");
    EXPECT_EQ(recognise(roster, withPrefix("\xFF\xD8\xFF\xE1\x10\x00"
                                           "Exif")),
              "TranslatorJPG")
        << "a JPEG is known by its start-of-image marker, JFIF tag or not";
    // A TGA whose ID field is 255 bytes long starts with FF, but its colour-map type (0 or
    // 1) can never be D8.
    EXPECT_EQ(recognise(roster, withPrefix("\xFF\x01\x01 colour-mapped")), "TranslatorTGA");
    EXPECT_EQ(recognise(roster, withPrefix("plain text")), "none");
    EXPECT_EQ(recognise(roster, {}), "none");
}

TEST(ImageRoster, ProbesFromTheCurrentPosition) {
    TranslatorRoster roster;
    Bytes file = withPrefix("xxxxxGIF8");
    EXPECT_EQ(recognise(roster, file, 5), "TranslatorGIF");
}

TEST(ImageRoster, FoundTranslatorsDecodeTheirFilesAndTiffYieldsNoImage) {
    TranslatorRoster roster;
    const Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
    io::MemoryFile file(tiff.data(), tiff.size());
    auto* translator = roster.findTranslator(&file);
    ASSERT_NE(translator, nullptr);
    EXPECT_EQ(translator->translate(file.getInputStream(), -1), nullptr);

    const std::vector<std::pair<std::string, Bytes>> files = {
        {"TranslatorDDS", test::ddsFile({.width = 1,
                                         .height = 1,
                                         .bitCount = 24,
                                         .masks = {0xFF0000, 0xFF00, 0xFF, 0},
                                         .data = {1, 2, 3}})},
        {"TranslatorGIF", test::gifFile({.width = 1,
                                         .height = 1,
                                         .globalMap = {{1, 2, 3}, {4, 5, 6}},
                                         .images = {{.width = 1, .height = 1, .rows = {{1}}}}})},
        {"TranslatorJPG", test::jpegFile({.width = 1, .height = 1, .samples = {9, 9, 9}})},
        {"TranslatorPNG", test::pngFile({.width = 1, .height = 1, .rows = {{1, 2, 3}}})}};
    for (const auto& [name, bytes] : files) {
        io::MemoryFile other(bytes.data(), bytes.size());
        auto* found = roster.findTranslator(&other);
        EXPECT_EQ(shortName(found), name);
        ASSERT_NE(found, nullptr);
        auto image = object::Pointer<Image>::adopt(found->translate(other.getInputStream(), -1));
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->getWidth(), 1);
    }
}

TEST(ImageRoster, RegisteredTranslatorsAreHeldOnceByTheRoster) {
    TranslatorRoster roster;
    for (auto* translator : roster.getTranslators())
        EXPECT_EQ(translator->getReferenceCount(), 2);
}

} // namespace
} // namespace orvane::graphics
