#pragma once

#include <cstdint>

namespace orvane::gui {

// Flags handed to mouse events: for each button its "down" or its "up" flag, plus the
// modifier flags. A button message carries only the flag of the button that changed.
inline constexpr std::uint32_t LEFT_DOWN = 0x1000;
inline constexpr std::uint32_t MIDDLE_DOWN = 0x2000;
inline constexpr std::uint32_t RIGHT_DOWN = 0x4000;
inline constexpr std::uint32_t LEFT_UP = 0x10000;
inline constexpr std::uint32_t MIDDLE_UP = 0x20000;
inline constexpr std::uint32_t RIGHT_UP = 0x40000;
inline constexpr std::uint32_t CONTROL_HELD = 0xC;
inline constexpr std::uint32_t SHIFT_HELD = 0x3;

// Modifier flags handed to character events.
inline constexpr std::uint32_t LEFT_SHIFT = 0x01;
inline constexpr std::uint32_t RIGHT_SHIFT = 0x02;
inline constexpr std::uint32_t LEFT_CONTROL = 0x04;
inline constexpr std::uint32_t RIGHT_CONTROL = 0x08;
inline constexpr std::uint32_t LEFT_ALT = 0x10;
inline constexpr std::uint32_t RIGHT_ALT = 0x20;
inline constexpr std::uint32_t LEFT_SYSTEM = 0x40;
inline constexpr std::uint32_t RIGHT_SYSTEM = 0x80;
inline constexpr std::uint32_t APPLICATION_KEY = 0xC0;

// Mouse-event flags from the key-state word of a native mouse message.
std::uint32_t mouseFlags(std::uintptr_t keyState) noexcept;
// The flag of the button a native button message reports (0 for other messages).
std::uint32_t buttonFlag(std::uint32_t message) noexcept;
// Character-event modifiers from the calling thread's current key states.
std::uint32_t keyModifiers() noexcept;

} // namespace orvane::gui
