#pragma once

#include "orvane/graphics/Image.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/object/Pointer.h"

#include <cstdint>

namespace orvane::graphics3d {

// How images become texture data: the OpenGL formats of each image format, the pixel
// store set-up of every upload, and the conversions for images OpenGL cannot take as
// they are.
//
// - 8-bit palette images are expanded to their palette's colours: RGB, or RGBA when the
//   palette carries alpha (any entry with alpha other than 0; translators store 0 where a
//   file gives none), so transparent entries stay transparent.
// - 16-bit colour images are uploaded as they are, as GL_BGRA words of type
//   GL_UNSIGNED_SHORT_1_5_5_5_REV: the engine's channel order, blue in bits 0-4.
// - Block-compressed levels (DXT1, DXT3, DXT5) are uploaded compressed where the context
//   has GL_EXT_texture_compression_s3tc, and otherwise decoded to RGBA.
namespace textureupload {

struct Formats {
    GLint internal = 0;
    GLenum external = 0;
    GLenum type = GL_UNSIGNED_BYTE;
    // Block-compressed data for glCompressedTexImage2DARB (external and type unused).
    bool compressed = false;
};

// The OpenGL formats of an image format as uploaded (after the conversions above), or
// false when OpenGL has none. Palette images map to the RGBA texture an empty texture of
// that format gets; an image's own mapping is that of its conversion. One 8-bit channel
// (GREY8) is luminance, so that grey pictures show grey, or alpha when `greyIsAlpha` (font
// coverage maps); grey with alpha is luminance-alpha.
bool formatsOf(std::uint32_t imageFormat, Formats& formats, bool greyIsAlpha = false) noexcept;

// The formats an image's own pixels are uploaded with: those of formatsOf, except that RGB
// pictures are held as RGBA8, alpha 1. A renderer that generates code per texture format
// (Mesa's llvmpipe) otherwise builds a mipmap program and a texturing program for RGB
// textures and again for RGBA ones on their first use, which is most of the time to a
// textured model's first frame; with one format they share them. Every environment mode
// the shaders set (modulate, combine) reads alpha 1 from an RGB texture, so the pixels are
// the same; llvmpipe stores RGB8 in four bytes a texel anyway. Such a texture is an RGBA
// one from then on: an update from an RGBA image or a copy from a frame buffer with alpha
// keeps that alpha, which alpha tests and blending then see.
bool imageFormatsOf(std::uint32_t imageFormat, Formats& formats) noexcept;

// The image format a texture's internal format reads back as: 8-bit palette for 1, RGB for
// GL_RGB8, RGBA for GL_RGBA8, GREY8 for GL_LUMINANCE8 and GL_ALPHA8, GREY_ALPHA16 for
// GL_LUMINANCE8_ALPHA8, 0 for every other.
std::uint32_t imageFormatOf(GLint internalFormat) noexcept;

// glPixelTransferi and glPixelStorei for reading `rowLength` pixels a row (0: the upload's
// width), skipping `skipPixels` and `skipRows`, byte-aligned.
void setUnpacking(GLint rowLength = 0, GLint skipPixels = 0, GLint skipRows = 0);

// Whether the calling thread's current context takes compressed DXT levels.
bool takesCompressedLevels();

// The image as OpenGL will take it: the image itself, or a converted copy (see above).
// Null when a conversion cannot get the memory it needs or the source has no pixels.
object::Pointer<graphics::Image> uploadable(graphics::Image* image, bool compressedLevels);

// An RGB or RGBA copy of an 8-bit palette image (black where it has no palette).
object::Pointer<graphics::Image> expandPalette(graphics::Image* image);
// An RGBA copy of a DXT1, DXT3 or DXT5 level (DXT1's transparent colour has alpha 0).
object::Pointer<graphics::Image> decompress(graphics::Image* image);

} // namespace textureupload
} // namespace orvane::graphics3d
