#include "orvane/system/Timestamp.h"

namespace orvane::system {

namespace {
// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t unixEpochOffset = 116444736000000000ull;
} // namespace

Timestamp Timestamp::fromUnix(std::int64_t seconds, std::uint32_t nanoseconds) noexcept {
    const std::uint64_t value = unixEpochOffset + std::uint64_t(seconds * 10000000) +
                                nanoseconds / 100;
    return Timestamp(static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32));
}

types::String Timestamp::getClassName() const {
    return object::classPath(Object::getClassName(), ":Timestamp");
}

} // namespace orvane::system
