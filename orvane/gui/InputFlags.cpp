#include "orvane/gui/InputFlags.h"

#include "orvane/native/Messages.h"
#include "orvane/native/Window.h"

namespace orvane::gui {

std::uint32_t mouseFlags(std::uintptr_t keyState) noexcept {
    using namespace native;
    std::uint32_t flags = 0;
    flags |= keyState & MK_LBUTTON ? LEFT_DOWN : LEFT_UP;
    flags |= keyState & MK_RBUTTON ? RIGHT_DOWN : RIGHT_UP;
    flags |= keyState & MK_MBUTTON ? MIDDLE_DOWN : MIDDLE_UP;
    if (keyState & MK_CONTROL)
        flags |= CONTROL_HELD;
    if (keyState & MK_SHIFT)
        flags |= SHIFT_HELD;
    return flags;
}

std::uint32_t buttonFlag(std::uint32_t message) noexcept {
    using namespace native;
    switch (message) {
    case WM_LBUTTONDOWN:
        return LEFT_DOWN;
    case WM_LBUTTONUP:
        return LEFT_UP;
    case WM_RBUTTONDOWN:
        return RIGHT_DOWN;
    case WM_RBUTTONUP:
        return RIGHT_UP;
    case WM_MBUTTONDOWN:
        return MIDDLE_DOWN;
    case WM_MBUTTONUP:
        return MIDDLE_UP;
    default:
        return 0;
    }
}

std::uint32_t keyModifiers() noexcept {
    using namespace native;
    struct KeyFlag {
        std::uint32_t key;
        std::uint32_t flag;
    };
    static constexpr KeyFlag keys[] = {
        {VK_LSHIFT, LEFT_SHIFT},      {VK_RSHIFT, RIGHT_SHIFT}, {VK_LCONTROL, LEFT_CONTROL},
        {VK_RCONTROL, RIGHT_CONTROL}, {VK_LMENU, LEFT_ALT},     {VK_RMENU, RIGHT_ALT},
        {VK_LWIN, LEFT_SYSTEM},       {VK_RWIN, RIGHT_SYSTEM},  {VK_APPS, APPLICATION_KEY},
    };
    std::uint32_t modifiers = 0;
    for (const KeyFlag& key : keys)
        if (isKeyDown(key.key))
            modifiers |= key.flag;
    return modifiers;
}

} // namespace orvane::gui
