#pragma once

#include "orvane/gui/Window.h"
#include "orvane/system/Thread.h"
#include "tests/support/Eventually.h"

#include <cstdint>
#include <string>
#include <unistd.h>

namespace orvane::test {

// Whether a window's thread has left the system after its window closed. A window's
// thread gives back its X connection before close() returns, so a process may exit right
// after closing a window and nothing needs to wait for this; tests that want to see the
// thread itself gone (its last steps run after join) note its id while the window is open
// and wait here.
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
