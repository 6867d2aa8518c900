#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/gl/GLRecorder.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/ColourMaterial.h"
#include "orvane/graphics3d/state/ColourShader.h"
#include "orvane/graphics3d/state/Mode.h"
#include "orvane/graphics3d/state/PointLight.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/graphics3d/state/TextureShader.h"
#include "orvane/graphics3d/state/TextureUpload.h"
#include "orvane/io/IOException.h"
#include "tests/support/CodecFiles.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/OffscreenGL.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// Scenes drawn on Mesa through the engine's state objects, read back pixel by pixel.
namespace orvane::graphics3d {
namespace {

using orvane::test::Bytes;
using Rgba = std::array<int, 4>;
namespace Format = graphics::PixelFormat;

constexpr int SIZE = 8;

struct Vertex {
    float position[3];
    float normal[3];
    float texture[2];
};

// A quad over the whole viewport facing the viewer, with texture coordinates that put
// texture row 0 at the top.
void drawQuad() {
    static const Vertex quad[4] = {{{-1, -1, 0}, {0, 0, 1}, {0, 1}},
                                   {{1, -1, 0}, {0, 0, 1}, {1, 1}},
                                   {{1, 1, 0}, {0, 0, 1}, {1, 0}},
                                   {{-1, 1, 0}, {0, 0, 1}, {0, 0}}};
    gl.glVertexPointer(3, GL_FLOAT, sizeof(Vertex), quad[0].position);
    gl.glNormalPointer(GL_FLOAT, sizeof(Vertex), quad[0].normal);
    gl.glClientActiveTextureARB(GL_TEXTURE0_ARB);
    gl.glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), quad[0].texture);
    gl.glDrawArrays(GL_QUADS, 0, 4);
}

void identityMatrices() {
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
}

Rgba rgbaOf(std::uint32_t pixel) {
    return {int(pixel & 0xFF), int(pixel >> 8 & 0xFF), int(pixel >> 16 & 0xFF), int(pixel >> 24)};
}

int toByte(float value) {
    return int(std::lround(std::clamp(value, 0.0f, 1.0f) * 255));
}

TEST(RenderStatePixels, LitQuadHasTheColourOfTheLightingEquation) {
    test::OffscreenGL offscreen(SIZE, SIZE);
    ORVANE_REQUIRE_OFFSCREEN(offscreen);
    Context& context = offscreen.context();
    identityMatrices();
    gl.glClearColor(0, 0, 0, 0);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    Mode mode;
    mode.depthFunc = -1;
    context.modeStack.select(&mode);

    // A light straight in front of the quad's centre: every corner sees it at the same
    // angle, so the whole quad has one colour.
    PointLight light;
    light.position[2] = 2;
    const float lightAmbient[4] = {0.1f, 0.05f, 0.2f, 1}, lightDiffuse[4] = {0.8f, 0.6f, 0.4f, 1};
    std::copy(lightAmbient, lightAmbient + 4, light.ambient);
    std::copy(lightDiffuse, lightDiffuse + 4, light.diffuse);
    context.lightStack.select(&light, 0);
    gl.glEnable(GL_LIGHTING);

    auto material = object::Pointer<ColourMaterial>::adopt(new ColourMaterial);
    const float ambient[4] = {0.5f, 0.4f, 0.3f, 1}, diffuse[4] = {1, 0.5f, 0.25f, 0.75f};
    const float emission[4] = {0.05f, 0, 0.1f, 0};
    std::copy(ambient, ambient + 4, material->ambient);
    std::copy(diffuse, diffuse + 4, material->diffuse);
    std::copy(emission, emission + 4, material->emission);
    Appearance appearance;
    appearance.setMaterial(material.get());
    appearance.setShader(object::Pointer<ColourShader>::adopt(new ColourShader).get());
    appearance.apply();
    drawQuad();
    ASSERT_EQ(gl.glGetError(), GLenum(GL_NO_ERROR));

    // The light is 2 in front and each corner sqrt(2) aside: N.L = 2 / sqrt(6). The
    // material reflects no specular light.
    const float globalAmbient = 0.2f, facing = 2 / std::sqrt(6.0f);
    for (int c = 0; c < 3; ++c) {
        const float expected = emission[c] + globalAmbient * ambient[c] +
                               lightAmbient[c] * ambient[c] + facing * lightDiffuse[c] * diffuse[c];
        for (auto [x, y] : {std::pair{0, 0}, {SIZE / 2, SIZE / 2}, {SIZE - 1, 2}}) {
            ASSERT_LT(expected, 1.0f);
            EXPECT_NEAR(rgbaOf(offscreen.pixel(x, y))[c], toByte(expected), 2)
                << "channel " << c << " at " << x << ", " << y;
        }
    }
    EXPECT_EQ(rgbaOf(offscreen.pixel(3, 3))[3], toByte(diffuse[3]));
    context.shaderStack.reset();
    context.modeStack.reset();
    gl.glDisable(GL_LIGHTING);
}

// ---- textured quads, one texel per pixel

// What the textured quad shows at each pixel, row by row from the top.
using Picture = std::vector<Rgba>;

// Drawn in a white colour of the given alpha, without blending, so that the picture read
// back carries the alpha the fragments were given.
Picture drawTextured(test::OffscreenGL& offscreen, Texture* texture, float alpha = 1.0f) {
    Context& context = offscreen.context();
    identityMatrices();
    gl.glClearColor(0, 0, 0, 0);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    Mode mode;
    mode.depthFunc = -1;
    context.modeStack.select(&mode);
    texture->setFilter(GL_NEAREST, GL_NEAREST);
    // A white material: GL_MODULATE then shows the texels as they are.
    auto white = object::Pointer<ColourMaterial>::adopt(new ColourMaterial);
    std::fill(white->ambient, white->ambient + 4, 1.0f);
    white->ambient[3] = alpha;
    Appearance appearance;
    appearance.setMaterial(white.get());
    appearance.setShader(object::Pointer<TextureShader>::adopt(new TextureShader).get());
    appearance.setTexture(texture, 0);
    appearance.apply();
    drawQuad();
    EXPECT_EQ(gl.glGetError(), GLenum(GL_NO_ERROR));
    Picture shown;
    for (int y = 0; y < SIZE; ++y)
        for (int x = 0; x < SIZE; ++x)
            shown.push_back(rgbaOf(offscreen.pixel(x, y)));
    appearance.withdraw();
    context.modeStack.reset();
    return shown;
}

// A picture whose colours differ in every channel from pixel to pixel.
Picture testPicture(bool withAlpha) {
    Picture picture;
    for (int y = 0; y < SIZE; ++y)
        for (int x = 0; x < SIZE; ++x)
            picture.push_back(
                {x * 32 + 7, y * 32 + 3, (x ^ y) * 30 + 11, withAlpha ? (x + y) * 15 + 10 : 255});
    return picture;
}

Bytes bmp24(const Picture& picture) {
    std::vector<Bytes> rows;
    for (int y = 0; y < SIZE; ++y) {
        Bytes row;
        for (int x = 0; x < SIZE; ++x) {
            const Rgba& p = picture[std::size_t(y * SIZE + x)];
            row.insert(row.end(), {std::uint8_t(p[2]), std::uint8_t(p[1]), std::uint8_t(p[0])});
        }
        rows.push_back(row);
    }
    orvane::test::Bmp bmp;
    bmp.width = SIZE;
    bmp.height = SIZE;
    bmp.pixelData = orvane::test::bmpRows(rows);
    return orvane::test::bmpFile(bmp);
}

Bytes tga32(const Picture& picture) {
    orvane::test::Tga tga;
    tga.width = tga.height = SIZE;
    tga.depth = 32;
    tga.descriptor = 0x28; // top-down, 8 alpha bits
    for (const Rgba& p : picture)
        tga.pixelData.insert(tga.pixelData.end(), {std::uint8_t(p[2]), std::uint8_t(p[1]),
                                                   std::uint8_t(p[0]), std::uint8_t(p[3])});
    return orvane::test::tgaFile(tga);
}

// 16-bit colours as stored: blue in bits 0-4, green 5-9, red 10-14.
Bytes tga16(const Picture& picture, Picture& shown) {
    orvane::test::Tga tga;
    tga.width = tga.height = SIZE;
    tga.depth = 16;
    tga.descriptor = 0x20;
    shown.clear();
    auto widen = [](int five) { return five << 3 | five >> 2; };
    for (const Rgba& p : picture) {
        const int red = p[0] >> 3, green = p[1] >> 3, blue = p[2] >> 3;
        orvane::test::put16(tga.pixelData, unsigned(red << 10 | green << 5 | blue));
        shown.push_back({widen(red), widen(green), widen(blue), 255});
    }
    return orvane::test::tgaFile(tga);
}

// An 8-bit BMP of 16 palette colours, two of each per row.
Bytes bmp8(Picture& shown) {
    std::vector<orvane::test::Rgb> palette;
    for (int i = 0; i < 16; ++i)
        palette.push_back(
            {std::uint8_t(i * 16 + 5), std::uint8_t(255 - i * 9), std::uint8_t(i * i)});
    std::vector<Bytes> rows;
    shown.clear();
    for (int y = 0; y < SIZE; ++y) {
        Bytes row;
        for (int x = 0; x < SIZE; ++x) {
            const int index = (y * 3 + x / 2) % 16;
            row.push_back(std::uint8_t(index));
            const auto& c = palette[std::size_t(index)];
            shown.push_back({c[0], c[1], c[2], 255});
        }
        rows.push_back(row);
    }
    orvane::test::Bmp bmp;
    bmp.width = SIZE;
    bmp.height = SIZE;
    bmp.bits = 8;
    bmp.palette = palette;
    bmp.pixelData = orvane::test::bmpRows(rows);
    return orvane::test::bmpFile(bmp);
}

// A DXT1 picture of four blocks whose colours are exact in 5-6-5 bits: each block picks
// between two colours per pixel (indices 0 and 1 only).
Bytes dds1(Picture& shown) {
    const std::uint16_t colours[4][2] = {
        {0xF800, 0x001F}, {0x07E0, 0xFFFF}, {0xFFE0, 0x0000}, {0xF81F, 0x07FF}};
    auto widen = [](unsigned packed) {
        const int r = int(packed >> 11 & 31), g = int(packed >> 5 & 63), b = int(packed & 31);
        return Rgba{r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2, 255};
    };
    orvane::test::Dds dds;
    dds.width = dds.height = SIZE;
    dds.fourCC = "DXT1";
    shown.assign(SIZE * SIZE, Rgba{});
    for (int block = 0; block < 4; ++block) {
        const std::uint16_t first = std::max(colours[block][0], colours[block][1]);
        const std::uint16_t second = std::min(colours[block][0], colours[block][1]);
        orvane::test::put16(dds.data, first);
        orvane::test::put16(dds.data, second);
        std::uint32_t indices = 0;
        for (int i = 0; i < 16; ++i) {
            const int index = (i * 7 + block) % 3 == 0 ? 1 : 0;
            indices |= std::uint32_t(index) << (2 * i);
            const int x = (block % 2) * 4 + i % 4, y = (block / 2) * 4 + i / 4;
            shown[std::size_t(y * SIZE + x)] = widen(index ? second : first);
        }
        orvane::test::put32(dds.data, indices);
    }
    return orvane::test::ddsFile(dds);
}

class TexturedQuad : public ::testing::Test {
protected:
    void SetUp() override {
        if (!offscreen)
            GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
        manager = object::Pointer<TextureManager>::adopt(new TextureManager);
        manager->getFactory().setDirectory(directory.path().c_str());
    }

    // The texture of a file through the manager, drawn.
    Picture shownFrom(const std::string& name, const Bytes& file, float alpha = 1.0f) {
        directory.write(name, file);
        Texture* texture = manager->get(name.c_str());
        EXPECT_NE(texture, nullptr);
        return texture ? drawTextured(offscreen, texture, alpha) : Picture{};
    }

    test::OffscreenGL offscreen{SIZE, SIZE};
    orvane::test::TempDirectory directory;
    object::Pointer<TextureManager> manager;
};

TEST_F(TexturedQuad, ShowsTheTexelsOfTwentyFourAndThirtyTwoBitImages) {
    const Picture opaque = testPicture(false), translucent = testPicture(true);
    EXPECT_EQ(shownFrom("rgb.bmp", bmp24(opaque)), opaque);
    EXPECT_EQ(shownFrom("rgba.tga", tga32(translucent)), translucent);
}

// RGB pictures are held as RGBA with alpha 1, so that they share their programs with RGBA
// textures: under modulation the fragments keep the alpha of their colour, as with an RGB
// texture, and a translucent material over an RGB texture stays translucent.
TEST_F(TexturedQuad, TwentyFourBitImagesKeepTheAlphaOfTheColourTheyModulate) {
    Picture halfAlpha = testPicture(false);
    for (Rgba& p : halfAlpha)
        p[3] = 128;
    EXPECT_EQ(shownFrom("rgb.bmp", bmp24(testPicture(false)), 128 / 255.0f), halfAlpha);
    EXPECT_EQ(manager->get("rgb.bmp")->format, Format::RGBA32);
}

// Grey pictures (8-bit grey TGA files, type 3) show grey, grey with alpha keeps its
// alpha; as one-channel coverage (a font map) the same image is alpha over white.
TEST_F(TexturedQuad, ShowsGreyAndGreyAlphaPicturesAsGreyAndCoverageAsAlpha) {
    orvane::test::Tga grey;
    grey.imageType = 3;
    grey.width = grey.height = SIZE;
    grey.depth = 8;
    grey.descriptor = 0x20;
    orvane::test::Tga greyAlpha = grey;
    greyAlpha.depth = 16;
    greyAlpha.descriptor = 0x28;
    Picture greys, greysWithAlpha;
    for (int i = 0; i < SIZE * SIZE; ++i) {
        const int level = i * 4 % 256, alpha = 255 - i * 3;
        grey.pixelData.push_back(std::uint8_t(level));
        greyAlpha.pixelData.insert(greyAlpha.pixelData.end(),
                                   {std::uint8_t(level), std::uint8_t(alpha)});
        greys.push_back({level, level, level, 255});
        greysWithAlpha.push_back({level, level, level, alpha});
    }
    EXPECT_EQ(shownFrom("grey.tga", orvane::test::tgaFile(grey)), greys);
    EXPECT_EQ(manager->get("grey.tga")->format, Format::GREY8);
    EXPECT_EQ(shownFrom("greyalpha.tga", orvane::test::tgaFile(greyAlpha)), greysWithAlpha);
    EXPECT_EQ(manager->get("greyalpha.tga")->format, Format::GREY_ALPHA16);

    graphics::Image coverage(Format::GREY8, SIZE, SIZE);
    auto* bytes = static_cast<std::uint8_t*>(coverage.pixels());
    Picture asAlpha;
    for (int i = 0; i < SIZE * SIZE; ++i) {
        bytes[i] = std::uint8_t(i * 4);
        asAlpha.push_back({255, 255, 255, i * 4});
    }
    const std::int32_t size[2] = {SIZE, SIZE};
    auto map = object::Pointer<Texture2D>::adopt(
        createTexture2D(Format::GREY8, size, 1, Texture2D::OneChannel::ALPHA));
    ASSERT_TRUE(map->update(&coverage, 0));
    EXPECT_EQ(drawTextured(offscreen, map.get()), asAlpha);
}

TEST_F(TexturedQuad, ShowsThePaletteColoursOfPaletteImages) {
    Picture expected;
    const Bytes file = bmp8(expected);
    EXPECT_EQ(shownFrom("indexed.bmp", file), expected);
    EXPECT_EQ(manager->get("indexed.bmp")->format, Format::RGBA32) << "held as RGBA, alpha 1";
}

TEST_F(TexturedQuad, ShowsTheColoursOfSixteenBitImages) {
    Picture expected;
    const Bytes file = tga16(testPicture(false), expected);
    EXPECT_EQ(shownFrom("packed.tga", file), expected);
}

TEST_F(TexturedQuad, ShowsDxtOneImagesCompressedAndDecodedAlike) {
    Picture expected;
    const Bytes file = dds1(expected);
    ASSERT_TRUE(offscreen.context().extensions.isSupported("GL_EXT_texture_compression_s3tc"))
        << "Mesa decodes S3TC itself";
    EXPECT_EQ(shownFrom("blocks.dds", file), expected);

    // The path for OpenGL without the extension: decoded here, uploaded as RGBA.
    graphics::CompressedImage level(Format::DXT1, SIZE, SIZE);
    std::memcpy(level.pixels(), file.data() + 128, std::size_t(level.dataBytes()));
    auto decoded = textureupload::decompress(&level);
    ASSERT_TRUE(decoded);
    auto texture = object::Pointer<Texture2D>::adopt(createTexture2D(decoded.get(), -1));
    EXPECT_EQ(drawTextured(offscreen, texture.get()), expected);
}

TEST_F(TexturedQuad, ManagerReadsAFileOnceForTwoRequestsAndCachesNoFailure) {
    GLRecorder recorder(GLRecorder::COUNT, GLRecorder::FORWARD);
    EXPECT_THROW(manager->get("late.bmp"), io::FileNotFoundException);
    const Picture opaque = testPicture(false);
    EXPECT_EQ(shownFrom("late.bmp", bmp24(opaque)), opaque);
    Texture* first = manager->get("late.bmp");
    std::remove(directory.path("late.bmp").c_str());
    EXPECT_EQ(manager->get("late.bmp"), first);
    EXPECT_EQ(recorder.count("glGenTextures"), 1u);
    EXPECT_EQ(recorder.count("glTexImage2D"), 4u) << "8 x 8 down to 1 x 1";
}

// The smaller levels made for a picture are the means of the level above, and OpenGL's
// generation stays on, so that they follow an update of level 0.
TEST_F(TexturedQuad, MadeLevelsAreMeansAndFollowUpdatesOfTheFirst) {
    graphics::Image picture(Format::RGBA32, 2, 2);
    const std::uint8_t texels[16] = {0,  0,  0,  255, 255, 255, 255, 255,
                                     10, 20, 30, 255, 50,  60,  70,  251};
    std::memcpy(picture.pixels(), texels, sizeof texels);
    auto texture = object::Pointer<Texture2D>::adopt(createTexture2D(&picture, -2));
    const auto levelOne = [&] {
        std::uint8_t rgba[4] = {};
        gl.glBindTexture(GL_TEXTURE_2D, texture->id);
        gl.glPixelStorei(GL_PACK_ALIGNMENT, 1);
        gl.glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return Rgba{rgba[0], rgba[1], rgba[2], rgba[3]};
    };
    EXPECT_EQ(levelOne(), (Rgba{79, 84, 89, 254}));

    graphics::Image uniform(Format::RGBA32, 2, 2);
    const std::uint8_t colour[4] = {100, 150, 200, 255};
    auto* bytes = static_cast<std::uint8_t*>(uniform.pixels());
    for (int i = 0; i < 16; i += 4)
        std::memcpy(bytes + i, colour, sizeof colour);
    ASSERT_TRUE(texture->update(&uniform, 0));
    EXPECT_EQ(levelOne(), (Rgba{100, 150, 200, 255}));
}

} // namespace
} // namespace orvane::graphics3d
