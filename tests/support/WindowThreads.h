#pragma once

#include "orvane/gui/Window.h"
#include "orvane/system/Thread.h"
#include "tests/support/Eventually.h"

#include <cstdint>
#include <string>
#include <unistd.h>

namespace orvane::test {

// A window's thread closes its X connection in a thread-local destructor, which runs after
// Window::close() has returned (a lifetime fault of the thread layer, to be fixed there).
// A test process that ends right after closing a window can exit under that teardown and
// crash in Xlib. Window tests note the window's thread while it is open and wait after
// closing until the system has no such thread any more (Mesa's workers of the
// connection end before it).
inline std::uint32_t windowThreadId(gui::Window& window) {
    system::Thread* thread = window.getThread();
    return thread ? thread->getId() : 0;
}

inline bool threadEnded(std::uint32_t threadId) {
    if (threadId == 0)
        return true;
    const std::string path = "/proc/self/task/" + std::to_string(threadId);
    return eventually([&] { return access(path.c_str(), F_OK) != 0; });
}

} // namespace orvane::test
