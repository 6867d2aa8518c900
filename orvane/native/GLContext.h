#pragma once

#include "orvane/native/Window.h"

#include <cstdint>
#include <string>

namespace orvane::native {

// OpenGL contexts.
//
// Two kinds, one handle type:
// - window contexts (GLX): made for a window created with the visual of a chosen pixel
//   format, drawing into that window; compatibility profile, double-buffered;
// - offscreen contexts (EGL on Mesa's surfaceless platform): no window and no X server;
//   they draw into framebuffer objects that their user makes.
// A context is made current on one thread at a time. Window contexts live on the
// window's owner thread (its X connection); offscreen contexts may be made current on any
// thread, one at a time. Failures answer false or null and leave the reason in
// lastError() (Display.h); nothing here ends the process.

struct GLContextRecord;
using GLContextHandle = GLContextRecord*;

// The sizes an OpenGL view asks for (bits; colour without alpha, accumulation in total).
struct PixelFormatRequest {
    int colourBits = 32;
    int alphaBits = 0;
    int accumBits = 0;
    int depthBits = 0;
    int stencilBits = 0;
    int auxBuffers = 0;
};

// What a chosen frame-buffer configuration provides.
struct PixelFormat {
    int colourBits = 0; // the colour buffer's depth (red + green + blue, alpha included)
    int alphaBits = 0;
    int accumBits = 0; // accumulation bits of all four channels together
    int depthBits = 0;
    int stencilBits = 0;
    int auxBuffers = 0;
    // Channel layout of a colour pixel.
    int redBits = 0, greenBits = 0, blueBits = 0;
    int redShift = 0, greenShift = 0, blueShift = 0;
    bool colourIndex = false;  // colour-index rendering rather than RGBA
    bool needsPalette = false; // the visual maps pixels through a colormap
    // The visual windows drawn with this format must be created with.
    VisualChoice visual;
    // The configuration's identity on its display.
    std::uint64_t configId = 0;
};

// Chooses the double-buffered RGBA window configuration closest to the request on the
// calling thread's display (opening its connection if needed): at least the requested
// depth, alpha, depth, stencil, accumulation and auxiliary sizes, the display's preferred
// one among those. False (with lastError) when the display cannot be reached, has no
// GLX, or no configuration qualifies.
bool choosePixelFormat(const PixelFormatRequest& request, PixelFormat& chosen);

// A compatibility-profile context for a window that was created with `format`'s visual,
// on the window's owner thread. Null with lastError on failure.
GLContextHandle createWindowGLContext(WindowHandle window, const PixelFormat& format);

// An offscreen context (EGL, Mesa's surfaceless platform, compatibility profile). Needs
// no X server and ignores DISPLAY. Null with lastError saying what is missing (EGL, the
// surfaceless platform, desktop OpenGL) on failure.
GLContextHandle createOffscreenGLContext();

// Makes the context current on the calling thread (its window for a window context, no
// surface for an offscreen one); null makes none current. False, and the thread's
// current context unchanged, when the context or its window is gone or the platform
// refuses.
bool makeGLContextCurrent(GLContextHandle context);

// The engine-made context current on the calling thread, or null.
GLContextHandle currentGLContext() noexcept;

// The window a context draws into; null for offscreen contexts and unknown handles.
WindowHandle glContextWindow(GLContextHandle context) noexcept;

// Shows what was drawn into a window context's back buffer.
bool swapGLBuffers(GLContextHandle context);

// Destroys the context (releasing it first when it is current on the calling thread).
// Window contexts are destroyed on their window's owner thread. False for a null handle.
bool destroyGLContext(GLContextHandle context);

// Records a failure of OpenGL set-up found above this layer (an offscreen context without
// framebuffer objects), so that lastError() tells it like the layer's own failures.
void reportGLFailure(const std::string& text);

// Contexts made and not destroyed yet, of both kinds (leak checks).
int liveGLContextCount() noexcept;

// The address of an OpenGL function for whichever kind of context is current on the
// calling thread (a window's GLX context or an offscreen EGL context), null when the
// library has no such function. Without any current context it answers what GLX answers.
void* glProcAddress(const char* name);

} // namespace orvane::native
