#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "image/DifferenceMaps.h"
#include "image/MultiScaleSsim.h"
#include "image/PictureMetrics.h"
#include "support/MetricTestPictures.h"

namespace tamr {
namespace {

using test::Disturbed;
using test::TestPicture;
using test::Textured;

// SSIM the plain way: every window position, the weighted statistics summed
// directly over the 11 x 11 window in double.
double DirectSsim(const TestPicture& a, const TestPicture& b)
{
    double weights[11][11];
    double total = 0;
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < 11; ++j) {
            weights[i][j] = std::exp(-((i - 5) * (i - 5) + (j - 5) * (j - 5)) / (2 * 1.5 * 1.5));
            total += weights[i][j];
        }
    const double c1 = (0.01 * 255) * (0.01 * 255);
    const double c2 = (0.03 * 255) * (0.03 * 255);
    double channelSum = 0;
    for (int c = 0; c < a.bytesPerPixel; ++c) {
        double sum = 0;
        for (int y = 0; y + 11 <= a.height; ++y)
            for (int x = 0; x + 11 <= a.width; ++x) {
                double mx = 0, my = 0;
                for (int i = 0; i < 11; ++i)
                    for (int j = 0; j < 11; ++j) {
                        mx += weights[i][j] / total * a.At(x + j, y + i, c);
                        my += weights[i][j] / total * b.At(x + j, y + i, c);
                    }
                double vx = 0, vy = 0, cov = 0;
                for (int i = 0; i < 11; ++i)
                    for (int j = 0; j < 11; ++j) {
                        const double dx = a.At(x + j, y + i, c) - mx;
                        const double dy = b.At(x + j, y + i, c) - my;
                        vx += weights[i][j] / total * dx * dx;
                        vy += weights[i][j] / total * dy * dy;
                        cov += weights[i][j] / total * dx * dy;
                    }
                sum += ((2 * mx * my + c1) * (2 * cov + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2));
            }
        channelSum += sum / ((a.height - 10) * (a.width - 10));
    }
    return channelSum / a.bytesPerPixel;
}

TEST(PictureMetricsTest, APictureMatchesItselfPerfectly)
{
    for (const int bpp : {1, 3}) {
        const TestPicture picture = Textured(37, 29, bpp, 1);
        const PictureMetrics metrics = MeasurePictures(picture.View(), picture.View(), bpp);
        ASSERT_TRUE(metrics.ssim.has_value());
        EXPECT_EQ(*metrics.ssim, 1.0);
        EXPECT_EQ(metrics.psnr, std::numeric_limits<double>::infinity());
        EXPECT_EQ(metrics.psnrY, std::numeric_limits<double>::infinity());
        EXPECT_EQ(metrics.meanSquaredError, 0.0);
        EXPECT_EQ(metrics.largestDifference, 0);
    }
}

TEST(PictureMetricsTest, SsimEqualsTheDirectSumOverEveryWindowWhateverTheThreads)
{
    for (const int bpp : {1, 3}) {
        const TestPicture original = Textured(45, 31, bpp, 2);
        const TestPicture decoded = Disturbed(original, 20, 3);
        const auto ssim = StructuralSimilarity(original.View(), decoded.View(), bpp, 1);
        ASSERT_TRUE(ssim.has_value());
        EXPECT_NEAR(*ssim, DirectSsim(original, decoded), 1e-12);
        EXPECT_LT(*ssim, 0.95);
        EXPECT_EQ(StructuralSimilarity(original.View(), decoded.View(), bpp, 4), ssim);
        EXPECT_EQ(MeasurePictures(original.View(), decoded.View(), bpp).ssim, ssim);
    }
}

// With the multi-scale figure chosen, SSIM comes from its first scale, with
// every bit of the SSIM measured on its own.
TEST(PictureMetricsTest, SsimFromTheMultiScalePassIsTheSsimMeasuredAlone)
{
    for (const int bpp : {1, 3}) {
        const TestPicture original = Textured(203, 181, bpp, 4);
        const TestPicture decoded = Disturbed(original, 9, 5);
        const PictureMetrics metrics = MeasurePictures(original.View(), decoded.View(), bpp, 2);
        ASSERT_TRUE(metrics.msSsim.has_value());
        EXPECT_EQ(metrics.ssim, StructuralSimilarity(original.View(), decoded.View(), bpp, 1));
        EXPECT_EQ(metrics.msSsim, MultiScaleStructuralSimilarity(original.View(), decoded.View(), bpp, 1));
    }
}

// The SSIM heat map holds 1 - SSIM of the window centred on each pixel: over
// the pixels that centre a whole window it averages to 1 - SSIM.
TEST(PictureMetricsTest, SsimMapAveragesToTheSsim)
{
    for (const int bpp : {1, 3}) {
        const TestPicture original = Textured(203, 97, bpp, 6);
        const TestPicture decoded = Disturbed(original, 12, 7);
        const auto map = ComputeDifferenceMap(MapKind::Ssim, original.View(), decoded.View(), bpp, 2);
        ASSERT_TRUE(map.has_value());
        double sum = 0;
        for (int y = 5; y < original.height - 5; ++y)
            for (int x = 5; x < original.width - 5; ++x)
                sum += map->values[static_cast<std::size_t>(y) * static_cast<std::size_t>(map->width) +
                                   static_cast<std::size_t>(x)];
        const double mean = sum / ((original.width - 10) * (original.height - 10));
        EXPECT_NEAR(mean, 1.0 - *StructuralSimilarity(original.View(), decoded.View(), bpp, 1), 1e-6);
    }
}

TEST(PictureMetricsTest, ErrorFiguresAndLumaPsnr)
{
    // Red up by 3 everywhere: Y moves by 0.299 * 3, each of the three channels' MSE averages to 3.
    TestPicture original = Textured(20, 12, 3, 4);
    TestPicture decoded = original;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            original.At(x, y, 2) = static_cast<std::uint8_t>(original.At(x, y, 2) % 250);
            decoded.At(x, y, 2) = static_cast<std::uint8_t>(original.At(x, y, 2) + 3);
        }
    PictureMetrics metrics = MeasurePictures(original.View(), decoded.View(), 3);
    EXPECT_EQ(metrics.largestDifference, 3);
    EXPECT_NEAR(metrics.meanSquaredError, 3.0, 1e-12);
    // Two channels unchanged: the PSNR is red's, the changed channel's; the pooled PSNR spreads red's 9 over three.
    EXPECT_NEAR(metrics.psnr, 20 * std::log10(255.0 / 3), 1e-9);
    EXPECT_NEAR(metrics.psnrRgb, 10 * std::log10(255.0 * 255.0 / 3), 1e-9);
    EXPECT_NEAR(metrics.psnrY, 10 * std::log10(255.0 * 255.0 / (0.897 * 0.897)), 1e-9);

    // Gray: Y is the gray level.
    const TestPicture gray = Textured(16, 9, 1, 5);
    TestPicture shifted = gray;
    for (auto& b : shifted.bytes)
        b = static_cast<std::uint8_t>(b ^ 4);
    for (int y = 0; y < 9; ++y)
        for (int p = 0; p < gray.Pad(); ++p)
            shifted.bytes[static_cast<std::size_t>(y * gray.RowBytes() + 16 + p)] = 0;
    metrics = MeasurePictures(gray.View(), shifted.View(), 1);
    EXPECT_EQ(metrics.largestDifference, 4);
    EXPECT_NEAR(metrics.meanSquaredError, 16.0, 1e-12);
    EXPECT_NEAR(metrics.psnr, 20 * std::log10(255.0 / 4), 1e-9);
    EXPECT_NEAR(metrics.psnrY, 20 * std::log10(255.0 / 4), 1e-9);
}

TEST(PictureMetricsTest, SmallOrMismatchedPicturesHaveNoSsim)
{
    const TestPicture narrow = Textured(10, 40, 3, 6);
    const PictureMetrics metrics = MeasurePictures(narrow.View(), Disturbed(narrow, 3, 7).View(), 3);
    EXPECT_FALSE(metrics.ssim.has_value());
    EXPECT_GT(metrics.meanSquaredError, 0.0);
    const TestPicture smallest = Textured(11, 11, 1, 8);
    EXPECT_TRUE(MeasurePictures(smallest.View(), Disturbed(smallest, 3, 9).View(), 1).ssim.has_value());

    const TestPicture other = Textured(40, 10, 3, 6);
    const PictureMetrics mismatched = MeasurePictures(narrow.View(), other.View(), 3);
    EXPECT_FALSE(mismatched.ssim.has_value());
    EXPECT_EQ(mismatched.meanSquaredError, 0.0);
    ConstPixelView truncated = narrow.View();
    truncated.bytes = truncated.bytes.first(truncated.bytes.size() - 1);
    EXPECT_FALSE(MeasurePictures(truncated, truncated, 3).ssim.has_value());
}

} // namespace
} // namespace tamr
