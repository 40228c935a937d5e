// The limits the readers apply before they allocate, and the checked sizes they allocate by.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "platform/CheckedSize.h"
#include "platform/Limits.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

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

TEST(LimitsTest, TheDecodeLimitRefusesPicturesOfMoreBytesThanItAllows)
{
    // 4 × 3 colour pixels decode to 36 bytes.
    test::BmpLayout layout;
    layout.width = 4;
    layout.height = 3;
    layout.rows = test::RandomRows(4, 3, 3, 7);
    const auto file = test::BuildBmp(layout);
    ScriptedPrompter prompter;
    CDibImage image;
    const Status refused = image.ReadBmp(file, prompter, DisplaySettings{}, Limits{.maxDecodedBytes = 35});
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.Failure(), FailureKind::TooLarge);
    EXPECT_TRUE(refused.IsOverDecodeLimit());
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(image.ReadBmp(file, prompter, DisplaySettings{}, Limits{.maxDecodedBytes = 36}));

    // A COD header of the same picture is refused before its data is looked at.
    const CodecSettings settings;
    const auto cod = WaveletCodec(settings, 4, 3, 24, true).WriteHeader();
    EXPECT_TRUE(WaveletCodec(settings).ReadHeader(cod, Limits{.maxDecodedBytes = 35}).IsOverDecodeLimit());
    EXPECT_TRUE(WaveletCodec(settings).ReadHeader(cod, Limits{.maxDecodedBytes = 36}));
}

TEST(LimitsTest, ASweepRunsFewerPointsAtOnceRatherThanTakeMoreMemory)
{
    const Limits limits{.sweepMemoryBytes = 1000};
    EXPECT_EQ(limits.PointsInFlight(8, 100), 8);
    EXPECT_EQ(limits.PointsInFlight(8, 300), 3);
    EXPECT_EQ(limits.PointsInFlight(8, 5000), 1); // one point always runs
    EXPECT_EQ(limits.PointsInFlight(2, 0), 2);
}

} // namespace
} // namespace tamr
