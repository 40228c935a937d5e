// The limits the readers apply before they allocate, and the checked sizes they allocate by.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/CheckedSize.h"
#include "platform/Limits.h"

namespace tamr {
namespace {

TEST(LimitsTest, PicturesBeyondTheAllowanceMustBeBackedByTheirBytes)
{
    const Limits limits;
    const std::uint64_t allowance = limits.unbackedPixels;
    // Up to the allowance, whatever the file holds.
    EXPECT_TRUE(limits.Justifies(allowance, 0, 1000000));
    EXPECT_TRUE(limits.Justifies(1, 0, 3));
    // Beyond it, the bytes must be there, to the last one.
    EXPECT_FALSE(limits.Justifies(allowance + 1, 0, 1));
    EXPECT_FALSE(limits.Justifies(allowance + 1, 999, 1000));
    EXPECT_TRUE(limits.Justifies(allowance + 1, 1000, 1000));
    EXPECT_TRUE(limits.Justifies(std::uint64_t{1} << 40, std::uint64_t{1} << 41, std::uint64_t{1} << 40));
    // GIF's own allowance is smaller.
    EXPECT_FALSE(FileJustifies(limits.unbackedGifPixels + 1, 0, 1, limits.unbackedGifPixels));
}

TEST(LimitsTest, CheckedSizesRefuseOverflowAndWhatExceedsTheLimit)
{
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    EXPECT_EQ((CheckedSize(65535) * 65535 * 3 + 44).Within(kMax), std::size_t{65535} * 65535 * 3 + 44);
    EXPECT_EQ((CheckedSize(10) * 10).Within(100), 100u);
    EXPECT_FALSE((CheckedSize(10) * 10 + 1).Within(100));
    // Wrapped products and sums never come back small.
    EXPECT_FALSE((CheckedSize(std::uint64_t{1} << 32) * (std::uint64_t{1} << 32)).Within(kMax));
    EXPECT_FALSE((CheckedSize(std::uint64_t{1} << 32) * (std::uint64_t{1} << 32) * 0 + 1).Within(kMax));
    EXPECT_FALSE((CheckedSize(kMax) + 1).Within(kMax));
    EXPECT_TRUE(CheckedSize(kMax).Exceeds(kMax - 1));
}

} // namespace
} // namespace tamr
