#include "orvane/graphics3d/state/TextureManager.h"
#include "orvane/graphics3d/state/Appearance.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/io/IOException.h"
#include "orvane/io/TranslatorException.h"
#include "tests/graphics3d/RecordedContext.h"
#include "tests/support/ImageFiles.h"
#include "tests/support/TempDirectory.h"

namespace orvane::graphics3d {
namespace {

using orvane::test::Bytes;
using orvane::test::TempDirectory;

// A 2 x 2 24-bit BMP.
Bytes smallBitmap() {
    orvane::test::Bmp bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixelData = orvane::test::bmpRows({{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}});
    return orvane::test::bmpFile(bmp);
}

class TextureManagerTest : public test::RecordedContext {
protected:
    void SetUp() override {
        RecordedContext::SetUp();
        manager = new TextureManager;
        manager->getFactory().setDirectory(directory.path().c_str());
    }
    void TearDown() override {
        if (manager)
            manager->release();
        RecordedContext::TearDown();
    }

    TempDirectory directory;
    TextureManager* manager = nullptr;
};

TEST_F(TextureManagerTest, ReadsAFileOnceAndAnswersTheSameTextureAfterwards) {
    directory.write("wall.bmp", smallBitmap());
    Texture* first = manager->get("wall.bmp");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->minFilter, GLenum(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(first->magFilter, GLenum(GL_LINEAR));
    EXPECT_EQ(first->format, graphics::PixelFormat::RGBA32) << "an RGB picture, held as RGBA";
    EXPECT_EQ(static_cast<Texture2D*>(first)->width, 2);
    EXPECT_EQ(first->getReferenceCount(), 1) << "the entry's creation reference only";
    EXPECT_EQ(recorder.count("glTexParameteri") - 5, 3u)
        << "mipmap generation on, then the two filters";

    std::remove(directory.path("wall.bmp").c_str());
    EXPECT_EQ(manager->get("wall.bmp"), first) << "the file is not read again";
    EXPECT_EQ(recorder.count("glGenTextures"), 1u);
    EXPECT_THROW(manager->get("WALL.BMP"), io::FileNotFoundException)
        << "names are compared exactly";
}

TEST_F(TextureManagerTest, FailuresRaiseTheirExceptionsAndAreNotCached) {
    EXPECT_THROW(manager->get("missing.bmp"), io::FileNotFoundException);
    directory.write("missing.bmp", smallBitmap());
    EXPECT_NE(manager->get("missing.bmp"), nullptr) << "a failure is not remembered";

    directory.write("notes.txt", std::string("\x7F no picture format starts like this"));
    EXPECT_THROW(manager->get("notes.txt"), io::TranslatorFormatException);
    // A BMP whose header claims 4-bit run-length data for a 24-bit picture.
    Bytes broken = smallBitmap();
    broken[30] = 2;
    directory.write("broken.bmp", broken);
    EXPECT_THROW(manager->get("broken.bmp"), io::TranslatorFormatException);
    // TIFF files are recognised and yield no picture.
    directory.write("scan.tif", std::string("II*\0\x08\0\0\0", 8));
    EXPECT_THROW(manager->get("scan.tif"), io::TranslatorFormatException);
    EXPECT_EQ(manager->entries().count(), 1u);
    EXPECT_EQ(recorder.count("glGenTextures"), 1u) << "no texture object for the failures";
    EXPECT_EQ(recorder.liveTextures(), 1u);
}

TEST_F(TextureManagerTest, DirectoryEndsWithOneBackslash) {
    TextureFactory factory;
    factory.setDirectory("data");
    EXPECT_EQ(factory.getDirectory(), "data\\");
    factory.setDirectory("data\\");
    EXPECT_EQ(factory.getDirectory(), "data\\");
    factory.setDirectory("");
    EXPECT_EQ(factory.getDirectory(), "");
    EXPECT_EQ(factory.getClassName(), "Object:TextureFactory");
    EXPECT_EQ(manager->getClassName(), "Object:Cache:TextureManager");
}

// A texture that counts its destruction.
int destroyedTextures = 0;
class CountedTexture : public Texture {
public:
    explicit CountedTexture(GLuint id)
        : Texture(id, GL_TEXTURE_2D) {}
    ~CountedTexture() override { ++destroyedTextures; }
};

TEST_F(TextureManagerTest, TexturesLiveExactlyAsLongAsTheirLastUser) {
    destroyedTextures = 0;
    manager->entries().insert("kept", new CountedTexture(21));
    manager->entries().insert("dropped", new CountedTexture(22));
    manager->entries().insert("failed", nullptr);
    directory.write("wall.bmp", smallBitmap());
    auto appearance = object::Pointer<Appearance>::adopt(new Appearance);
    appearance->setTexture(manager->get("kept"), 0);
    appearance->setTexture(manager->get("wall.bmp"), 1);
    recorder.clear();

    manager->release();
    manager = nullptr;
    EXPECT_EQ(destroyedTextures, 1) << "only the texture nobody else holds";
    EXPECT_EQ(recorder.count("glDeleteTextures"), 0u);
    appearance = nullptr;
    EXPECT_EQ(destroyedTextures, 2);
    EXPECT_EQ(recorder.count("glDeleteTextures"), 1u) << "the file's texture deleted its object";
}

} // namespace
} // namespace orvane::graphics3d
