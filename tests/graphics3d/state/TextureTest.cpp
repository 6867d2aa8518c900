#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/state/Graphics3dException.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "tests/graphics3d/RecordedContext.h"

#include <cstring>
#include <regex>

namespace orvane::graphics3d {
namespace {

using graphics::Image;
using test::Calls;
using test::RecordedContext;
namespace Format = graphics::PixelFormat;
using ImagePointer = object::Pointer<Image>;
using TexturePointer = object::Pointer<Texture2D>;

// One byte a pixel, but no format the engine defines: no OpenGL format either.
constexpr std::uint32_t UNKNOWN_FORMAT = 0x0008007E;

// The calls with the address of pixel data written as "pixels".
Calls withoutAddresses(const Calls& calls) {
    static const std::regex address("0x[0-9a-f]+\\)$");
    Calls out;
    for (const std::string& call : calls)
        out.push_back(std::regex_replace(call, address, "pixels)"));
    return out;
}

// An image whose every byte is its index, with `levels` mipmap levels, each half the size.
ImagePointer chain(std::uint32_t format, int width, int height, int levels) {
    auto head = ImagePointer::adopt(new Image(format, width, height));
    Image* last = head.get();
    for (int level = 0; level < levels; ++level) {
        auto* pixels = static_cast<std::uint8_t*>(last->pixels());
        for (std::int64_t i = 0; i < last->pixelBytes(); ++i)
            pixels[i] = std::uint8_t(i);
        if (level + 1 < levels) {
            auto* next = new Image(format, std::max(1, last->getWidth() / 2),
                                   std::max(1, last->getHeight() / 2));
            last->setNextLevel(next);
            next->release();
            last = next;
        }
    }
    return head;
}

const Calls unpacking = {
    "glPixelTransferi(GL_MAP_COLOR, 0)",       "glPixelTransferi(GL_MAP_STENCIL, 0)",
    "glPixelStorei(GL_UNPACK_SWAP_BYTES, 0)",  "glPixelStorei(GL_UNPACK_ROW_LENGTH, 0)",
    "glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0)", "glPixelStorei(GL_UNPACK_SKIP_ROWS, 0)",
    "glPixelStorei(GL_UNPACK_ALIGNMENT, 1)"};

const Calls newName = {"glGetError()", "glGenTextures(1, &)", "glGetError()",
                       "glBindTexture(GL_TEXTURE_2D, 1)", "glGetError()"};

// What wrapping texture 1 as a Texture2D sends.
const Calls wrapping = {"glBindTexture(GL_TEXTURE_2D, 1)",
                        "glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPONENTS, &)",
                        "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST)",
                        "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST)",
                        "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT)",
                        "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT)",
                        "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R_EXT, GL_REPEAT)",
                        "glBindTexture(GL_TEXTURE_2D, 0)",
                        "glBindTexture(GL_TEXTURE_2D, 1)",
                        "glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &)",
                        "glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &)"};

Calls joined(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// RGB pictures are held as GL_RGBA8 (32856).
std::string level(int number, int size, const char* internal = "32856",
                  const char* external = "GL_RGB") {
    const std::string n = std::to_string(number), s = std::to_string(size);
    return "glTexImage2D(GL_TEXTURE_2D, " + n + ", " + internal + ", " + s + ", " + s + ", 0, " +
           external + ", GL_UNSIGNED_BYTE, pixels)";
}

using TextureTest = RecordedContext;

TEST_F(TextureTest, ImageLevelsUploadAsAskedMinusTwoGeneratesMinusOneTakesTheChain) {
    // -2 halves level 0 down to 1 x 1 (not the image's own chain of three), then leaves
    // OpenGL's generation on for later updates.
    ImagePointer image = chain(Format::RGB24, 8, 8, 3);
    auto texture = TexturePointer::adopt(createTexture2D(image.get(), -2));
    EXPECT_EQ(
        withoutAddresses(recorder.takeCalls()),
        joined({unpacking,
                newName,
                {level(0, 8), level(1, 4), level(2, 2), level(3, 1),
                 "glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1)", "glGetError()"},
                wrapping}));
    EXPECT_EQ(texture->getClassName(), "Object:Resource:Texture:Texture2D");
    EXPECT_EQ(texture->id, 1u);
    EXPECT_EQ(texture->width, 8);
    EXPECT_EQ(texture->height, 8);
    EXPECT_EQ(texture->format, Format::RGBA32);
    EXPECT_FALSE(image->isLocked());

    texture = TexturePointer::adopt(createTexture2D(image.get(), -1));
    Calls calls = withoutAddresses(recorder.takeCalls());
    EXPECT_EQ(Calls(calls.begin() + 12, calls.begin() + 16),
              (Calls{"glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 0)", level(0, 8),
                     level(1, 4), level(2, 2)}));

    // A count leaves the generation flag alone and takes at most that many levels.
    texture = TexturePointer::adopt(createTexture2D(image.get(), 2));
    calls = withoutAddresses(recorder.takeCalls());
    EXPECT_EQ(Calls(calls.begin() + 12, calls.begin() + 15),
              (Calls{level(0, 8), level(1, 4), "glGetError()"}));
    EXPECT_EQ(recorder.liveTextures(), 1u) << "replaced textures deleted their objects";
}

TEST_F(TextureTest, SizesAreRoundedUpToPowersOfTwoThroughAResizedCopy) {
    EXPECT_EQ(nextPowerOfTwo(1, 5), std::make_pair(1, 8));
    EXPECT_EQ(nextPowerOfTwo(64, 65), std::make_pair(64, 128));
    EXPECT_EQ(nextPowerOfTwo(0, -3), std::make_pair(1, 1));
    EXPECT_EQ(nextPowerOfTwo(0x7FFFFFFF, (1 << 30) + 1), std::make_pair(1 << 30, 1 << 30));

    // 100 x 30 goes up as a 128 x 32 copy without the chain; 64 x 64 goes up as it is.
    ImagePointer odd = chain(Format::BGRA32, 100, 30, 2);
    auto texture = TexturePointer::adopt(createTexture2D(odd.get(), -1));
    Calls calls = recorder.takeCalls();
    EXPECT_EQ(recorder.count("glTexImage2D"), 1u);
    EXPECT_EQ(withoutAddresses({calls[13]}),
              (Calls{"glTexImage2D(GL_TEXTURE_2D, 0, 32856, 128, 32, 0, GL_BGRA_EXT, "
                     "GL_UNSIGNED_BYTE, pixels)"}));
    EXPECT_EQ(texture->width, 128);
    EXPECT_EQ(texture->format, Format::RGBA32);

    ImagePointer square = chain(Format::RGBA32, 64, 64, 1);
    recorder.clear();
    texture = TexturePointer::adopt(createTexture2D(square.get(), -2));
    char address[32];
    std::snprintf(address, sizeof address, "%p)", square->pixels());
    EXPECT_TRUE(recorder.calls()[12].ends_with(address)) << "no copy: " << recorder.calls()[12];
}

TEST_F(TextureTest, EmptyTextureIsDefinedWithoutData) {
    const std::int32_t size[2] = {30, 64};
    auto texture = TexturePointer::adopt(
        createTexture2D(Format::GREY8, size, -2, Texture2D::OneChannel::ALPHA));
    EXPECT_EQ(recorder.takeCalls(),
              joined({newName,
                      {"glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1)",
                       "glTexImage2D(GL_TEXTURE_2D, 0, 32828, 32, 64, 0, GL_RGB, "
                       "GL_UNSIGNED_BYTE, 0)",
                       "glGetError()"},
                      wrapping}))
        << "GL_ALPHA8 for a coverage map";
    EXPECT_EQ(texture->format, Format::GREY8);
    EXPECT_EQ(texture->oneChannel, Texture2D::OneChannel::ALPHA);
    texture = TexturePointer::adopt(createTexture2D(Format::GREY8, size, 1));
    EXPECT_NE(recorder.takeCalls()[6].find(", 0, 32832, 32, 64,"), std::string::npos)
        << "GL_LUMINANCE8 for a grey picture";
    EXPECT_EQ(texture->oneChannel, Texture2D::OneChannel::GREY);
    texture = TexturePointer::adopt(createTexture2D(Format::INDEX8, 4, 4, 1));
    EXPECT_EQ(texture->format, Format::RGBA32) << "palette textures hold colours";
    EXPECT_EQ(recorder.count("glTexParameteri") % 6, 0u);
}

TEST_F(TextureTest, FailuresThrowAndLeaveNoTextureObject) {
    ImagePointer image = chain(Format::RGB24, 4, 4, 1);
    ImagePointer unknown = chain(UNKNOWN_FORMAT, 4, 4, 1);
    EXPECT_THROW(createTexture2D(unknown.get(), -2), TypeException);
    EXPECT_THROW(createTexture2D(nullptr, -2), TypeException);
    EXPECT_THROW(createTexture2D(Format::DXT1, 4, 4, 1), TypeException);
    EXPECT_EQ(recorder.count("glGenTextures"), 0u) << "the format is checked first";

    // An error after generating, after binding, after defining.
    for (int failing = 1; failing <= 3; ++failing) {
        SCOPED_TRACE(failing);
        for (int i = 0; i < failing; ++i)
            recorder.queueError(GL_NO_ERROR);
        recorder.queueError(GL_OUT_OF_MEMORY);
        EXPECT_THROW(createTexture2D(image.get(), -1), TextureException);
        EXPECT_EQ(recorder.liveTextures(), 0u);
        EXPECT_FALSE(image->isLocked());
        EXPECT_EQ(recorder.getError(), GLenum(GL_NO_ERROR)) << "every queued error was read";
    }
    recorder.queueError(GL_NO_ERROR);
    recorder.queueError(GL_NO_ERROR);
    recorder.queueError(GL_NO_ERROR);
    recorder.queueError(GL_INVALID_VALUE);
    EXPECT_THROW(createTexture2D(Format::RGB24, 4, 4, 1), TextureException);
    EXPECT_EQ(recorder.liveTextures(), 0u);
    EXPECT_EQ(recorder.count("glGenTextures"), recorder.count("glDeleteTextures"));
}

TEST(TextureWithoutOpenGL, CreationFailsCleanly) {
    // No context is current on this thread: the table's stubs (or a context-less OpenGL
    // library) make no texture name.
    ASSERT_EQ(Context::current(), nullptr);
    ImagePointer image = chain(Format::RGB24, 4, 4, 1);
    EXPECT_THROW(createTexture2D(image.get(), -2), TextureException);
    EXPECT_THROW(createTexture2D(Format::RGB24, 4, 4, -2), TextureException);
    EXPECT_EQ(Context::current(), nullptr);
}

TEST_F(TextureTest, SetFilterRestoresTheBindingItFound) {
    auto texture = TexturePointer::adopt(createTexture2D(Format::RGB24, 4, 4, 1));
    gl.glBindTexture(GL_TEXTURE_2D, 7);
    recorder.clear();
    texture->setFilter(GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR);
    EXPECT_EQ(recorder.takeCalls(),
              (Calls{"glGetIntegerv(GL_TEXTURE_BINDING_2D, &)", "glBindTexture(GL_TEXTURE_2D, 1)",
                     "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, "
                     "GL_LINEAR_MIPMAP_LINEAR)",
                     "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR)",
                     "glBindTexture(GL_TEXTURE_2D, 7)"}));
    EXPECT_EQ(texture->minFilter, GLenum(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(texture->magFilter, GLenum(GL_LINEAR));
}

TEST_F(TextureTest, DirectBindsMakeTheStackBindAgain) {
    auto first = TexturePointer::adopt(createTexture2D(Format::RGB24, 4, 4, 1));
    context->textureStack.bind(first.get(), 0);
    // Creating another texture binds it on the active unit behind the stack's back.
    auto second = TexturePointer::adopt(createTexture2D(Format::RGB24, 4, 4, 1));
    recorder.clear();
    context->textureStack.bind(first.get(), 0);
    EXPECT_EQ(recorder.takeCalls(), (Calls{"glBindTexture(GL_TEXTURE_2D, 1)"}))
        << "bound again; unit 0 is still the active one";
    ImagePointer image = chain(Format::RGB24, 2, 2, 1);
    second->update(image.get(), 0);
    recorder.clear();
    context->textureStack.bind(first.get(), 0);
    EXPECT_EQ(recorder.count("glBindTexture"), 1u);
}

TEST_F(TextureTest, UpdatesWriteRectanglesInsideTheImageOnly) {
    auto texture = TexturePointer::adopt(createTexture2D(Format::RGB24, 8, 8, 1));
    ImagePointer image = chain(Format::BGR24, 6, 5, 1);
    recorder.clear();
    EXPECT_TRUE(texture->update(image.get(), 2));
    Calls expected = unpacking;
    expected[3] = "glPixelStorei(GL_UNPACK_ROW_LENGTH, 6)";
    expected.insert(expected.end(),
                    {"glBindTexture(GL_TEXTURE_2D, 1)",
                     "glTexSubImage2D(GL_TEXTURE_2D, 2, 0, 0, 6, 5, GL_BGR_EXT, GL_UNSIGNED_BYTE, "
                     "pixels)"});
    EXPECT_EQ(withoutAddresses(recorder.takeCalls()), expected);

    EXPECT_TRUE(texture->update(image.get(), {1, 2}, {3, 1, 2, 4}));
    expected[4] = "glPixelStorei(GL_UNPACK_SKIP_PIXELS, 3)";
    expected[5] = "glPixelStorei(GL_UNPACK_SKIP_ROWS, 1)";
    expected.back() =
        "glTexSubImage2D(GL_TEXTURE_2D, 0, 1, 2, 2, 4, GL_BGR_EXT, GL_UNSIGNED_BYTE, pixels)";
    EXPECT_EQ(withoutAddresses(recorder.takeCalls()), expected);

    EXPECT_TRUE(texture->update(image.get(), {5, 0}));
    EXPECT_EQ(
        withoutAddresses(recorder.takeCalls()).back(),
        "glTexSubImage2D(GL_TEXTURE_2D, 0, 5, 0, 6, 5, GL_BGR_EXT, GL_UNSIGNED_BYTE, pixels)");

    // Rectangles reaching out of the image would have OpenGL read past its pixels.
    for (graphics::Rectangle<std::int32_t> outside : {graphics::Rectangle<std::int32_t>{5, 0, 2, 1},
                                                      {0, 4, 1, 2},
                                                      {-1, 0, 1, 1},
                                                      {0, 0, -1, 1},
                                                      {0x7FFFFFFF, 0, 2, 1}})
        EXPECT_FALSE(texture->update(image.get(), {0, 0}, outside));
    EXPECT_TRUE(recorder.calls().empty());
    ImagePointer unknown = chain(UNKNOWN_FORMAT, 2, 2, 1);
    EXPECT_THROW(texture->update(unknown.get(), 0), TypeException);
    EXPECT_FALSE(image->isLocked());
}

TEST_F(TextureTest, PaletteAndSixteenBitImagesGoUpInFormatsOpenGLReadsAsTheyAre) {
    auto indexed = ImagePointer::adopt(new Image(Format::INDEX8, 2, 1));
    static_cast<std::uint8_t*>(indexed->pixels())[1] = 1;
    graphics::Image::ColourPalette palette;
    palette.set(0, 10, 20, 30, 0);
    palette.set(1, 40, 50, 60, 0);
    indexed->setPalette(&palette);
    auto texture = TexturePointer::adopt(createTexture2D(indexed.get(), -2));
    EXPECT_EQ(withoutAddresses({recorder.calls()[12]}),
              (Calls{"glTexImage2D(GL_TEXTURE_2D, 0, 32856, 2, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, "
                     "pixels)"}));
    EXPECT_EQ(texture->format, Format::RGBA32);

    palette.set(1, 40, 50, 60, 128); // a palette with alpha: RGBA
    indexed->setPalette(&palette);
    recorder.clear();
    texture = TexturePointer::adopt(createTexture2D(indexed.get(), -2));
    EXPECT_EQ(withoutAddresses({recorder.calls()[12]}),
              (Calls{"glTexImage2D(GL_TEXTURE_2D, 0, 32856, 2, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, "
                     "pixels)"}));
    EXPECT_EQ(texture->format, Format::RGBA32);

    ImagePointer packed = chain(Format::RGB15, 4, 2, 1);
    recorder.clear();
    texture = TexturePointer::adopt(createTexture2D(packed.get(), -2));
    // Packed channels cannot be halved byte by byte: OpenGL makes the smaller levels.
    EXPECT_EQ(withoutAddresses({recorder.calls()[12], recorder.calls()[13]}),
              (Calls{"glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1)",
                     "glTexImage2D(GL_TEXTURE_2D, 0, 32848, 4, 2, 0, GL_BGRA_EXT, "
                     "GL_UNSIGNED_SHORT_1_5_5_5_REV, pixels)"}));
    EXPECT_EQ(recorder.count("glTexImage2D"), 1u);
}

// A DXT1 level: one block, first colour pure red, second pure blue, every pixel of the
// top row the second colour and the rest the first.
object::Pointer<graphics::CompressedImage> redBlueBlock(int width, int height) {
    auto level = object::Pointer<graphics::CompressedImage>::adopt(
        new graphics::CompressedImage(Format::DXT1, width, height));
    const std::uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0x55, 0x00, 0x00, 0x00};
    std::memcpy(level->pixels(), block, sizeof block);
    return level;
}

TEST_F(TextureTest, CompressedLevelsGoUpCompressedOrDecodedWithoutTheExtension) {
    auto block = redBlueBlock(4, 4);
    auto texture = TexturePointer::adopt(createTexture2D(block.get(), -1));
    EXPECT_EQ(withoutAddresses({recorder.calls()[13]}),
              (Calls{"glCompressedTexImage2DARB(GL_TEXTURE_2D, 0, "
                     "GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 4, 4, 0, 8, pixels)"}));

    // The extension decides per context: one made without it decodes.
    recorder.removeExtension("GL_EXT_texture_compression_s3tc");
    Context* plain = Context::createForCurrent();
    recorder.clear();
    texture = TexturePointer::adopt(createTexture2D(block.get(), -1));
    EXPECT_EQ(withoutAddresses({recorder.calls()[13]}), (Calls{level(0, 4, "32856", "GL_RGBA")}));
    EXPECT_EQ(texture->format, Format::RGBA32);
    plain->retire();
    plain->release();
}

} // namespace
} // namespace orvane::graphics3d
