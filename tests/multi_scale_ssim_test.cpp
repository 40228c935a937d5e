#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "image/MultiScaleSsim.h"
#include "support/MetricTestPictures.h"

namespace tamr {
namespace {

using test::Disturbed;
using test::TestPicture;
using test::Textured;

// One channel in double, rows from the top of the picture.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<double> samples;
    double At(int x, int y) const { return samples[static_cast<std::size_t>(y * width + x)]; }
};

Plane ChannelOf(const TestPicture& picture, int channel)
{
    Plane plane{picture.width, picture.height, {}};
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            plane.samples.push_back(picture.At(x, picture.height - 1 - y, channel)); // stored bottom-up
    return plane;
}

Plane Halved(const Plane& plane)
{
    Plane half{plane.width / 2, plane.height / 2, {}};
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            half.samples.push_back((plane.At(2 * x, 2 * y) + plane.At(2 * x + 1, 2 * y) + plane.At(2 * x, 2 * y + 1) +
                                    plane.At(2 * x + 1, 2 * y + 1)) /
                                   4);
    return half;
}

// The mean over every 11 x 11 window of contrast-structure (or of SSIM), each
// window's statistics summed directly.
double DirectMean(const Plane& a, const Plane& b, bool full)
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
    double sum = 0;
    for (int y = 0; y + 11 <= a.height; ++y)
        for (int x = 0; x + 11 <= a.width; ++x) {
            double mx = 0, my = 0;
            for (int i = 0; i < 11; ++i)
                for (int j = 0; j < 11; ++j) {
                    mx += weights[i][j] / total * a.At(x + j, y + i);
                    my += weights[i][j] / total * b.At(x + j, y + i);
                }
            double vx = 0, vy = 0, cov = 0;
            for (int i = 0; i < 11; ++i)
                for (int j = 0; j < 11; ++j) {
                    const double dx = a.At(x + j, y + i) - mx;
                    const double dy = b.At(x + j, y + i) - my;
                    vx += weights[i][j] / total * dx * dx;
                    vy += weights[i][j] / total * dy * dy;
                    cov += weights[i][j] / total * dx * dy;
                }
            const double cs = (2 * cov + c2) / (vx + vy + c2);
            sum += full ? cs * (2 * mx * my + c1) / (mx * mx + my * my + c1) : cs;
        }
    return sum / ((a.height - 10) * (a.width - 10));
}

double DirectMultiScaleSsim(const TestPicture& original, const TestPicture& decoded)
{
    const std::array<double, 5> exponents = {0.0448, 0.2856, 0.3001, 0.2363, 0.1333};
    double channels = 0;
    for (int c = 0; c < original.bytesPerPixel; ++c) {
        Plane a = ChannelOf(original, c);
        Plane b = ChannelOf(decoded, c);
        double product = 1;
        for (int scale = 0; scale < 5; ++scale) {
            if (scale > 0) {
                a = Halved(a);
                b = Halved(b);
            }
            product *=
                std::pow(std::max(0.0, DirectMean(a, b, scale == 4)), exponents[static_cast<std::size_t>(scale)]);
        }
        channels += product;
    }
    return channels / original.bytesPerPixel;
}

TEST(MultiScaleSsimTest, APictureMatchesItselfAndTheOrderOfThePairDoesNotMatter)
{
    const TestPicture original = Textured(180, 177, 3, 11);
    const TestPicture decoded = Disturbed(original, 30, 12);
    EXPECT_EQ(MultiScaleStructuralSimilarity(original.View(), original.View(), 3, 1), 1.0);
    const auto forward = MultiScaleStructuralSimilarity(original.View(), decoded.View(), 3, 1);
    ASSERT_TRUE(forward.has_value());
    EXPECT_LT(*forward, 0.99);
    EXPECT_EQ(MultiScaleStructuralSimilarity(decoded.View(), original.View(), 3, 1), forward);
}

TEST(MultiScaleSsimTest, EqualsTheDirectSumsAtEveryScaleWhateverTheThreads)
{
    // Odd sides: the halvings drop a last row or column on the way down.
    for (const int bpp : {1, 3}) {
        const TestPicture original = Textured(185, 179, bpp, 13);
        const TestPicture decoded = Disturbed(original, 25, 14);
        const auto measured = MultiScaleStructuralSimilarity(original.View(), decoded.View(), bpp, 1);
        ASSERT_TRUE(measured.has_value());
        EXPECT_NEAR(*measured, DirectMultiScaleSsim(original, decoded), 1e-12);
        EXPECT_EQ(MultiScaleStructuralSimilarity(original.View(), decoded.View(), bpp, 2), measured);
        EXPECT_EQ(MultiScaleStructuralSimilarity(original.View(), decoded.View(), bpp, 3), measured);
    }
}

TEST(MultiScaleSsimTest, NoneWhenTheFifthScaleIsSmallerThanTheWindow)
{
    const TestPicture justLarge = Textured(176, 176, 1, 15);
    EXPECT_TRUE(MultiScaleStructuralSimilarity(justLarge.View(), Disturbed(justLarge, 5, 16).View(), 1, 1));
    const TestPicture narrow = Textured(175, 300, 1, 17);
    EXPECT_FALSE(MultiScaleStructuralSimilarity(narrow.View(), Disturbed(narrow, 5, 18).View(), 1, 1));
}

} // namespace
} // namespace tamr
