#include "orvane/graphics3d/state/OffscreenContext.h"

#include "orvane/graphics3d/state/Context.h"

namespace orvane::graphics3d {

OffscreenContext* OffscreenContext::create(std::int32_t width, std::int32_t height) {
    auto* offscreen = new OffscreenContext;
    offscreen->glContext = native::createOffscreenGLContext();
    if (!offscreen->glContext || !native::makeGLContextCurrent(offscreen->glContext)) {
        offscreen->release();
        return nullptr;
    }
    offscreen->context = Context::createForCurrent();
    offscreen->context->frameBuffer.resizeTarget = [offscreen](std::int32_t w, std::int32_t h) {
        return offscreen->resize(w, h);
    };
    if (!offscreen->createFramebuffer(width, height)) {
        offscreen->release();
        return nullptr;
    }
    return offscreen;
}

OffscreenContext::~OffscreenContext() {
    if (!glContext)
        return;
    bool current = native::makeGLContextCurrent(glContext);
    if (current && framebuffer) {
        gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        gl.glDeleteFramebuffersEXT(1, &framebuffer);
        GLuint renderbuffers[] = {colourBuffer, depthBuffer};
        gl.glDeleteRenderbuffersEXT(2, renderbuffers);
    }
    if (context) {
        context->retire();
        context->release();
    }
    native::destroyGLContext(glContext);
}

bool OffscreenContext::createFramebuffer(std::int32_t width, std::int32_t height) {
    if (!context->extensions.isSupported("GL_EXT_framebuffer_object") ||
        !isAvailable(&GLTable::glGenFramebuffersEXT)) {
        native::reportGLFailure("the offscreen context has no framebuffer objects");
        return false;
    }
    gl.glGenFramebuffersEXT(1, &framebuffer);
    gl.glGenRenderbuffersEXT(1, &colourBuffer);
    gl.glGenRenderbuffersEXT(1, &depthBuffer);
    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    if (!resize(width, height))
        return false;
    gl.glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                    GL_RENDERBUFFER_EXT, colourBuffer);
    gl.glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                    GL_RENDERBUFFER_EXT, depthBuffer);
    gl.glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT,
                                    GL_RENDERBUFFER_EXT, depthBuffer);
    if (gl.glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        native::reportGLFailure("the offscreen framebuffer object is incomplete");
        return false;
    }
    return true;
}

bool OffscreenContext::resize(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0 || !colourBuffer)
        return false;
    gl.glGetError();
    gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, colourBuffer);
    gl.glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
    gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
    gl.glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, width, height);
    gl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    if (gl.glGetError() != GL_NO_ERROR) {
        native::reportGLFailure("the offscreen framebuffer object cannot have that size");
        return false;
    }
    gl.glViewport(0, 0, width, height);
    context->frameBuffer.setWidth(width);
    context->frameBuffer.setHeight(height);
    return true;
}

bool OffscreenContext::makeCurrent() {
    return context && context->makeCurrent();
}

types::String OffscreenContext::getClassName() const {
    return object::classPath(Object::getClassName(), ":OffscreenContext");
}

} // namespace orvane::graphics3d
