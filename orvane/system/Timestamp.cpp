#include "orvane/system/Timestamp.h"

namespace orvane::system {

namespace {
// Seconds between 1601-01-01 and 1970-01-01, and the interval count of one second.
constexpr std::int64_t unixEpochSeconds = 11644473600;
constexpr std::uint64_t intervalsPerSecond = 10000000;
constexpr std::uint64_t latest = ~std::uint64_t(0);
} // namespace

// Times before 1601 answer the earliest timestamp and times past its range (some 58,000
// years on) the latest, rather than wrapping round into unrelated dates.
Timestamp Timestamp::fromUnix(std::int64_t seconds, std::uint32_t nanoseconds) noexcept {
    if (seconds < -unixEpochSeconds)
        return Timestamp();
    const std::uint64_t since1601 = std::uint64_t(seconds) + std::uint64_t(unixEpochSeconds);
    if (since1601 > (latest - nanoseconds / 100) / intervalsPerSecond)
        return Timestamp(std::uint32_t(latest), std::uint32_t(latest >> 32));
    const std::uint64_t value = since1601 * intervalsPerSecond + nanoseconds / 100;
    return Timestamp(static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32));
}

types::String Timestamp::getClassName() const {
    return object::classPath(Object::getClassName(), ":Timestamp");
}

} // namespace orvane::system
