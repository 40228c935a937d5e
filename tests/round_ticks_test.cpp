// Round axis ticks: a step of 1, 2 or 5 times a power of ten, the ends on ticks.

#include <gtest/gtest.h>

#include "document/RoundTicks.h"

namespace tamr {
namespace {

TEST(RoundTicks, StepsAreOneTwoOrFiveTimesAPowerOfTen)
{
    const RoundAxis psnr = RoundTicks(14.0, 30.5);
    EXPECT_EQ(psnr.step, 5);
    EXPECT_EQ(psnr.low, 10);
    EXPECT_EQ(psnr.high, 35);
    EXPECT_EQ(psnr.decimals, 0);

    const RoundAxis ssim = RoundTicks(0.413, 0.987);
    EXPECT_DOUBLE_EQ(ssim.step, 0.2);
    EXPECT_DOUBLE_EQ(ssim.low, 0.4);
    EXPECT_DOUBLE_EQ(ssim.high, 1.0);
    EXPECT_EQ(ssim.decimals, 1);

    const RoundAxis bpp = RoundTicks(0, 3.7);
    EXPECT_DOUBLE_EQ(bpp.step, 1);
    EXPECT_EQ(bpp.low, 0);
    EXPECT_EQ(bpp.high, 4);

    // One value: widened around it, still on ticks.
    const RoundAxis one = RoundTicks(20, 20);
    EXPECT_LT(one.low, 20);
    EXPECT_GT(one.high, 20);
}

} // namespace
} // namespace tamr
