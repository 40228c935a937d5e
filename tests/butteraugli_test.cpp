#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image/Butteraugli.h"
#include "image/PictureMetrics.h"
#include "support/MetricTestPictures.h"

namespace tamr {
namespace {

using test::Disturbed;
using test::TestPicture;
using test::Textured;

TEST(ButteraugliTest, IdenticalPicturesAreAtNoDistanceAndNoiseMovesThemApart)
{
    if (!ButteraugliAvailable())
        GTEST_SKIP() << "Butteraugli is " << kButteraugliUnavailable;
    const TestPicture original = Textured(64, 48, 3, 21);
    const auto same = MeasureButteraugli(original.View(), original.View(), 3, true);
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(same->distance, 0.0);
    EXPECT_EQ(same->maxDistance, 0.0);
    ASSERT_EQ(same->map.size(), 64u * 48u);

    const auto slight = MeasureButteraugli(original.View(), Disturbed(original, 3, 22).View(), 3, false);
    const auto strong = MeasureButteraugli(original.View(), Disturbed(original, 30, 22).View(), 3, false);
    ASSERT_TRUE(slight && strong);
    EXPECT_GT(slight->distance, 0.0);
    EXPECT_GT(strong->distance, slight->distance);
    EXPECT_GE(strong->maxDistance, strong->distance);

    // Only on request from the common measure.
    const TestPicture gray = Textured(40, 40, 1, 23);
    const TestPicture noisy = Disturbed(gray, 20, 24);
    EXPECT_FALSE(MeasurePictures(gray.View(), noisy.View(), 1).butteraugli.has_value());
    const auto chosen = MeasurePictures(gray.View(), noisy.View(), 1, 1, MetricChoice{false, false, true});
    ASSERT_TRUE(chosen.butteraugli.has_value());
    EXPECT_GT(*chosen.butteraugli, 0.0);
}

TEST(ButteraugliTest, PicturesPastTheMemoryBoundAreNotMeasured)
{
    EXPECT_TRUE(ButteraugliSizeAllowed(4096, 2048));
    EXPECT_FALSE(ButteraugliSizeAllowed(4097, 2048));
    // Refused before the library is asked for any memory.
    const std::vector<std::uint8_t> gray(std::size_t{4100} * 2048);
    const ConstPixelView view{gray, 4097, 2048, 3};
    EXPECT_FALSE(MeasureButteraugli(view, view, 1, false).has_value());
    EXPECT_FALSE(MeasurePictures(view, view, 1, 1, MetricChoice{false, false, true}).butteraugli.has_value());
}

} // namespace
} // namespace tamr
