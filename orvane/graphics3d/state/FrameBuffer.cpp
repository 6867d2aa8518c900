#include "orvane/graphics3d/state/FrameBuffer.h"

#include "orvane/graphics3d/state/Context.h"

#include "orvane/graphics/Image.h"
#include "orvane/graphics/PixelFormat.h"
#include "orvane/graphics3d/gl/GL.h"
#include "orvane/graphics3d/state/Texture2D.h"
#include "orvane/native/GLContext.h"
#include "orvane/native/Messages.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace orvane::graphics3d {
namespace {

struct Transfer {
    GLenum format = 0;
    int bytesPerPixel = 0;
};

// The image formats pixels move in and out of the frame buffer as.
bool transferOf(std::uint32_t imageFormat, Transfer& transfer) {
    using namespace graphics::PixelFormat;
    switch (imageFormat) {
    case RGB24:
        transfer = {GL_RGB, 3};
        return true;
    case BGR24:
        transfer = {GL_BGR_EXT, 3};
        return true;
    case RGBA32:
        transfer = {GL_RGBA, 4};
        return true;
    case BGRA32:
        transfer = {GL_BGRA_EXT, 4};
        return true;
    default:
        return false;
    }
}

// Whether the block fits into the image at the position, and its rows counted from the
// frame buffer's bottom (what OpenGL takes) are a number OpenGL can be given. Sums are
// taken in 64 bits: a width or height near 2^31 must not wrap around and pass.
bool fitsInto(const graphics::Image& image, FrameBuffer::Position position,
              const FrameBuffer::Area& rectangle, std::int32_t frameHeight) {
    using Wide = std::int64_t;
    const Wide bottom = Wide(frameHeight) - rectangle.y - rectangle.height;
    return position.x >= 0 && position.y >= 0 && rectangle.width >= 0 && rectangle.height >= 0 &&
           Wide(position.x) + rectangle.width <= image.getWidth() &&
           Wide(position.y) + rectangle.height <= image.getHeight() &&
           bottom >= std::numeric_limits<std::int32_t>::min() &&
           bottom <= std::numeric_limits<std::int32_t>::max();
}

// Row length, skips and alignment of a transfer from or to a part of a top-first image.
void setPixelStore(bool pack, const graphics::Image& image, FrameBuffer::Position position) {
    gl.glPixelStorei(pack ? GL_PACK_SWAP_BYTES : GL_UNPACK_SWAP_BYTES, GL_FALSE);
    gl.glPixelStorei(pack ? GL_PACK_ROW_LENGTH : GL_UNPACK_ROW_LENGTH, image.getWidth());
    gl.glPixelStorei(pack ? GL_PACK_SKIP_PIXELS : GL_UNPACK_SKIP_PIXELS, position.x);
    gl.glPixelStorei(pack ? GL_PACK_SKIP_ROWS : GL_UNPACK_SKIP_ROWS, position.y);
    gl.glPixelStorei(pack ? GL_PACK_ALIGNMENT : GL_UNPACK_ALIGNMENT, 1);
}

// Puts back OpenGL's defaults for what setPixelStore changed, so that later transfers
// (texture uploads) are not read with this image's layout.
void resetPixelStore(bool pack) {
    gl.glPixelStorei(pack ? GL_PACK_ROW_LENGTH : GL_UNPACK_ROW_LENGTH, 0);
    gl.glPixelStorei(pack ? GL_PACK_SKIP_PIXELS : GL_UNPACK_SKIP_PIXELS, 0);
    gl.glPixelStorei(pack ? GL_PACK_SKIP_ROWS : GL_UNPACK_SKIP_ROWS, 0);
    gl.glPixelStorei(pack ? GL_PACK_ALIGNMENT : GL_UNPACK_ALIGNMENT, 4);
}

// OpenGL delivers rows bottom first: turns the block upside down in place.
void flipRows(std::uint8_t* pixels, std::int32_t rowBytes, FrameBuffer::Position position,
              const FrameBuffer::Area& rectangle, int bytesPerPixel) {
    std::uint8_t* first =
        pixels + std::ptrdiff_t(position.y) * rowBytes + std::ptrdiff_t(position.x) * bytesPerPixel;
    std::ptrdiff_t length = std::ptrdiff_t(rectangle.width) * bytesPerPixel;
    for (std::int32_t i = 0; i < rectangle.height / 2; ++i) {
        std::uint8_t* top = first + std::ptrdiff_t(i) * rowBytes;
        std::uint8_t* bottom = first + std::ptrdiff_t(rectangle.height - 1 - i) * rowBytes;
        std::swap_ranges(top, top + length, bottom);
    }
}

} // namespace

FrameBuffer::FrameBuffer()
    : window(native::glContextWindow(native::currentGLContext())) {
    native::Rect area;
    if (window && native::getClientRect(window, area)) {
        width = area.width();
        height = area.height();
    }
}

bool FrameBuffer::setSize(std::int32_t newWidth, std::int32_t newHeight) {
    if (!window)
        return resizeTarget && resizeTarget(newWidth, newHeight);
    if (!native::setWindowPosition(window, 0, 0, newWidth, newHeight,
                                   native::SWP_NOMOVE | native::SWP_NOZORDER |
                                       native::SWP_NOCOPYBITS))
        return false;
    native::Rect area;
    if (!native::getClientRect(window, area))
        return false;
    width = area.width();
    height = area.height();
    return width == newWidth && height == newHeight;
}

void FrameBuffer::copyToTexture(Texture2D& texture, std::int32_t level, Position position,
                                const Area& rectangle) {
    gl.glActiveTextureARB(GL_TEXTURE0_ARB);
    if (Context* context = Context::current())
        context->textureStack.forgetActiveUnit();
    GLint previous = 0;
    gl.glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    gl.glBindTexture(GL_TEXTURE_2D, texture.id);
    gl.glCopyTexSubImage2D(
        GL_TEXTURE_2D, level, position.x, texture.height - position.y - rectangle.height,
        rectangle.x, height - rectangle.y - rectangle.height, rectangle.width, rectangle.height);
    gl.glBindTexture(GL_TEXTURE_2D, GLuint(previous));
}

bool FrameBuffer::readPixels(graphics::Image& image, Position position, const Area& rectangle) {
    Transfer transfer;
    if (!transferOf(image.getFormat(), transfer) || !fitsInto(image, position, rectangle, height))
        return false;
    auto* pixels = static_cast<std::uint8_t*>(image.lock());
    if (!pixels) {
        image.unlock();
        return false;
    }
    setPixelStore(true, image, position);
    gl.glReadPixels(rectangle.x, height - rectangle.y - rectangle.height, rectangle.width,
                    rectangle.height, transfer.format, GL_UNSIGNED_BYTE, pixels);
    resetPixelStore(true);
    flipRows(pixels, image.getRowBytes(), position, rectangle, transfer.bytesPerPixel);
    image.unlock();
    return true;
}

bool FrameBuffer::drawPixels(graphics::Image& image, Position position, const Area& rectangle) {
    Transfer transfer;
    if (!transferOf(image.getFormat(), transfer) || !fitsInto(image, position, rectangle, height))
        return false;
    const void* pixels = image.lock();
    if (!pixels) {
        image.unlock();
        return false;
    }
    // Rows go down from the raster position, which is the top edge of the rectangle.
    gl.glPixelZoom(1, -1);
    setPixelStore(false, image, position);
    GLint mode = GL_MODELVIEW;
    gl.glGetIntegerv(GL_MATRIX_MODE, &mode);
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glPushMatrix();
    gl.glLoadIdentity();
    gl.glMatrixMode(GL_PROJECTION);
    gl.glPushMatrix();
    gl.glLoadIdentity();
    // Object coordinates are window pixels: the projection undoes the viewport.
    GLint viewport[4] = {0, 0, width, height};
    gl.glGetIntegerv(GL_VIEWPORT, viewport);
    gl.glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1,
               1);
    // The raster position is set at the centre of the rectangle's top-left pixel, safely
    // inside the view volume, then moved without clipping to that pixel's top-left corner.
    gl.glRasterPos2f(float(rectangle.x) + 0.5f, float(height - rectangle.y) - 0.5f);
    gl.glBitmap(0, 0, 0, 0, -0.5f, 0.5f, nullptr);
    gl.glDrawPixels(rectangle.width, rectangle.height, transfer.format, GL_UNSIGNED_BYTE, pixels);
    gl.glPopMatrix();
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glPopMatrix();
    gl.glMatrixMode(GLenum(mode));
    resetPixelStore(false);
    gl.glPixelZoom(1, 1);
    image.unlock();
    return true;
}

types::String FrameBuffer::getClassName() const {
    return object::classPath(Object::getClassName(), ":FrameBuffer");
}

} // namespace orvane::graphics3d
