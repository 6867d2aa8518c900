#pragma once

#include "orvane/object/Object.h"

#include <compare>
#include <cstdint>

namespace orvane::system {

// A point in time as 100-nanosecond intervals since 1601-01-01 00:00 UTC (the unit file
// times are kept in), built from its low and high 32-bit halves.
class Timestamp : public object::Object {
public:
    Timestamp() noexcept = default;
    Timestamp(std::uint32_t low, std::uint32_t high) noexcept
        : value((std::uint64_t(high) << 32) | low) {}

    // The interval count of a POSIX time (seconds and nanoseconds since 1970-01-01 UTC).
    static Timestamp fromUnix(std::int64_t seconds, std::uint32_t nanoseconds) noexcept;

    std::uint64_t getValue() const noexcept { return value; }
    std::uint32_t getLow() const noexcept { return static_cast<std::uint32_t>(value); }
    std::uint32_t getHigh() const noexcept { return static_cast<std::uint32_t>(value >> 32); }

    friend bool operator==(const Timestamp& a, const Timestamp& b) noexcept {
        return a.value == b.value;
    }
    friend auto operator<=>(const Timestamp& a, const Timestamp& b) noexcept {
        return a.value <=> b.value;
    }

    types::String getClassName() const override;

private:
    alignas(8) std::uint64_t value = 0;
};

} // namespace orvane::system
