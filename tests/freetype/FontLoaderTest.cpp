#include "orvane/freetype/FontLoader.h"
#include "orvane/freetype/Descriptor.h"
#include "orvane/graphics/PixelFormat.h"

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

namespace orvane::freetype {
namespace {

TEST(Descriptor, NamesAndComparesFamilyStyleSizesAndTheTwoFurtherFields) {
    Descriptor fresh;
    EXPECT_EQ(fresh.getName(), " regular");
    EXPECT_EQ(fresh.getClassName(), "Object:Descriptor");
    EXPECT_EQ(fresh.sizeX, 16.0f);
    EXPECT_EQ(fresh.sizeY, 16.0f);

    Descriptor other;
    EXPECT_TRUE(fresh == other);
    other.family = "DejaVu Sans";
    EXPECT_FALSE(fresh == other);
    fresh = other;
    EXPECT_TRUE(fresh == other) << "assignment copies every field";
    other.sizeY = 15;
    EXPECT_FALSE(fresh == other);
    other.sizeY = 16, other.flags = Descriptor::NO_HINTING;
    EXPECT_FALSE(fresh == other);
    other.flags = 0, other.faceIndex = 1;
    EXPECT_FALSE(fresh == other);
    other.faceIndex = 0, other.style = "regula";
    EXPECT_FALSE(fresh == other) << "texts compare by length too";

    Font font(other);
    EXPECT_TRUE(font.descriptor == other);
    EXPECT_EQ(font.image.getFormat(), graphics::PixelFormat::GREY8);
    EXPECT_EQ(font.image.getWidth(), 0);
    EXPECT_EQ(font.glyphs[65].advance, 0.0f);
    EXPECT_EQ(font.getClassName(), "Object:Font");
}

TEST(FontLoader, FindsFamiliesAndStylesInTheSystemFolders) {
    Descriptor descriptor;
    std::string regular = FontLoader::locate(descriptor);
    ASSERT_FALSE(regular.empty()) << "fonts-dejavu-core is installed by scripts/install-deps";
    EXPECT_TRUE(regular.ends_with("/DejaVuSans.ttf")) << regular;
    descriptor.style = "Bold";
    EXPECT_TRUE(FontLoader::locate(descriptor).ends_with("/DejaVuSans-Bold.ttf"));
    descriptor.family = "DejaVu Sans Mono";
    descriptor.style = "regular";
    EXPECT_TRUE(FontLoader::locate(descriptor).ends_with("/DejaVuSansMono.ttf"));
    descriptor.family = regular.c_str();
    EXPECT_EQ(FontLoader::locate(descriptor), regular) << "a family with a '/' is the file";
    descriptor.family = "/no/such/font.ttf";
    EXPECT_EQ(FontLoader::locate(descriptor), "");
    descriptor.family = "No Such Family";
    std::string error;
    EXPECT_EQ(FontLoader::load(descriptor, &error), nullptr);
    EXPECT_NE(error.find("No Such Family regular"), std::string::npos) << error;
}

TEST(FontLoader, RefusesFilesThatAreNoFontsAndSizesThatAreNone) {
    std::string error;
    Descriptor descriptor;
    EXPECT_EQ(FontLoader::load(descriptor, "/proc/self/status", &error), nullptr);
    EXPECT_NE(error.find("not a font"), std::string::npos) << error;
    descriptor.sizeX = 0;
    EXPECT_EQ(FontLoader::load(descriptor, &error), nullptr);
    descriptor.sizeX = -3;
    EXPECT_EQ(FontLoader::load(descriptor, &error), nullptr);
    descriptor.sizeX = 1e9f;
    EXPECT_EQ(FontLoader::load(descriptor, &error), nullptr);
    EXPECT_NE(error.find("sizes"), std::string::npos) << error;
}

// The glyph of one character as FreeType renders it on its own.
struct Reference {
    int width = 0, rows = 0, left = 0, top = 0;
    float advance = 0;
    std::vector<std::uint8_t> coverage;
};

Reference renderDirectly(const std::string& path, float size, unsigned long code) {
    Reference result;
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0)
        return result;
    if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
        FT_Set_Char_Size(face, FT_F26Dot6(size * 64), FT_F26Dot6(size * 64), 72, 72);
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) == 0) {
            const FT_Bitmap& bitmap = face->glyph->bitmap;
            result.width = int(bitmap.width);
            result.rows = int(bitmap.rows);
            result.left = face->glyph->bitmap_left;
            result.top = face->glyph->bitmap_top;
            result.advance = float(face->glyph->advance.x) / 64;
            for (int y = 0; y < result.rows; ++y)
                for (int x = 0; x < result.width; ++x)
                    result.coverage.push_back(bitmap.buffer[y * bitmap.pitch + x]);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return result;
}

TEST(FontLoader, PacksEveryLatin1GlyphOnceAsFreeTypeRendersIt) {
    Descriptor descriptor;
    descriptor.sizeX = descriptor.sizeY = 20;
    std::string error;
    object::Pointer<Font> font = object::Pointer<Font>::adopt(FontLoader::load(descriptor, &error));
    ASSERT_TRUE(font) << error;
    const graphics::Image& image = font->image;
    EXPECT_EQ(image.getFormat(), graphics::PixelFormat::GREY8);
    EXPECT_GT(font->ascender, 15.0f);
    EXPECT_LT(font->descender, -3.0f);
    EXPECT_GT(font->lineHeight, 20.0f);

    // Boxes lie in the image and no two of them touch.
    std::vector<int> owner(std::size_t(image.getWidth() * image.getHeight()), -1);
    int drawn = 0;
    for (int code = 0; code < Font::GLYPH_COUNT; ++code) {
        const Font::Glyph& g = font->glyphs[code];
        if (code < 32 || (code >= 127 && code < 160)) {
            EXPECT_EQ(g.advance, 0.0f) << "control code " << code;
            EXPECT_EQ(g.width, 0);
            continue;
        }
        EXPECT_GT(g.advance, 0.0f) << "code " << code;
        if (g.width == 0)
            continue;
        ++drawn;
        ASSERT_GE(g.x, 0);
        ASSERT_GE(g.y, 0);
        ASSERT_LE(g.x + g.width, image.getWidth()) << code;
        ASSERT_LE(g.y + g.height, image.getHeight()) << code;
        for (int y = g.y; y < g.y + g.height; ++y)
            for (int x = g.x; x < g.x + g.width; ++x) {
                int& cell = owner[std::size_t(y * image.getWidth() + x)];
                ASSERT_EQ(cell, -1) << "codes " << cell << " and " << code << " overlap";
                cell = code;
            }
    }
    EXPECT_EQ(drawn, 95 + 95 - 1) << "printable ASCII and Latin-1, less the two spaces";

    const char* const checked = "Ag\xC9\xFF";
    for (const char* c = checked; *c; ++c) {
        const int code = static_cast<unsigned char>(*c);
        Reference reference = renderDirectly(FontLoader::locate(descriptor), 20, code);
        const Font::Glyph& g = font->glyphs[code];
        ASSERT_EQ(g.width, reference.width) << code;
        ASSERT_EQ(g.height, reference.rows);
        EXPECT_EQ(g.bearingX, float(reference.left));
        EXPECT_EQ(g.bearingY, float(reference.top));
        EXPECT_EQ(g.advance, reference.advance);
        EXPECT_NE(g.glyphIndex, 0u);
        auto* pixels = static_cast<std::uint8_t*>(font->image.pixels());
        std::vector<std::uint8_t> packed;
        for (int y = 0; y < g.height; ++y)
            for (int x = 0; x < g.width; ++x)
                packed.push_back(pixels[(g.y + y) * image.getRowBytes() + g.x + x]);
        EXPECT_EQ(packed, reference.coverage) << "code " << code;
    }
}

TEST(FontLoader, MonochromeGlyphsAreFullyOnOrOff) {
    Descriptor descriptor;
    descriptor.flags = Descriptor::MONOCHROME;
    object::Pointer<Font> font = object::Pointer<Font>::adopt(FontLoader::load(descriptor));
    ASSERT_TRUE(font);
    const Font::Glyph& g = font->glyphs['W'];
    auto* pixels = static_cast<std::uint8_t*>(font->image.pixels());
    int on = 0;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            std::uint8_t value = pixels[(g.y + y) * font->image.getRowBytes() + g.x + x];
            ASSERT_TRUE(value == 0 || value == 255) << int(value);
            on += value == 255;
        }
    EXPECT_GT(on, 10);
}

} // namespace
} // namespace orvane::freetype
