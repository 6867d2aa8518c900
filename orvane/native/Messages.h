#pragma once

#include <cstdint>

// Message codes, flags and key codes of the native window layer. They keep the names and
// values the engine's window code was written against, so that a window procedure reads
// the same here as it would anywhere else; the native layer produces them from X events.
namespace orvane::native {

// Window messages.
inline constexpr std::uint32_t WM_NULL = 0x0000;
inline constexpr std::uint32_t WM_CREATE = 0x0001;
inline constexpr std::uint32_t WM_DESTROY = 0x0002;
inline constexpr std::uint32_t WM_MOVE = 0x0003;
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUIT = 0x0012;
inline constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr std::uint32_t WM_GETMINMAXINFO = 0x0024;
inline constexpr std::uint32_t WM_KEYDOWN = 0x0100;
inline constexpr std::uint32_t WM_KEYUP = 0x0101;
inline constexpr std::uint32_t WM_CHAR = 0x0102;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr std::uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr std::uint32_t WM_MOUSELEAVE = 0x02A3;
inline constexpr std::uint32_t WM_QUERYNEWPALETTE = 0x030F;
inline constexpr std::uint32_t WM_PALETTECHANGED = 0x0311;
inline constexpr std::uint32_t WM_USER = 0x0400;

// WM_ACTIVATE, low word of wParam.
inline constexpr std::uint32_t WA_INACTIVE = 0;
inline constexpr std::uint32_t WA_ACTIVE = 1;
inline constexpr std::uint32_t WA_CLICKACTIVE = 2;

// WM_SIZE, wParam.
inline constexpr std::uint32_t SIZE_RESTORED = 0;

// Key-state word of mouse messages (wParam; low word of wParam for WM_MOUSEWHEEL).
inline constexpr std::uint32_t MK_LBUTTON = 0x0001;
inline constexpr std::uint32_t MK_RBUTTON = 0x0002;
inline constexpr std::uint32_t MK_SHIFT = 0x0004;
inline constexpr std::uint32_t MK_CONTROL = 0x0008;
inline constexpr std::uint32_t MK_MBUTTON = 0x0010;

// One notch of the mouse wheel; positive away from the user, negative toward the user.
inline constexpr int WHEEL_DELTA = 120;

// lParam of key messages: bit 30 is set when the key was already down (auto-repeat).
inline constexpr std::intptr_t KEY_PREVIOUSLY_DOWN = std::intptr_t(1) << 30;
inline constexpr std::intptr_t KEY_TRANSITION_UP = std::intptr_t(1) << 31;

// Window styles. WS_CHILD and WS_VISIBLE decide what is created; the frame styles are
// kept for the caller's bookkeeping (the window manager draws the frame here).
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_THICKFRAME = 0x00040000;
inline constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000;
inline constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200;

// Class styles (recorded; every window here keeps its own drawing context).
inline constexpr std::uint32_t CS_VREDRAW = 0x0001;
inline constexpr std::uint32_t CS_HREDRAW = 0x0002;
inline constexpr std::uint32_t CS_OWNDC = 0x0020;

// setWindowPosition flags.
inline constexpr std::uint32_t SWP_NOSIZE = 0x0001;
inline constexpr std::uint32_t SWP_NOMOVE = 0x0002;
inline constexpr std::uint32_t SWP_NOZORDER = 0x0004;
inline constexpr std::uint32_t SWP_NOCOPYBITS = 0x0100;

// Virtual key codes (wParam of WM_KEYDOWN and WM_KEYUP). Letters and digits are their
// upper-case ASCII codes.
inline constexpr std::uint32_t VK_BACK = 0x08;
inline constexpr std::uint32_t VK_TAB = 0x09;
inline constexpr std::uint32_t VK_RETURN = 0x0D;
inline constexpr std::uint32_t VK_SHIFT = 0x10;
inline constexpr std::uint32_t VK_CONTROL = 0x11;
inline constexpr std::uint32_t VK_MENU = 0x12;
inline constexpr std::uint32_t VK_PAUSE = 0x13;
inline constexpr std::uint32_t VK_CAPITAL = 0x14;
inline constexpr std::uint32_t VK_ESCAPE = 0x1B;
inline constexpr std::uint32_t VK_SPACE = 0x20;
inline constexpr std::uint32_t VK_PRIOR = 0x21;
inline constexpr std::uint32_t VK_NEXT = 0x22;
inline constexpr std::uint32_t VK_END = 0x23;
inline constexpr std::uint32_t VK_HOME = 0x24;
inline constexpr std::uint32_t VK_LEFT = 0x25;
inline constexpr std::uint32_t VK_UP = 0x26;
inline constexpr std::uint32_t VK_RIGHT = 0x27;
inline constexpr std::uint32_t VK_DOWN = 0x28;
inline constexpr std::uint32_t VK_INSERT = 0x2D;
inline constexpr std::uint32_t VK_DELETE = 0x2E;
inline constexpr std::uint32_t VK_LWIN = 0x5B;
inline constexpr std::uint32_t VK_RWIN = 0x5C;
inline constexpr std::uint32_t VK_APPS = 0x5D;
inline constexpr std::uint32_t VK_NUMPAD0 = 0x60;
inline constexpr std::uint32_t VK_MULTIPLY = 0x6A;
inline constexpr std::uint32_t VK_ADD = 0x6B;
inline constexpr std::uint32_t VK_SUBTRACT = 0x6D;
inline constexpr std::uint32_t VK_DECIMAL = 0x6E;
inline constexpr std::uint32_t VK_DIVIDE = 0x6F;
inline constexpr std::uint32_t VK_F1 = 0x70;
inline constexpr std::uint32_t VK_F12 = 0x7B;
inline constexpr std::uint32_t VK_NUMLOCK = 0x90;
inline constexpr std::uint32_t VK_SCROLL = 0x91;
inline constexpr std::uint32_t VK_LSHIFT = 0xA0;
inline constexpr std::uint32_t VK_RSHIFT = 0xA1;
inline constexpr std::uint32_t VK_LCONTROL = 0xA2;
inline constexpr std::uint32_t VK_RCONTROL = 0xA3;
inline constexpr std::uint32_t VK_LMENU = 0xA4;
inline constexpr std::uint32_t VK_RMENU = 0xA5;
inline constexpr std::uint32_t VK_OEM_1 = 0xBA;      // ;
inline constexpr std::uint32_t VK_OEM_PLUS = 0xBB;   // =
inline constexpr std::uint32_t VK_OEM_COMMA = 0xBC;  // ,
inline constexpr std::uint32_t VK_OEM_MINUS = 0xBD;  // -
inline constexpr std::uint32_t VK_OEM_PERIOD = 0xBE; // .
inline constexpr std::uint32_t VK_OEM_2 = 0xBF;      // /
inline constexpr std::uint32_t VK_OEM_3 = 0xC0;      // `
inline constexpr std::uint32_t VK_OEM_4 = 0xDB;      // [
inline constexpr std::uint32_t VK_OEM_5 = 0xDC;      // backslash
inline constexpr std::uint32_t VK_OEM_6 = 0xDD;      // ]
inline constexpr std::uint32_t VK_OEM_7 = 0xDE;      // '

// Packing of two 16-bit values into a message parameter, and their signed extraction
// (positions left of or above a window are negative).
constexpr std::intptr_t makeLParam(int low, int high) noexcept {
    return std::intptr_t((std::uint32_t(std::uint16_t(low))) |
                         (std::uint32_t(std::uint16_t(high)) << 16));
}
constexpr std::uintptr_t makeWParam(int low, int high) noexcept {
    return std::uintptr_t(std::uint32_t(makeLParam(low, high)));
}
constexpr int lowWord(std::uintptr_t value) noexcept {
    return std::uint16_t(value);
}
constexpr int highWord(std::uintptr_t value) noexcept {
    return std::uint16_t(value >> 16);
}
constexpr int signedLowWord(std::uintptr_t value) noexcept {
    return std::int16_t(value);
}
constexpr int signedHighWord(std::uintptr_t value) noexcept {
    return std::int16_t(value >> 16);
}

} // namespace orvane::native
