#pragma once

namespace orvane::native {

// The address of an OpenGL function for whichever kind of context is current on the
// calling thread (a window's GLX context or an offscreen EGL context), null when the
// library has no such function. Without any current context it answers what GLX answers.
void* glProcAddress(const char* name);

} // namespace orvane::native
