#include "orvane/graphics3d/state/Texture2D.h"

#include "orvane/graphics/CompressedImage.h"
#include "orvane/graphics/FilterHalve.h"
#include "orvane/graphics/FilterResize.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/state/Context.h"
#include "orvane/graphics3d/state/Graphics3dException.h"
#include "orvane/graphics3d/state/TextureUpload.h"
#include "orvane/native/GLContext.h"

namespace orvane::graphics3d {
namespace {

using graphics::Image;
using ImagePointer = object::Pointer<Image>;
using textureupload::Formats;

constexpr int MAXIMUM_LEVELS = 256;

// The texture creations need the render context of the current OpenGL context: building
// it is what publishes the context's entry points.
void ensureContext() {
    if (!Context::current() && native::currentGLContext())
        Context::acquire();
}

std::int32_t roundUp(std::int32_t size) {
    std::int32_t power = 1;
    while (power < size && power < (1 << 30))
        power *= 2;
    return power;
}

// A texture object being made: generated and bound by the constructor, deleted again
// unless creation gets to the end. Each step reads OpenGL's error flag and throws
// TextureException for an error.
class NewTextureName {
public:
    NewTextureName() {
        gl.glGetError();
        gl.glGenTextures(1, &id);
        const bool generated = gl.glGetError() == GL_NO_ERROR;
        // Without an OpenGL context the entry points are stubs, which make no name.
        if (generated && id != 0) {
            gl.glBindTexture(GL_TEXTURE_2D, id);
            if (gl.glGetError() == GL_NO_ERROR)
                return;
        }
        deleteName();
        throw TextureException();
    }
    ~NewTextureName() { deleteName(); }
    NewTextureName(const NewTextureName&) = delete;
    NewTextureName& operator=(const NewTextureName&) = delete;

    void fail(bool failed) const {
        if (failed)
            throw TextureException();
    }
    Texture2D* finish() {
        auto* texture = new Texture2D(id);
        id = 0;
        return texture;
    }

private:
    void deleteName() {
        if (id)
            gl.glDeleteTextures(1, &id);
        id = 0;
    }

    GLuint id = 0;
};

Formats formatsFor(std::uint32_t format,
                   Texture2D::OneChannel oneChannel = Texture2D::OneChannel::GREY) {
    Formats formats;
    if (!textureupload::formatsOf(format, formats, oneChannel == Texture2D::OneChannel::ALPHA))
        throw TypeException();
    return formats;
}

// Uploads one level; false when the image has no pixel memory to give.
bool uploadLevel(Image& level, GLint number) {
    Formats formats;
    if (!textureupload::imageFormatsOf(level.getFormat(), formats))
        throw TypeException();
    auto* compressed = dynamic_cast<graphics::CompressedImage*>(&level);
    const void* pixels = level.lock();
    if (pixels && formats.compressed && compressed)
        gl.glCompressedTexImage2DARB(GL_TEXTURE_2D, number, GLenum(formats.internal),
                                     level.getWidth(), level.getHeight(), 0,
                                     GLsizei(compressed->dataBytes()), pixels);
    else if (pixels && !formats.compressed)
        gl.glTexImage2D(GL_TEXTURE_2D, number, formats.internal, level.getWidth(),
                        level.getHeight(), 0, formats.external, formats.type, pixels);
    level.unlock();
    return pixels && formats.compressed == (compressed != nullptr);
}

// The image to upload as level 0: converted for OpenGL, and resized when its size is not
// the rounded one (a compressed level is decoded first, since resizing needs pixels).
ImagePointer firstLevel(Image* image, std::int32_t width, std::int32_t height, bool compressed) {
    const bool resize = image->getWidth() != width || image->getHeight() != height;
    ImagePointer level = textureupload::uploadable(image, compressed && !resize);
    if (!level || !resize)
        return level;
    graphics::FilterResize filter(width, height);
    return ImagePointer::adopt(filter.apply(level.get()));
}

// Whether a texel of the level has alpha below 1. Compressed levels count as opaque: their
// alpha is not read back here.
bool hasTranslucentTexels(Image& level) {
    using namespace graphics::PixelFormat;
    const std::uint32_t format = level.getFormat();
    int alphaAt = -1, size = 0;
    if (format == RGBA32 || format == BGRA32)
        alphaAt = 3, size = 4;
    else if (format == GREY_ALPHA16)
        alphaAt = 1, size = 2;
    if (alphaAt < 0)
        return false;
    const auto* pixels = static_cast<const std::uint8_t*>(level.lock());
    bool found = false;
    for (std::int32_t y = 0; pixels && !found && y < level.getHeight(); ++y) {
        const std::uint8_t* row = pixels + std::int64_t(y) * level.getRowBytes();
        for (std::int32_t x = 0; x < level.getWidth() && !found; ++x)
            found = row[x * size + alphaAt] != 255;
    }
    level.unlock();
    return found;
}

// Uploads level 0 and the image's own chain below it, as many levels as `levels` asks
// (see createTexture2D); -2 leaves the smaller levels to OpenGL.
void uploadChain(const NewTextureName& name, Image* image, ImagePointer level, int levels,
                 bool compressed) {
    const int count = levels > 0 ? levels : levels == -1 ? MAXIMUM_LEVELS : 1;
    if (levels == -2 || levels == -1)
        gl.glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, levels == -2 ? 1 : 0);
    // A resized copy has no chain; otherwise the chain is walked from the image's levels.
    Image* next = level->getWidth() == image->getWidth() && level->getHeight() == image->getHeight()
                      ? image->nextLevel()
                      : nullptr;
    for (GLint number = 0; number < count && level; ++number) {
        name.fail(!uploadLevel(*level, number));
        level = next ? textureupload::uploadable(next, compressed) : nullptr;
        next = next ? next->nextLevel() : nullptr;
    }
}

// Uploads level 0 and every smaller level down to 1 x 1, each halved from the one before
// here, then switches OpenGL's generation on, so that later updates of level 0 still bring
// the smaller levels along. Having OpenGL build the first chain costs more than the
// halving: a renderer that generates code (Mesa's llvmpipe) draws the levels with a
// program it builds per texture format, which was most of a textured model's first frame.
void uploadHalvedChain(const NewTextureName& name, ImagePointer level) {
    graphics::FilterHalve halve;
    for (GLint number = 0;; ++number) {
        name.fail(!uploadLevel(*level, number));
        if (level->getWidth() == 1 && level->getHeight() == 1)
            break;
        level = ImagePointer::adopt(halve.apply(level.get()));
        name.fail(!level);
    }
    gl.glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1);
}

bool isInside(const Image& image, const graphics::Rectangle<std::int32_t>& rectangle) {
    return rectangle.x >= 0 && rectangle.y >= 0 && rectangle.width >= 0 && rectangle.height >= 0 &&
           rectangle.width <= image.getWidth() - rectangle.x &&
           rectangle.height <= image.getHeight() - rectangle.y;
}

} // namespace

Texture2D::Texture2D(GLuint id)
    : Texture(id, GL_TEXTURE_2D) {
    bindDirectly();
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    gl.glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
}

Texture2D::~Texture2D() {
    gl.glDeleteTextures(1, &id);
}

bool Texture2D::update(Image* image, GLint level) {
    if (!image)
        return false;
    return update(image, level, {0, 0}, {0, 0, image->getWidth(), image->getHeight()});
}

bool Texture2D::update(Image* image, graphics::Point<std::int32_t> position) {
    if (!image)
        return false;
    return update(image, 0, position, {0, 0, image->getWidth(), image->getHeight()});
}

bool Texture2D::update(Image* image, graphics::Point<std::int32_t> position,
                       graphics::Rectangle<std::int32_t> rectangle) {
    return update(image, 0, position, rectangle);
}

bool Texture2D::update(Image* image, GLint level, graphics::Point<std::int32_t> position,
                       graphics::Rectangle<std::int32_t> rectangle) {
    if (!image)
        return false;
    formatsFor(image->getFormat(), oneChannel);
    if (!isInside(*image, rectangle))
        return false;
    // Sub-images go in uncompressed: compressed levels are decoded.
    ImagePointer source = textureupload::uploadable(image, false);
    if (!source)
        return false;
    const Formats formats = formatsFor(source->getFormat(), oneChannel);
    const void* pixels = source->lock();
    if (pixels) {
        textureupload::setUnpacking(source->getWidth(), rectangle.x, rectangle.y);
        bindDirectly();
        gl.glTexSubImage2D(GL_TEXTURE_2D, level, position.x, position.y, rectangle.width,
                           rectangle.height, formats.external, formats.type, pixels);
    }
    source->unlock();
    return pixels != nullptr;
}

types::String Texture2D::getClassName() const {
    return object::classPath(Texture::getClassName(), ":Texture2D");
}

std::pair<std::int32_t, std::int32_t> nextPowerOfTwo(std::int32_t width, std::int32_t height) {
    return {roundUp(width), roundUp(height)};
}

Texture2D* createTexture2D(std::uint32_t format, std::int32_t width, std::int32_t height,
                           int mipmapMode, Texture2D::OneChannel oneChannel) {
    const Formats formats = formatsFor(format, oneChannel);
    if (formats.compressed)
        throw TypeException();
    ensureContext();
    const auto [roundedWidth, roundedHeight] = nextPowerOfTwo(width, height);
    NewTextureName name;
    gl.glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, mipmapMode == -2 ? 1 : 0);
    gl.glTexImage2D(GL_TEXTURE_2D, 0, formats.internal, roundedWidth, roundedHeight, 0, GL_RGB,
                    GL_UNSIGNED_BYTE, nullptr);
    name.fail(gl.glGetError() != GL_NO_ERROR);
    Texture2D* texture = name.finish();
    texture->oneChannel = oneChannel;
    return texture;
}

Texture2D* createTexture2D(std::uint32_t format, const std::int32_t size[2], int mipmapMode,
                           Texture2D::OneChannel oneChannel) {
    return createTexture2D(format, size[0], size[1], mipmapMode, oneChannel);
}

Texture2D* createTexture2D(Image* image, int levels) {
    if (!image)
        throw TypeException();
    formatsFor(image->getFormat());
    ensureContext();
    textureupload::setUnpacking();
    const auto [width, height] = nextPowerOfTwo(image->getWidth(), image->getHeight());
    NewTextureName name;
    const bool compressed = textureupload::takesCompressedLevels();
    ImagePointer level = firstLevel(image, width, height, compressed);
    name.fail(!level);
    const bool translucent = hasTranslucentTexels(*level);
    if (levels == -2 && graphics::FilterHalve::takes(level->getFormat()))
        uploadHalvedChain(name, std::move(level));
    else
        uploadChain(name, image, std::move(level), levels, compressed);
    name.fail(gl.glGetError() != GL_NO_ERROR);
    Texture2D* texture = name.finish();
    texture->translucent = translucent;
    return texture;
}

} // namespace orvane::graphics3d
