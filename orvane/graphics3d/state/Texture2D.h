#pragma once

#include "orvane/graphics/Geometry.h"
#include "orvane/graphics/Image.h"
#include "orvane/graphics3d/state/Texture.h"

#include <cstdint>
#include <utility>

namespace orvane::graphics3d {

// A two-dimensional texture that owns its OpenGL texture object (deleted with it). Made
// by createTexture2D, empty or from an image; parts of images can be written into it
// later. All of it needs the calling thread's current OpenGL context.
class Texture2D : public Texture {
public:
    // How the texture takes images of one 8-bit channel (GREY8), a format that stands for
    // grey pictures (what image decoders give) and coverage maps (what fonts are) alike:
    // as grey, or as alpha.
    enum class OneChannel { GREY, ALPHA };

    // Takes over an existing 2D texture object (see Texture), binds it and reads the size
    // of level 0. The texture stays bound.
    explicit Texture2D(GLuint id);
    ~Texture2D() override;

    // Replaces a whole level with an image of that level's size. TypeException for an
    // image format without an OpenGL format; false when the image has no pixels.
    bool update(graphics::Image* image, GLint level);
    // Writes the whole image into level 0 at a position (x to the right, y down the rows).
    bool update(graphics::Image* image, graphics::Point<std::int32_t> position);
    // Writes a rectangle of the image into level 0 at a position. False, with nothing
    // written, when the rectangle does not lie inside the image.
    bool update(graphics::Image* image, graphics::Point<std::int32_t> position,
                graphics::Rectangle<std::int32_t> rectangle);

    types::String getClassName() const override;

    // The size of level 0 as OpenGL reports it.
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Set at creation: what its updates from GREY8 images are.
    OneChannel oneChannel = OneChannel::GREY;

private:
    bool update(graphics::Image* image, GLint level, graphics::Point<std::int32_t> position,
                graphics::Rectangle<std::int32_t> rectangle);
};

// Each dimension rounded up to a power of two: 1 -> 1, 5 -> 8, 64 -> 64, 65 -> 128; zero
// and negative values give 1, and values above 2^30 give 2^30.
std::pair<std::int32_t, std::int32_t> nextPowerOfTwo(std::int32_t width, std::int32_t height);

// An empty texture of an image format, its size rounded up to powers of two; mipmapMode -2
// has OpenGL generate the mipmaps. The texture stays bound.
//
// Every creation needs an OpenGL context current on the calling thread, and makes sure the
// thread has the render Context of it (Context::acquire). Failures throw, after OpenGL's
// error flags were read and with no texture object left behind: TypeException for a
// format without an OpenGL format, TextureException for an OpenGL error while the texture
// is generated, bound or defined (and when no OpenGL context is current at all).
// GREY8 textures are grey unless `oneChannel` says alpha.
Texture2D* createTexture2D(std::uint32_t format, std::int32_t width, std::int32_t height,
                           int mipmapMode,
                           Texture2D::OneChannel oneChannel = Texture2D::OneChannel::GREY);
Texture2D* createTexture2D(std::uint32_t format, const std::int32_t size[2], int mipmapMode,
                           Texture2D::OneChannel oneChannel = Texture2D::OneChannel::GREY);

// A texture from an image, its size rounded up to powers of two (a resized copy of the
// image when needed, which has no mipmap chain). levels -2: a full chain generated from
// level 0, and OpenGL's generation left on for later updates of level 0 (pictures of 8-bit
// channels are halved here, each level the 2 x 2 mean of the one before; others, such as
// 16-bit colour and compressed levels, are left to OpenGL from the start); -1: the
// image's mipmap chain, up to 256 levels, no generation; n > 0: at most n levels of the
// chain. Palette images become RGB or RGBA textures with the palette's
// colours; compressed levels are uploaded compressed where OpenGL takes them and decoded
// otherwise. Grey pictures become grey (luminance) textures, grey with alpha
// luminance-alpha ones. The texture stays bound.
Texture2D* createTexture2D(graphics::Image* image, int levels);

} // namespace orvane::graphics3d
