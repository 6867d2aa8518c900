#pragma once

#include "orvane/graphics3d/gl/GL.h"
#include "orvane/native/GLContext.h"
#include "orvane/object/Object.h"

#include <cstdint>

namespace orvane::graphics3d {

class Context;

// An OpenGL context with no window and no X server (EGL on Mesa's surfaceless platform),
// rendering into a framebuffer object of a given size: RGBA colour with 8 bits a channel,
// 24-bit depth and 8-bit stencil. Tools and tests draw with it through the same render
// Context and FrameBuffer as a window (frameBuffer.setSize resizes the framebuffer
// object, readPixels reads it back).
//
// The context may be made current on any thread, one thread at a time.
class OffscreenContext : public object::Object {
public:
    // A context of the size, current on the calling thread with its render Context. Null
    // when it cannot be made; native::lastError() says why (no EGL, no surfaceless
    // platform, no framebuffer objects). The creation reference goes to the caller.
    static OffscreenContext* create(std::int32_t width, std::int32_t height);
    // Retires the render context and destroys the framebuffer object and the OpenGL
    // context (made current for that).
    ~OffscreenContext() override;

    // Makes the OpenGL context and its render Context current on the calling thread.
    bool makeCurrent();
    // Gives the framebuffer object a new size (the context must be current).
    bool resize(std::int32_t width, std::int32_t height);

    types::String getClassName() const override;

    Context* context = nullptr;
    native::GLContextHandle glContext = nullptr;
    GLuint framebuffer = 0;
    GLuint colourBuffer = 0;
    GLuint depthBuffer = 0;

private:
    OffscreenContext() = default;
    bool createFramebuffer(std::int32_t width, std::int32_t height);
};

} // namespace orvane::graphics3d
