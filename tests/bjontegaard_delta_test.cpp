// Bjøntegaard deltas: the published vectors of the three fits, and the
// cases whose answer is known exactly.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "evaluate/BjontegaardDelta.h"

namespace tamr {
namespace {

// Rates in kbit/s as published with the vectors; only their ratios count.
const std::vector<RatePoint> kAnchor{{9487.76, 40.037}, {4593.60, 38.615}, {2486.44, 36.845}, {1358.24, 34.851}};
const std::vector<RatePoint> kTest{{9787.80, 40.121}, {4469.00, 38.651}, {2451.52, 36.970}, {1356.24, 34.987}};

TEST(BjontegaardDelta, ReproducesThePublishedVectorsOfEachFit)
{
    EXPECT_NEAR(BdRate(kAnchor, kTest, CurveFit::Akima).value, -4.425245, 1e-5);
    EXPECT_NEAR(BdRate(kAnchor, kTest, CurveFit::Pchip).value, -4.417485, 1e-5);
    EXPECT_NEAR(BdRate(kAnchor, kTest, CurveFit::Cubic).value, -4.420463, 1e-5);
}

TEST(BjontegaardDelta, TheOrderOfThePointsDoesNotCount)
{
    std::vector<RatePoint> anchor = kAnchor;
    std::vector<RatePoint> test = kTest;
    std::swap(anchor[0], anchor[2]);
    std::reverse(test.begin(), test.end());
    for (const CurveFit fit : {CurveFit::Akima, CurveFit::Pchip, CurveFit::Cubic})
        EXPECT_DOUBLE_EQ(BdRate(anchor, test, fit).value, BdRate(kAnchor, kTest, fit).value) << CurveFitName(fit);
}

TEST(BjontegaardDelta, ACurveAgainstItselfIsZero)
{
    for (const CurveFit fit : {CurveFit::Akima, CurveFit::Pchip, CurveFit::Cubic}) {
        EXPECT_NEAR(BdRate(kAnchor, kAnchor, fit).value, 0, 1e-12) << CurveFitName(fit);
        EXPECT_NEAR(BdQuality(kAnchor, kAnchor, fit).value, 0, 1e-12) << CurveFitName(fit);
        EXPECT_DOUBLE_EQ(BdRate(kAnchor, kAnchor, fit).overlap, 1);
    }
}

TEST(BjontegaardDelta, RatesScaledByAFactorGiveThatFactor)
{
    for (const double factor : {0.8, 1.25, 3.0}) {
        std::vector<RatePoint> scaled = kTest;
        for (RatePoint& point : scaled)
            point.bitsPerPixel *= factor;
        for (const CurveFit fit : {CurveFit::Akima, CurveFit::Pchip, CurveFit::Cubic})
            EXPECT_NEAR(BdRate(kTest, scaled, fit).value, (factor - 1) * 100, 1e-9) << CurveFitName(fit);
    }
}

TEST(BjontegaardDelta, QualityRaisedEverywhereGivesThatRise)
{
    std::vector<RatePoint> better = kAnchor;
    for (RatePoint& point : better)
        point.quality += 0.5;
    for (const CurveFit fit : {CurveFit::Akima, CurveFit::Pchip, CurveFit::Cubic})
        EXPECT_NEAR(BdQuality(kAnchor, better, fit).value, 0.5, 1e-9) << CurveFitName(fit);
    // The same curve, better: fewer bits for each quality.
    EXPECT_LT(BdRate(kAnchor, better, CurveFit::Akima).value, 0);
}

TEST(BjontegaardDelta, SaysHowMuchOfTheRangeBothCurvesCover)
{
    const std::vector<RatePoint> low{{0.25, 30}, {0.5, 32}, {1, 34}, {2, 36}};
    const std::vector<RatePoint> high{{0.3, 33}, {0.6, 35}, {1.2, 37}, {2.4, 39}};
    const BjontegaardDelta delta = BdRate(low, high, CurveFit::Akima);
    ASSERT_TRUE(delta.Measured());
    EXPECT_DOUBLE_EQ(delta.overlap, 3.0 / 6.0);
    EXPECT_TRUE(delta.TooLittleOverlap());
    EXPECT_FALSE(BdRate(kAnchor, kTest, CurveFit::Akima).TooLittleOverlap());
    // A test curve reaching past the anchor's range on both sides covers all of it.
    const std::vector<RatePoint> wide{{0.1, 26}, {0.4, 31}, {1.6, 36}, {6.4, 41}};
    EXPECT_DOUBLE_EQ(BdRate(low, wide, CurveFit::Pchip).overlap, 1);
}

TEST(BjontegaardDelta, CurvesApartOrTooShortHaveNoValue)
{
    const std::vector<RatePoint> low{{0.25, 30}, {0.5, 32}, {1, 34}, {2, 36}};
    const std::vector<RatePoint> apart{{0.25, 40}, {0.5, 42}, {1, 44}, {2, 46}};
    EXPECT_EQ(BdRate(low, apart, CurveFit::Pchip).problem, kNoOverlap);
    // A lossless point (infinite PSNR) and a failed one (no rate) are left out.
    const std::vector<RatePoint> three{
        {0.25, 30}, {0.5, 32}, {1, 34}, {4, std::numeric_limits<double>::infinity()}, {0, 35}};
    EXPECT_EQ(BdRate(low, three, CurveFit::Cubic).problem, kTooFewPoints);
    EXPECT_TRUE(BdRate(low, three, CurveFit::Akima).Measured());
}

} // namespace
} // namespace tamr
