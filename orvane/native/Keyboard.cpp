#include "orvane/native/Messages.h"
#include "orvane/native/ThreadState.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace orvane::native {
namespace {

struct SymbolKey {
    unsigned long keysym;
    std::uint32_t key;
};

// Keys whose virtual code is not a letter, digit, function or keypad number.
constexpr SymbolKey namedKeys[] = {
    {XK_BackSpace, VK_BACK},     {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},   {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN},    {XK_Shift_L, VK_LSHIFT},
    {XK_Shift_R, VK_RSHIFT},     {XK_Control_L, VK_LCONTROL},
    {XK_Control_R, VK_RCONTROL}, {XK_Alt_L, VK_LMENU},
    {XK_Meta_L, VK_LMENU},       {XK_Alt_R, VK_RMENU},
    {XK_Meta_R, VK_RMENU},       {XK_ISO_Level3_Shift, VK_RMENU},
    {XK_Super_L, VK_LWIN},       {XK_Super_R, VK_RWIN},
    {XK_Menu, VK_APPS},          {XK_Pause, VK_PAUSE},
    {XK_Caps_Lock, VK_CAPITAL},  {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},        {XK_Prior, VK_PRIOR},
    {XK_KP_Prior, VK_PRIOR},     {XK_Next, VK_NEXT},
    {XK_KP_Next, VK_NEXT},       {XK_End, VK_END},
    {XK_KP_End, VK_END},         {XK_Home, VK_HOME},
    {XK_KP_Home, VK_HOME},       {XK_Left, VK_LEFT},
    {XK_KP_Left, VK_LEFT},       {XK_Up, VK_UP},
    {XK_KP_Up, VK_UP},           {XK_Right, VK_RIGHT},
    {XK_KP_Right, VK_RIGHT},     {XK_Down, VK_DOWN},
    {XK_KP_Down, VK_DOWN},       {XK_Insert, VK_INSERT},
    {XK_KP_Insert, VK_INSERT},   {XK_Delete, VK_DELETE},
    {XK_KP_Delete, VK_DELETE},   {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},         {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL}, {XK_KP_Divide, VK_DIVIDE},
    {XK_Num_Lock, VK_NUMLOCK},   {XK_Scroll_Lock, VK_SCROLL},
    {XK_semicolon, VK_OEM_1},    {XK_equal, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA},    {XK_minus, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD},  {XK_slash, VK_OEM_2},
    {XK_grave, VK_OEM_3},        {XK_bracketleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},    {XK_bracketright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7},
};

} // namespace

std::uint32_t virtualKeyOfSymbol(unsigned long keysym) {
    if (keysym >= XK_a && keysym <= XK_z)
        return std::uint32_t('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z)
        return std::uint32_t('A' + (keysym - XK_A));
    if (keysym >= XK_0 && keysym <= XK_9)
        return std::uint32_t('0' + (keysym - XK_0));
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return std::uint32_t(VK_F1 + (keysym - XK_F1));
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return std::uint32_t(VK_NUMPAD0 + (keysym - XK_KP_0));
    for (const SymbolKey& named : namedKeys)
        if (named.keysym == keysym)
            return named.key;
    return 0;
}

std::uint32_t virtualKeyOf(Display* display, unsigned keycode) {
    return virtualKeyOfSymbol(XkbKeycodeToKeysym(display, KeyCode(keycode), 0, 0));
}

void synchroniseKeys(ThreadState& state, const char keys[32]) {
    state.keysDown.fill(false);
    for (unsigned keycode = 8; keycode < 256; ++keycode) {
        if (!(static_cast<unsigned char>(keys[keycode / 8]) & (1u << (keycode % 8))))
            continue;
        if (std::uint32_t key = virtualKeyOf(state.display, keycode))
            state.keysDown[key] = true;
    }
}

} // namespace orvane::native
