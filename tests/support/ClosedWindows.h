#pragma once

// Include it after GoogleTest (it includes XInput.h).

#include "orvane/gui/Window.h"
#include "orvane/native/Window.h"
#include "tests/support/XInput.h"

#include <cstdint>

namespace orvane::test {

// Closes an open window and answers whether its native window had left the display by the
// time close() returned. The window's thread destroys it and closes its X connection before
// it ends, so there is nothing the server still has to catch up on and nothing is waited for.
inline bool closeLeavesNothingOnTheDisplay(gui::Window& window) {
    const std::uint64_t id = native::nativeWindowId(window.getNativeWindow());
    window.close();
    XInput x;
    return id != 0 && x && !x.isTopLevel(id);
}

} // namespace orvane::test
