#include "orvane/graphics3d/FrameBuffer.h"

#include "orvane/native/GLContext.h"
#include "orvane/native/Messages.h"

namespace orvane::graphics3d {

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

types::String FrameBuffer::getClassName() const {
    return object::classPath(Object::getClassName(), ":FrameBuffer");
}

} // namespace orvane::graphics3d
