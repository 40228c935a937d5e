#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "enhance/ConvolutionFilter.h"
#include "enhance/FillFilters.h"
#include "enhance/FilterKernel.h"
#include "enhance/FilterList.h"
#include "enhance/MeanFilters.h"
#include "enhance/NegativeFilter.h"
#include "enhance/RankFilters.h"
#include "support/FilterTestImage.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::FilterTestImage;

FilterKernel Kernel(std::array<std::int32_t, 9> k, std::int32_t divisor)
{
    return FilterKernel{k, divisor};
}

// The eight neighbours of the centre of a 3 × 3 image sum to 400.
FilterTestImage GrayThreeByThree(int centre)
{
    FilterTestImage image(3, 3, 1);
    image.SetRows({{10, 20, 30}, {40, centre, 60}, {70, 80, 90}});
    return image;
}

const FilterKernel kSmooth = Kernel({1, 1, 1, 1, 5, 1, 1, 1, 1}, 13);

// ---- Number texts of the edits ----

TEST(FilterEditNumbers, ReadLikeASignedDecimalFromTheStart)
{
    EXPECT_EQ(ParseEditNumber("12"), 12);
    EXPECT_EQ(ParseEditNumber("  \t-3"), -3);
    EXPECT_EQ(ParseEditNumber("+7"), 7);
    EXPECT_EQ(ParseEditNumber("12abc"), 12);
    EXPECT_EQ(ParseEditNumber("1 2"), 1);
    EXPECT_EQ(ParseEditNumber("007"), 7);
}

TEST(FilterEditNumbers, TextsWithoutDigitsAreZero)
{
    EXPECT_EQ(ParseEditNumber("X"), 0);
    EXPECT_EQ(ParseEditNumber(""), 0);
    EXPECT_EQ(ParseEditNumber("-"), 0);
    EXPECT_EQ(ParseEditNumber(" - 5"), 0);
    EXPECT_EQ(ParseEditNumber("abc12"), 0);
}

TEST(FilterEditNumbers, HugeNumbersSaturateInsteadOfOverflowing)
{
    EXPECT_EQ(ParseEditNumber("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseEditNumber("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ParseEditNumber("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

// ---- Convolution ----

TEST(ConvolveFilter, SmoothOnThreeByThreeChangesOnlyTheCentre)
{
    FilterTestImage image = GrayThreeByThree(200);
    ASSERT_TRUE(ConvolveGray(image.View(), kSmooth));
    // (400 + 5 * 200) / 13 = 107.69...
    FilterTestImage expected = GrayThreeByThree(107);
    EXPECT_EQ(image.bytes, expected.bytes);
}

TEST(ConvolveFilter, EdgeEnhanceExamples)
{
    const FilterKernel edgeEnhance = Kernel({-1, -1, -1, -1, 10, -1, -1, -1, -1}, 2);
    FilterTestImage flat(3, 3, 1);
    flat.Fill(100);
    ASSERT_TRUE(ConvolveGray(flat.View(), edgeEnhance));
    EXPECT_EQ(flat.Get(1, 1), 100); // (1000 - 800) / 2

    FilterTestImage spot(3, 3, 1);
    spot.Fill(100);
    spot.At(1, 1) = 200;
    ASSERT_TRUE(ConvolveGray(spot.View(), edgeEnhance));
    EXPECT_EQ(spot.Get(1, 1), 255); // (2000 - 800) / 2 = 600
}

TEST(ConvolveFilter, SumWrapsToSixteenBits)
{
    // 9 * 255 * 255 = 585225 wraps to -4599.
    FilterTestImage white(4, 4, 1);
    white.Fill(255);
    ASSERT_TRUE(ConvolveGray(white.View(), Kernel({255, 255, 255, 255, 255, 255, 255, 255, 255}, 1)));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const bool interior = r >= 1 && r <= 2 && c >= 1 && c <= 2;
            EXPECT_EQ(white.Get(r, c), interior ? 0 : 255) << r << "," << c;
        }
    }
    EXPECT_TRUE(white.PaddingUntouched());
}

TEST(ConvolveFilter, WrappedSumCanLandInsideTheByteRange)
{
    // 255 * (129 + 129) = 65790 wraps to 254, where clamping would give 255.
    FilterTestImage image(3, 3, 1);
    image.SetRows({{0, 129, 0}, {0, 129, 0}, {0, 0, 0}});
    ASSERT_TRUE(ConvolveGray(image.View(), Kernel({0, 255, 0, 0, 255, 0, 0, 0, 0}, 1)));
    EXPECT_EQ(image.Get(1, 1), 254);
}

TEST(ConvolveFilter, MultipliersAndDivisorAreClampedTo255)
{
    // 255 * 100 / 255; unclamped, 1000 * 100 would wrap to a negative sum.
    FilterTestImage image(3, 3, 1);
    image.At(1, 1) = 100;
    ASSERT_TRUE(ConvolveGray(image.View(), Kernel({0, 0, 0, 0, 1000, 0, 0, 0, 0}, 1000)));
    EXPECT_EQ(image.Get(1, 1), 100);
}

TEST(ConvolveFilter, EveryOutputComesFromTheImageBeforeTheCall)
{
    // Only the first multiplier: each interior pixel takes its neighbour at
    // x - 1 in the row stored before. Writing in place without keeping the
    // source rows would feed row 1's outputs into row 2.
    FilterTestImage image(5, 5, 1);
    image.SetRows(
        {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20}, {21, 22, 23, 24, 25}});
    ASSERT_TRUE(ConvolveGray(image.View(), Kernel({1, 0, 0, 0, 0, 0, 0, 0, 0}, 1)));
    FilterTestImage expected(5, 5, 1);
    expected.SetRows(
        {{1, 2, 3, 4, 5}, {6, 1, 2, 3, 10}, {11, 6, 7, 8, 15}, {16, 11, 12, 13, 20}, {21, 22, 23, 24, 25}});
    EXPECT_EQ(image.bytes, expected.bytes);

    // The same for the row stored after and the pixel at x + 1.
    image.SetRows(
        {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20}, {21, 22, 23, 24, 25}});
    ASSERT_TRUE(ConvolveGray(image.View(), Kernel({0, 0, 0, 0, 0, 0, 0, 0, 1}, 1)));
    expected.SetRows(
        {{1, 2, 3, 4, 5}, {6, 13, 14, 15, 10}, {11, 18, 19, 20, 15}, {16, 23, 24, 25, 20}, {21, 22, 23, 24, 25}});
    EXPECT_EQ(image.bytes, expected.bytes);
}

TEST(ConvolveFilter, ColourChannelsAreFilteredIndependently)
{
    FilterTestImage image(3, 3, 3);
    image.SetRows({{10, 20, 30}, {40, 200, 60}, {70, 80, 90}}, 0);
    image.SetRows({{100, 100, 100}, {100, 100, 100}, {100, 100, 100}}, 1);
    image.SetRows({{10, 20, 30}, {40, 0, 60}, {70, 80, 90}}, 2);
    ASSERT_TRUE(ConvolveColour(image.View(), kSmooth));
    EXPECT_EQ(image.Get(1, 1, 0), 107); // 1400 / 13
    EXPECT_EQ(image.Get(1, 1, 1), 100); // 1300 / 13
    EXPECT_EQ(image.Get(1, 1, 2), 30);  // 400 / 13
    EXPECT_EQ(image.Get(0, 1, 0), 20);
    EXPECT_EQ(image.Get(1, 0, 2), 40);
    EXPECT_TRUE(image.PaddingUntouched());
}

TEST(ConvolveFilter, RefusesAViewThatDoesNotHoldItsRows)
{
    std::vector<std::uint8_t> bytes(8, 7);
    const std::vector<std::uint8_t> before = bytes;
    EXPECT_FALSE(ConvolveGray(PixelView{bytes, 3, 3, 1}, kSmooth));
    EXPECT_FALSE(NegativeGray(PixelView{bytes, 3, 3, 1}));
    EXPECT_EQ(bytes, before);
}

// ---- Despeckle ----

// A bright centre 200 over neighbours 10 ... 80: the median is 50.
FilterTestImage SpeckledThreeByThree(int centre)
{
    FilterTestImage image(3, 3, 1);
    image.SetRows({{10, 20, 30}, {40, centre, 50}, {60, 70, 80}});
    return image;
}

int DespeckledCentre(int centre, std::string_view intensityText)
{
    FilterTestImage image = SpeckledThreeByThree(centre);
    EXPECT_TRUE(DespeckleGray(image.View(), ParseEditNumber(intensityText)));
    return image.Get(1, 1);
}

TEST(DespeckleFilter, BrightPixelTakesTheChosenRank)
{
    EXPECT_EQ(DespeckledCentre(200, "4"), 40);
    EXPECT_EQ(DespeckledCentre(200, "2"), 20);
}

TEST(DespeckleFilter, DarkPixelsNeverChange)
{
    EXPECT_EQ(DespeckledCentre(15, "1"), 15);
    EXPECT_EQ(DespeckledCentre(15, "9"), 15);
    // Equal to the median: not brighter, so it stays.
    EXPECT_EQ(DespeckledCentre(45, "1"), 45);
}

TEST(DespeckleFilter, HighIntensityCanBrightenABrightPixel)
{
    // Window 10 20 30 40 50 60 70 80 and centre 55 under a neighbour 80: the
    // median 50 is below 55, the ninth value is 80.
    EXPECT_EQ(DespeckledCentre(55, "9"), 80);
}

// ---- Mean filters ----

TEST(MeanFilters, AntiAliasPullsBrightPixelsDownToTheMean)
{
    FilterTestImage image = SpeckledThreeByThree(200);
    ASSERT_TRUE(AntiAliasGray(image.View()));
    EXPECT_EQ(image.Get(1, 1), 62); // 560 / 9 = 62.2

    FilterTestImage dark = SpeckledThreeByThree(15);
    ASSERT_TRUE(AntiAliasGray(dark.View()));
    EXPECT_EQ(dark.Get(1, 1), 15);
}

TEST(MeanFilters, AliasLiftsDarkPixelsUpToTheMean)
{
    FilterTestImage image = SpeckledThreeByThree(0);
    ASSERT_TRUE(AliasGray(image.View()));
    EXPECT_EQ(image.Get(1, 1), 40); // 360 / 9

    FilterTestImage bright = SpeckledThreeByThree(200);
    ASSERT_TRUE(AliasGray(bright.View()));
    EXPECT_EQ(bright.Get(1, 1), 200);
}

// ---- Erode and Dilate ----

TEST(CrossFilters, UseTheCentreAndItsFourDirectNeighboursOnly)
{
    FilterTestImage low(3, 3, 1);
    low.SetRows({{5, 30, 5}, {40, 50, 60}, {5, 70, 5}});
    ASSERT_TRUE(ErodeGray(low.View()));
    EXPECT_EQ(low.Get(1, 1), 30);

    FilterTestImage high(3, 3, 1);
    high.SetRows({{250, 30, 250}, {40, 50, 60}, {250, 70, 250}});
    ASSERT_TRUE(DilateGray(high.View()));
    EXPECT_EQ(high.Get(1, 1), 70);
}

TEST(CrossFilters, DilateSpreadsOnlyOnePixelPerCall)
{
    FilterTestImage image(5, 5, 1);
    image.At(1, 1) = 200;
    ASSERT_TRUE(DilateGray(image.View()));
    FilterTestImage expected(5, 5, 1);
    expected.SetRows({{0, 0, 0, 0, 0}, {0, 200, 200, 0, 0}, {0, 200, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}});
    EXPECT_EQ(image.bytes, expected.bytes);
}

// ---- Fill filters ----

TEST(FillFilters, FillAcrossReplacesALoneWhitePixel)
{
    const FilterKernel defaults = Kernel({0, 0, 0, 0, 255, 0, 0, 0, 0}, 0);
    FilterTestImage image(3, 3, 1);
    image.SetRows({{9, 9, 9}, {0, 255, 0}, {9, 9, 9}});
    ASSERT_TRUE(FillAcrossGray(image.View(), defaults));
    EXPECT_EQ(image.Get(1, 1), 0);

    image.SetRows({{9, 9, 9}, {0, 254, 0}, {9, 9, 9}});
    ASSERT_TRUE(FillAcrossGray(image.View(), defaults));
    EXPECT_EQ(image.Get(1, 1), 254);
}

TEST(FillFilters, FillValueIsTheTruncatedMeanOfTheOuterMultipliers)
{
    FilterTestImage image(3, 3, 1);
    image.SetRows({{0, 10, 0}, {0, 100, 0}, {0, 21, 0}});
    ASSERT_TRUE(FillDownGray(image.View(), Kernel({0, 10, 0, 0, 100, 0, 0, 21, 0}, 1)));
    EXPECT_EQ(image.Get(1, 1), 15); // 31 / 2
}

TEST(FillFilters, FillDownLooksAlongTheColumn)
{
    FilterTestImage image(3, 3, 1);
    image.SetRows({{9, 0, 9}, {0, 255, 0}, {9, 9, 9}});
    ASSERT_TRUE(FillDownGray(image.View(), Kernel({0, 0, 0, 0, 255, 0, 0, 0, 0}, 1)));
    EXPECT_EQ(image.Get(1, 1), 255); // the row above holds 9, not 0

    image.SetRows({{9, 0, 9}, {9, 255, 9}, {9, 0, 9}});
    ASSERT_TRUE(FillDownGray(image.View(), Kernel({0, 0, 0, 0, 255, 0, 0, 0, 0}, 1)));
    EXPECT_EQ(image.Get(1, 1), 0);
}

// Both diagonals match: (0, 100, 10) against k0, k4, k8 gives 5; (20, 100,
// 30) against k2, k4, k6 gives 25.
const FilterKernel kBothDiagonals = Kernel({0, 0, 20, 0, 100, 0, 30, 0, 10}, 1);

TEST(FillFilters, FillAnglesGrayTestsTheK2K6DiagonalFirst)
{
    FilterTestImage image(3, 3, 1);
    image.SetRows({{0, 7, 20}, {7, 100, 7}, {30, 7, 10}});
    ASSERT_TRUE(FillAnglesGray(image.View(), kBothDiagonals));
    EXPECT_EQ(image.Get(1, 1), 25);
}

TEST(FillFilters, FillAnglesColourTestsTheK0K8DiagonalFirst)
{
    FilterTestImage image(3, 3, 3);
    for (int b = 0; b < 3; ++b) {
        image.SetRows({{0, 7, 20}, {7, 100, 7}, {30, 7, 10}}, b);
    }
    ASSERT_TRUE(FillAnglesColour(image.View(), kBothDiagonals));
    EXPECT_EQ(image.Get(1, 1, 0), 5);
    EXPECT_EQ(image.Get(1, 1, 2), 5);
}

// ---- Negative ----

TEST(NegativeFilter, GrayInvertsEveryByteIncludingBordersAndPadding)
{
    FilterTestImage image(3, 3, 1);
    image.SetRows({{0, 1, 2}, {3, 4, 5}, {6, 7, 255}});
    const std::vector<std::uint8_t> before = image.bytes;
    ASSERT_TRUE(NegativeGray(image.View()));
    EXPECT_EQ(image.Get(0, 0), 255);
    EXPECT_EQ(image.Get(1, 1), 251);
    EXPECT_EQ(image.Get(2, 2), 0);
    EXPECT_EQ(image.bytes[image.Offset(0, 3)], 255 - test::kPadMark);
    ASSERT_TRUE(NegativeGray(image.View()));
    EXPECT_EQ(image.bytes, before);
}

TEST(NegativeFilter, ColourInvertsTheInteriorOnly)
{
    FilterTestImage image(3, 3, 3);
    image.Fill(10);
    const std::vector<std::uint8_t> before = image.bytes;
    ASSERT_TRUE(NegativeColour(image.View()));
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(image.Get(1, 1, b), 245);
        EXPECT_EQ(image.Get(0, 1, b), 10);
        EXPECT_EQ(image.Get(1, 2, b), 10);
    }
    EXPECT_TRUE(image.PaddingUntouched());
    ASSERT_TRUE(NegativeColour(image.View()));
    EXPECT_EQ(image.bytes, before);
}

// ---- Borders, padding and small images, for every filter ----

TEST(AllFilters, KeepBordersAndPaddingAtWidthsOneToFive)
{
    for (const bool colour : {false, true}) {
        for (int w = 1; w <= 5; ++w) {
            for (int h = 1; h <= 4; ++h) {
                for (const FilterEntry& entry : FilterList()) {
                    if (entry.operation == FilterOperation::Negative && !colour) {
                        continue; // inverts the whole array by design
                    }
                    FilterTestImage image(w, h, colour ? 3 : 1);
                    const std::vector<std::uint8_t> noise =
                        test::RandomBytes(image.bytes.size(), static_cast<std::uint32_t>(w * 10 + h));
                    for (int r = 0; r < h; ++r) {
                        for (int c = 0; c < w; ++c) {
                            for (int b = 0; b < image.bpp; ++b) {
                                image.At(r, c, b) = noise[image.Offset(r, c, b)];
                            }
                        }
                    }
                    const FilterTestImage before = image;
                    ASSERT_TRUE(RunFilter(entry.operation, image.View(), colour, ParseEditTexts(entry.defaults)));
                    SCOPED_TRACE(testing::Message() << entry.name << " " << w << "x" << h << " colour " << colour);
                    EXPECT_TRUE(image.PaddingUntouched());
                    for (int r = 0; r < h; ++r) {
                        for (int c = 0; c < w; ++c) {
                            const bool interior = r >= 1 && r + 1 < h && c >= 1 && c + 1 < w;
                            for (int b = 0; !interior && b < image.bpp; ++b) {
                                EXPECT_EQ(image.Get(r, c, b), before.Get(r, c, b)) << r << "," << c;
                            }
                        }
                    }
                }
            }
        }
    }
}

TEST(AllFilters, ColourVariantEqualsTheGrayOneOnEachChannel)
{
    // Every filter except Fill angles (which tests its diagonals in another
    // order) and Negative (whose gray variant also inverts the frame).
    const int w = 5;
    const int h = 4;
    const std::vector<std::uint8_t> noise = test::RandomBytes(w * h * 3, 77);
    for (const FilterEntry& entry : FilterList()) {
        if (entry.operation == FilterOperation::FillAngles || entry.operation == FilterOperation::Negative) {
            continue;
        }
        SCOPED_TRACE(entry.name);
        FilterTestImage colour(w, h, 3);
        std::array<FilterTestImage, 3> channels{FilterTestImage(w, h, 1), FilterTestImage(w, h, 1),
                                                FilterTestImage(w, h, 1)};
        for (int r = 0; r < h; ++r) {
            for (int c = 0; c < w; ++c) {
                for (int b = 0; b < 3; ++b) {
                    // Few distinct values, so that the fill filters find matches.
                    const auto value =
                        static_cast<std::uint8_t>(noise[static_cast<std::size_t>((r * w + c) * 3 + b)] % 2 * 255);
                    colour.At(r, c, b) = value;
                    channels[static_cast<std::size_t>(b)].At(r, c) = value;
                }
            }
        }
        const FilterParameters parameters = ParseEditTexts(entry.defaults);
        ASSERT_TRUE(RunFilter(entry.operation, colour.View(), true, parameters));
        for (int b = 0; b < 3; ++b) {
            FilterTestImage& channel = channels[static_cast<std::size_t>(b)];
            ASSERT_TRUE(RunFilter(entry.operation, channel.View(), false, parameters));
            for (int r = 0; r < h; ++r) {
                for (int c = 0; c < w; ++c) {
                    EXPECT_EQ(colour.Get(r, c, b), channel.Get(r, c)) << b << ":" << r << "," << c;
                }
            }
        }
    }
}

} // namespace
} // namespace tamr
