#include "orvane/native/GLContext.h"

#include <EGL/egl.h>
#include <GL/glx.h>

namespace orvane::native {

void* glProcAddress(const char* name) {
    if (!name)
        return nullptr;
    if (eglGetCurrentContext() != EGL_NO_CONTEXT)
        return reinterpret_cast<void*>(eglGetProcAddress(name));
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace orvane::native
