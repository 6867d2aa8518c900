// Textured 3DS models in an offscreen OpenGL context: texture files found as real files
// name them, shared between materials, failing the model when missing, and drawn upright.

#include "orvane/graphics3d/mesh/IndexMesh.h"
#include "orvane/graphics3d/model3ds/Translator3DS.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/io/IOException.h"
#include "orvane/io/MemoryFile.h"
#include "orvane/io/TranslatorException.h"
#include "tests/support/ModelFiles.h"
#include "tests/support/OffscreenGL.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace orvane::graphics3d {
namespace {

using object::Pointer;
using test::Bytes;
using test::Chunk;

constexpr int SIZE = 32;

// An 8 x 8 picture stored top row first, one colour per quadrant: red top left, green top
// right, blue bottom left, white bottom right.
Bytes quadrantsTga() {
    test::Tga tga;
    tga.width = tga.height = 8;
    tga.descriptor = 0x20;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const int quadrant = (y >= 4) * 2 + (x >= 4);
            const std::array<std::uint8_t, 3> bgr[4] = {
                {0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}};
            tga.pixelData.insert(tga.pixelData.end(), bgr[quadrant].begin(), bgr[quadrant].end());
        }
    return test::tgaFile(tga);
}

// A square from (-1, -1) to (1, 1) facing +z, its coordinates as 3DS files give them:
// v = 0 at the bottom of the picture.
Chunk texturedSquare(const std::vector<std::string>& materials) {
    Chunk faces = test::faceChunk({{0, 1, 2}, {0, 2, 3}});
    for (const std::string& material : materials)
        faces.add(test::groupChunk(material, {0, 1}));
    return Chunk(0x4100)
        .add(test::vertexChunk({-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}))
        .add(test::texCoordChunk({0, 0, 1, 0, 1, 1, 0, 1}))
        .add(faces);
}

test::Material white(const std::string& name, const std::string& texture) {
    return {.name = name, .ambient = {1, 1, 1}, .texture = texture};
}

class Translator3DSTextures : public ::testing::Test {
protected:
    void SetUp() override {
        if (!offscreen)
            GTEST_SKIP() << "no offscreen OpenGL: " << native::lastError();
        manager->getFactory().setDirectory(directory.path().c_str());
        directory.write("gl-14_c2.tga", quadrantsTga());
    }

    Pointer<StaticModel> translate(const Bytes& bytes) {
        io::MemoryFile file(bytes.data(), bytes.size());
        return Pointer<StaticModel>::adopt(
            dynamic_cast<StaticModel*>(translator.translate(file.getInputStream(), -1)));
    }

    Appearance* appearanceOf(const StaticModel& model, std::uint32_t mesh) {
        return model.mesh(mesh)->getAppearance();
    }

    test::OffscreenGL offscreen{SIZE, SIZE};
    test::TempDirectory directory;
    Pointer<TextureManager> manager = object::make<TextureManager>();
    Translator3DS translator;
};

TEST_F(Translator3DSTextures, UpperCaseNamesFindLowerCaseFilesAndMaterialsShareATexture) {
    auto properties = Pointer<object::PropertyList>::adopt(translator.getProperties());
    properties->lookup("texturemanager")->setObject(manager.get());
    translator.setProperties(properties.get());
    const Pointer<StaticModel> model = translate(
        test::modelFile({test::materialChunk(white("Camo", "GL-14_C2.TGA")),
                         test::materialChunk(white("Again", "GL-14_C2.TGA")),
                         test::materialChunk({.name = "Plain"}),
                         test::objectChunk("Square", texturedSquare({"Camo", "Again", "Plain"}))}));
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshCount(), 3u);
    Appearance* camo = appearanceOf(*model, 0);
    Appearance* again = appearanceOf(*model, 1);
    Appearance* plain = appearanceOf(*model, 2);
    ASSERT_NE(camo->texture(0), nullptr) << "found as gl-14_c2.tga";
    EXPECT_EQ(again->texture(0), camo->texture(0)) << "one texture per file name";
    EXPECT_EQ(manager->entries().count(), 1u);
    EXPECT_EQ(camo->texture(0)->minFilter, GLenum(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(camo->texture(0)->magFilter, GLenum(GL_LINEAR));
    EXPECT_NE(dynamic_cast<TextureShader*>(camo->shader.get()), nullptr);
    EXPECT_EQ(again->shader, camo->shader);
    EXPECT_EQ(plain->texture(0), nullptr);
    EXPECT_NE(dynamic_cast<ColourShader*>(plain->shader.get()), nullptr);
}

// A texture that cannot be loaded fails the whole model, even for a material no group
// uses; the file is read and checked first, so a damaged file loads no texture at all.
TEST_F(Translator3DSTextures, AMissingTextureFailsTheModel) {
    translator.setTextureManager(manager.get());
    EXPECT_THROW(translate(test::modelFile({test::materialChunk(white("Gone", "MISSING.BMP")),
                                            test::objectChunk("S", texturedSquare({}))})),
                 io::FileNotFoundException);
    Bytes damaged = test::modelFile({test::materialChunk(white("Camo", "GL-14_C2.TGA")),
                                     test::objectChunk("S", texturedSquare({"Camo"}))});
    damaged.resize(damaged.size() - 4);
    EXPECT_THROW(translate(damaged), io::TranslatorFormatException);
    EXPECT_EQ(manager->entries().count(), 0u);
}

// "texturefailures" set to "warn": every material is kept, those whose texture cannot be
// had without it, and each such texture is listed once, in the order asked, with why.
TEST_F(Translator3DSTextures, WarningOfTexturesKeepsTheirMaterialsAndListsWhatFailed) {
    translator.setTextureManager(manager.get());
    auto properties = Pointer<object::PropertyList>::adopt(translator.getProperties());
    ASSERT_NE(properties->lookup("texturefailures"), nullptr);
    EXPECT_STREQ(properties->lookup("texturefailures")->getString(), "raise");
    properties->lookup("texturefailures")->setString("warn");
    translator.setProperties(properties.get());
    EXPECT_EQ(translator.getTextureFailures(), ModelBuilder3DS::TextureFailures::WARN);

    directory.write("broken.tga", Bytes{0, 0, 2, 0});
    Chunk unnamedMap(0xAFFF);
    unnamedMap.add(test::textChunk(0xA000, "Blank")).add(Chunk(0xA200));
    const Pointer<StaticModel> model = translate(test::modelFile(
        {test::materialChunk(white("Gone", "MISSING.BMP")), unnamedMap,
         test::materialChunk(white("Broken", "BROKEN.TGA")),
         test::materialChunk(white("Camo", "GL-14_C2.TGA")),
         test::objectChunk("Square", texturedSquare({"Gone", "Blank", "Broken", "Camo"}))}));
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshCount(), 4u);
    for (std::uint32_t mesh = 0; mesh < 3; ++mesh) {
        Appearance* kept = appearanceOf(*model, mesh);
        ASSERT_NE(kept, nullptr);
        EXPECT_NE(kept->material, nullptr);
        EXPECT_EQ(kept->texture(0), nullptr);
        EXPECT_NE(dynamic_cast<ColourShader*>(kept->shader.get()), nullptr)
            << "drawn as a plain material";
    }
    EXPECT_NE(appearanceOf(*model, 3)->texture(0), nullptr) << "the texture that is there";

    using Failure = ModelBuilder3DS::TextureFailure;
    const auto& failures = translator.textureFailures();
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_EQ(failures[0].kind, Failure::MISSING);
    EXPECT_EQ(failures[0].material, "Gone");
    EXPECT_EQ(failures[0].textureName, "MISSING.BMP");
    EXPECT_EQ(failures[1].kind, Failure::UNNAMED);
    EXPECT_EQ(failures[1].material, "Blank");
    EXPECT_EQ(failures[2].kind, Failure::UNUSABLE);
    EXPECT_EQ(failures[2].textureName, "BROKEN.TGA");
    EXPECT_TRUE(failures[2].reason.starts_with("Translator")) << failures[2].reason;

    // The list belongs to the last translation.
    const Pointer<StaticModel> plain =
        translate(test::modelFile({test::objectChunk("S", texturedSquare({}))}));
    EXPECT_TRUE(translator.textureFailures().empty());

    properties->lookup("texturefailures")->setString("sometimes");
    EXPECT_THROW(translator.setProperties(properties.get()), io::TranslatorException);
    EXPECT_EQ(translator.getTextureFailures(), ModelBuilder3DS::TextureFailures::WARN)
        << "a refused value changes nothing";
}

// By default a map that names no file fails the model and says so.
TEST_F(Translator3DSTextures, AMapWithoutFileNameFailsAStrictModelWithItsReason) {
    translator.setTextureManager(manager.get());
    Chunk unnamedMap(0xAFFF);
    unnamedMap.add(test::textChunk(0xA000, "Blank")).add(Chunk(0xA200));
    try {
        translate(test::modelFile({unnamedMap, test::objectChunk("S", texturedSquare({}))}));
        ADD_FAILURE() << "no exception";
    } catch (const io::TranslatorFormatException& exception) {
        EXPECT_STREQ(exception.getDetail().cString(),
                     "3DS: material \"Blank\": its texture map names no file");
    }
}

// A texture named with an extension nothing reads, or that ships under another one, is
// found under its stem with each picture extension.
TEST_F(Translator3DSTextures, ATextureUnderAnotherPictureExtensionIsFoundByItsStem) {
    directory.write("panzer1_.tga", quadrantsTga());
    TextureFactory& factory = manager->getFactory();
    for (const char* name : {"PANZER1_.RGB", "panzer1_.jpg", "PANZER1_"}) {
        auto texture = Pointer<Texture>::adopt(factory.create(name));
        ASSERT_NE(texture, nullptr) << name;
        EXPECT_EQ(dynamic_cast<Texture2D&>(*texture).width, 8) << name;
    }
    EXPECT_THROW(factory.create("ABSENT.RGB"), io::FileNotFoundException);
}

TEST_F(Translator3DSTextures, ATranslatorWithoutManagerMakesOneAndKeepsIt) {
    const std::string path = directory.path("gl-14_c2.tga");
    const Bytes file = test::modelFile({test::materialChunk(white("Camo", path)),
                                        test::objectChunk("S", texturedSquare({"Camo"}))});
    const Pointer<StaticModel> first = translate(file);
    auto* made = dynamic_cast<TextureManager*>(translator.getTextureManager());
    ASSERT_NE(made, nullptr);
    const Pointer<StaticModel> second = translate(file);
    EXPECT_EQ(translator.getTextureManager(), made);
    EXPECT_EQ(appearanceOf(*second, 0)->texture(0), appearanceOf(*first, 0)->texture(0));

    translator.setTextureManager(object::make<object::Object>().get());
    EXPECT_THROW(translate(file), io::TranslatorException) << "a manager of another kind";
}

// The coordinates' v is flipped so that the picture, stored top row first, shows upright.
TEST_F(Translator3DSTextures, ATexturedSquareShowsItsPictureUpright) {
    translator.setTextureManager(manager.get());
    const Pointer<StaticModel> model =
        translate(test::modelFile({test::materialChunk(white("Camo", "GL-14_C2.TGA")),
                                   test::objectChunk("Square", texturedSquare({"Camo"}))}));
    ASSERT_NE(model, nullptr);
    gl.glClearColor(0, 0, 0, 1);
    gl.glClear(GL_COLOR_BUFFER_BIT);
    auto parameters =
        Pointer<ParameterBuffer>::adopt(ParameterBuffer::create(model->getParameterFormat()));
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(parameters->parameter("position"), identity, sizeof identity);
    model->draw(*parameters);
    EXPECT_EQ(offscreen.pixel(8, 8) & 0xFFFFFF, 0x0000FFu) << "top left: red";
    EXPECT_EQ(offscreen.pixel(24, 8) & 0xFFFFFF, 0x00FF00u) << "top right: green";
    EXPECT_EQ(offscreen.pixel(8, 24) & 0xFFFFFF, 0xFF0000u) << "bottom left: blue";
    EXPECT_EQ(offscreen.pixel(24, 24) & 0xFFFFFF, 0xFFFFFFu) << "bottom right: white";
    offscreen.context().shaderStack.reset();
    offscreen.context().materialStack.reset();
}

} // namespace
} // namespace orvane::graphics3d
