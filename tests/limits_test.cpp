// The limits the readers apply before they allocate.

#include <gtest/gtest.h>

#include "image/ReaderLimits.h"

namespace tamr {
namespace {

TEST(ReaderLimitsTest, PicturesBeyondTheAllowanceMustBeBackedByTheirBytes)
{
    // Up to the allowance, whatever the file holds.
    EXPECT_TRUE(PictureJustified(kUnbackedPixelAllowance, 0, 1000000));
    EXPECT_TRUE(PictureJustified(1, 0, 3));
    // Beyond it, the bytes must be there, to the last one.
    EXPECT_FALSE(PictureJustified(kUnbackedPixelAllowance + 1, 0, 1));
    EXPECT_FALSE(PictureJustified(kUnbackedPixelAllowance + 1, 999, 1000));
    EXPECT_TRUE(PictureJustified(kUnbackedPixelAllowance + 1, 1000, 1000));
    EXPECT_TRUE(PictureJustified(std::uint64_t{1} << 40, std::uint64_t{1} << 41, std::uint64_t{1} << 40));
}

} // namespace
} // namespace tamr
