#pragma once

#include <string>

namespace orvane::native {

// The X display.
//
// Every thread that owns windows has its own connection to the display, opened when it
// creates its first window and closed when the thread ends (which also destroys what is
// left of its windows). Connections are never shared between threads, so Xlib needs no
// locking of its own for them.
//
// A display that cannot be reached makes window creation fail; it never ends the process.
// X protocol errors are recorded and never end the process either.

// The display to connect to: the given name, or the DISPLAY variable when empty (the
// default). Affects connections opened afterwards.
void setDisplayName(const std::string& name);

// Whether the calling thread can reach the display (opening its connection if needed).
bool isDisplayAvailable();

// Why the last attempt to create a window or to open a connection failed, in one line;
// empty after a success. Process-wide, since the failing thread is often not the one
// that asks.
std::string lastError();

// Sends every buffered request of the calling thread's connection and waits until the
// server has handled them (tests use it to make their own view of the display current).
void synchronise();

} // namespace orvane::native
