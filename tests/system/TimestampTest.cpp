#include "orvane/system/Timestamp.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orvane::system {
namespace {

TEST(SystemTimestamp, HalvesAndUnixTime) {
    const Timestamp fromHalves(0x89abcdefu, 0x01234567u);
    EXPECT_EQ(fromHalves.getValue(), 0x0123456789abcdefull);
    EXPECT_EQ(fromHalves.getLow(), 0x89abcdefu);
    EXPECT_EQ(fromHalves.getHigh(), 0x01234567u);

    // 1970-01-01 is 11644473600 seconds after 1601-01-01.
    EXPECT_EQ(Timestamp::fromUnix(0, 0).getValue(), 116444736000000000ull);
    EXPECT_EQ(Timestamp::fromUnix(1, 250).getValue(), 116444736000000000ull + 10000002);
    EXPECT_EQ(Timestamp::fromUnix(-11644473600, 0).getValue(), 0u);
    EXPECT_LT(Timestamp::fromUnix(5, 0), Timestamp::fromUnix(5, 100));
    // Out of range: clamped, not wrapped (nor overflowing on the way).
    EXPECT_EQ(Timestamp::fromUnix(-11644473601, 999999999).getValue(), 0u);
    EXPECT_EQ(Timestamp::fromUnix(INT64_MIN, 0).getValue(), 0u);
    EXPECT_EQ(Timestamp::fromUnix(INT64_MAX, 0).getValue(), ~0ull);
    EXPECT_EQ(Timestamp::fromUnix(1844674407370 - 11644473600, 0).getValue(),
              1844674407370ull * 10000000);
    EXPECT_EQ(Timestamp::fromUnix(1844674407371 - 11644473600, 0).getValue(), ~0ull);
}

} // namespace
} // namespace orvane::system
