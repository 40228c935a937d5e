#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "codec/WaveletTransform.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

constexpr float kTwo24 = 16777216.0f; // 2^24: from here on floats are spaced 2 apart

// The quantiser's conversion of a coefficient to a sample: truncation towards zero.
std::int16_t TruncateToSample(float value)
{
    return static_cast<std::int16_t>(static_cast<int>(value));
}

std::vector<std::int16_t> Truncated(const std::vector<float>& plane)
{
    std::vector<std::int16_t> samples(plane.size());
    std::transform(plane.begin(), plane.end(), samples.begin(), TruncateToSample);
    return samples;
}

// Random samples in -128..127, the range of the codec's offset planes.
std::vector<std::int16_t> RandomSamples(std::size_t count, std::uint32_t seed)
{
    const auto bytes = test::RandomBytes(count, seed);
    std::vector<std::int16_t> samples(count);
    std::transform(bytes.begin(), bytes.end(), samples.begin(),
                   [](std::uint8_t byte) { return static_cast<std::int16_t>(byte - 128); });
    return samples;
}

std::vector<float> ToFloat(const std::vector<std::int16_t>& samples)
{
    return {samples.begin(), samples.end()};
}

void ForwardLevels(std::vector<float>& plane, int width, int height, int levels)
{
    std::vector<float> lineBuffer;
    for (int k = 0; k < levels; ++k) {
        ASSERT_TRUE(ForwardLevel(plane, static_cast<std::size_t>(width), height >> k, width >> k, lineBuffer));
    }
}

// The decoder's order: coarsest level first, one temporary for all levels.
void InverseLevels(std::vector<std::int16_t>& plane, int width, int height, int levels)
{
    std::vector<std::int16_t> temporary;
    for (int n = 1; n <= levels; ++n) {
        const int shift = levels - n;
        ASSERT_TRUE(InverseLevel(plane, static_cast<std::size_t>(width), height >> shift, width >> shift, temporary));
    }
}

int MaxAbsDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b)
{
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    return largest;
}

// Straightforward reference of the forward step: the 5-tap low-pass and 3-tap
// high-pass filters in double, with s[-1] = s[0] and s[N] = s[N+1] = s[N-1].
// The low-pass scale a gives the high-pass scale b = 2a.
std::vector<double> ReferenceStep(const std::vector<double>& s, double a)
{
    const int n = static_cast<int>(s.size());
    const int h = n / 2;
    const auto at = [&](int i) { return s[static_cast<std::size_t>(std::clamp(i, 0, n - 1))]; };
    std::vector<double> out(s.size());
    for (int k = 0; k < h; ++k) {
        out[k] = a * (-at(2 * k - 1) + 2 * at(2 * k) + 6 * at(2 * k + 1) + 2 * at(2 * k + 2) - at(2 * k + 3));
        out[h + k] = 2 * a * (at(2 * k - 1) - 2 * at(2 * k) + at(2 * k + 1));
    }
    return out;
}

std::vector<float> Step(std::vector<float> line, const LiftingPass& pass)
{
    std::vector<float> buffer(line.size());
    EXPECT_TRUE(ForwardStep(line, 1, static_cast<int>(line.size()), pass, buffer));
    return line;
}

std::uint32_t Bits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

// 8 x 8 regions written out in full, for the hand-computed inverse examples.
using Block = std::array<std::array<int, 8>, 8>;

std::vector<std::int16_t> Flatten(const Block& block)
{
    std::vector<std::int16_t> samples;
    for (const auto& row : block) {
        for (const int value : row) {
            samples.push_back(static_cast<std::int16_t>(value));
        }
    }
    return samples;
}

Block Unflatten(const std::vector<std::int16_t>& samples)
{
    Block block{};
    for (std::size_t i = 0; i < 64; ++i) {
        block[i / 8][i % 8] = samples[i];
    }
    return block;
}

Block RegionRow0(const std::array<int, 8>& values)
{
    Block block{};
    block[0] = values;
    return block;
}

Block RegionColumn0(const std::array<int, 8>& values)
{
    Block block{};
    for (std::size_t y = 0; y < 8; ++y) {
        block[y][0] = values[y];
    }
    return block;
}

Block Inverted(const Block& coefficients)
{
    auto plane = Flatten(coefficients);
    std::vector<std::int16_t> temporary;
    EXPECT_TRUE(InverseLevel(plane, 8, 8, 8, temporary));
    return Unflatten(plane);
}

// --- forward step --------------------------------------------------------------

TEST(WaveletForwardStepTest, RampGivesTheKnownCoefficientsInBothPasses)
{
    const std::vector<float> ramp{0, 1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(Step(ramp, kRowPass), (std::vector<float>{0.875f, 3, 5, 7, 0.25f, 0, 0, 0}));
    // The column pass is the row pass with twice the gain.
    EXPECT_EQ(Step(ramp, kColumnPass), (std::vector<float>{1.75f, 6, 10, 14, 0.5f, 0, 0, 0}));
}

TEST(WaveletForwardStepTest, AgreesWithTheFiveTapFormWithinFloatRounding)
{
    std::mt19937 generator(2024);
    std::uniform_real_distribution<float> value(-300.0f, 300.0f);
    for (const auto& pass : {kRowPass, kColumnPass}) {
        for (const int count : {4, 6, 8, 10, 16, 64}) {
            for (int trial = 0; trial < 50; ++trial) {
                std::vector<float> line(static_cast<std::size_t>(count));
                for (auto& sample : line) {
                    sample = value(generator);
                }
                const auto reference = ReferenceStep({line.begin(), line.end()}, pass.a);
                const auto result = Step(line, pass);
                float largest = 0;
                for (const float sample : line) {
                    largest = std::max(largest, std::abs(sample));
                }
                // A handful of float roundings, each within half an ulp of
                // partial sums of a few times the largest sample.
                const double tolerance = 8 * FLT_EPSILON * largest;
                for (int i = 0; i < count; ++i) {
                    EXPECT_NEAR(result[i], reference[i], tolerance) << "count " << count << " position " << i;
                }
            }
        }
    }
}

TEST(WaveletForwardStepTest, LowPassLiftsFromTheRoundedHighPassValues)
{
    // eta[1] = 1/4 * ((0 - 2 * 2^24) + 0) = -2^23 exactly, while eta[2] =
    // 1/4 * ((0 + 2 * 2^24) + 1) rounds 2^25 + 1 to 2^25, giving 2^23. So
    // lambda[1] = s[3] - (eta[1] + eta[2]) / 2 is +0, whereas the 5-tap form
    // 1/8 * (-0 + 2 * 2^24 + 0 - 2 * 2^24 - 1) is exactly -1/8, in float as well.
    const std::vector<float> line{0, 0, kTwo24, 0, -kTwo24, 1, 0, 0};
    const auto row = Step(line, kRowPass);
    EXPECT_EQ(Bits(row[5]), Bits(-8388608.0f));
    EXPECT_EQ(Bits(row[6]), Bits(8388608.0f));
    EXPECT_EQ(Bits(row[1]), Bits(0.0f));
    // The column pass: eta = -2^24 and 2^24, lambda[1] = 2 * 0 - 0 = +0 (5-tap: -1/4).
    const auto column = Step(line, kColumnPass);
    EXPECT_EQ(Bits(column[1]), Bits(0.0f));
}

TEST(WaveletForwardStepTest, HighPassIsEvaluatedLeftToRight)
{
    // eta[1] = 1/4 * ((2^24 - 2 * 0.375) + 0.5): 2^24 - 0.75 rounds to 2^24 - 1,
    // adding 0.5 gives a tie that rounds to the even 2^24, so eta[1] = 2^22.
    // Adding s[3] first would give 2^24 - 1 and eta[1] = 2^22 - 0.25.
    const auto row = Step({0, kTwo24, 0.375f, 0.5f}, kRowPass);
    EXPECT_EQ(Bits(row[3]), Bits(4194304.0f));
    // eta[1] = 1/4 * ((2^24 - 2 * -0.5) + 1): 2^24 + 1 ties to 2^24, and so does
    // 2^24 + 1 again, so eta[1] = 2^22; in double it would be 2^22 + 0.5.
    const auto wider = Step({0, kTwo24, -0.5f, 1}, kRowPass);
    EXPECT_EQ(Bits(wider[3]), Bits(4194304.0f));
}

TEST(WaveletForwardStepTest, BoundaryLowPassIsEvaluatedLeftToRight)
{
    // lambda[0] = 1/8 * (((2^24 + 6 * 0) + 2 * 0.5) - (-1)): 2^24 + 1 rounds back to
    // 2^24 twice, so the result is 2^21; summing the small terms first would give
    // 2^21 + 0.25.
    const auto first = Step({kTwo24, 0, 0.5f, -1}, kRowPass);
    EXPECT_EQ(first, (std::vector<float>{2097152.0f, -0.75f, -4194304.0f, -0.5f}));

    // lambda[h-1] = 1/8 * ((-(-2^24) + 2 * 0.5) + 7 * 0.125): 2^24 + 1 and then
    // 2^24 + 0.875 both round to 2^24, giving 2^21 where the correctly rounded
    // value of (2^24 + 1.875) / 8 is 2^21 + 0.25.
    const auto last = Step({0, -kTwo24, 0.5f, 0.125f}, kRowPass);
    EXPECT_EQ(Bits(last[1]), Bits(2097152.0f));
}

TEST(WaveletForwardStepTest, RefusesLinesItCannotFilter)
{
    std::vector<float> line{1, 2, 3, 4, 5, 6, 7, 8};
    const auto original = line;
    std::vector<float> buffer(8);
    EXPECT_FALSE(ForwardStep(line, 1, 2, kRowPass, buffer));
    EXPECT_FALSE(ForwardStep(line, 1, 5, kRowPass, buffer));
    EXPECT_FALSE(ForwardStep(line, 0, 4, kRowPass, buffer));
    EXPECT_FALSE(ForwardStep(line, 2, 6, kRowPass, buffer));                     // would read position 10
    EXPECT_FALSE(ForwardStep(line, 1, 8, kRowPass, std::span(buffer).first(6))); // buffer too short
    EXPECT_EQ(line, original);
    EXPECT_TRUE(ForwardStep(line, 2, 4, kRowPass, buffer)); // positions 0, 2, 4, 6
    EXPECT_EQ(line[1], original[1]);
    EXPECT_EQ(line[7], original[7]);
}

// --- forward level ---------------------------------------------------------------

TEST(WaveletForwardLevelTest, ColumnsFilteredTogetherKeepTheBitsOfSingleColumns)
{
    // 40 columns: blocks of neighbouring columns and a shorter last block. Each
    // column must get exactly the float values of the one-line step, and the
    // samples right of and below the region must stay as they are.
    constexpr int kStride = 44, kRows = 8, kCols = 40;
    std::mt19937 generator(5);
    std::uniform_real_distribution<float> value(-1.0e5f, 1.0e5f);
    std::vector<float> plane(kStride * (kRows + 1));
    for (auto& sample : plane) {
        sample = value(generator) / 7.0f;
    }
    auto expected = plane;
    std::vector<float> buffer(kCols);
    for (int y = 0; y < kRows; ++y) {
        ASSERT_TRUE(ForwardStep(std::span(expected).subspan(y * kStride), 1, kCols, kRowPass, buffer));
    }
    for (int x = 0; x < kCols; ++x) {
        ASSERT_TRUE(ForwardStep(std::span(expected).subspan(x), kStride, kRows, kColumnPass, buffer));
    }
    std::vector<float> lineBuffer;
    ASSERT_TRUE(ForwardLevel(plane, kStride, kRows, kCols, lineBuffer));
    for (std::size_t i = 0; i < plane.size(); ++i) {
        ASSERT_EQ(Bits(plane[i]), Bits(expected[i])) << "row " << i / kStride << ", column " << i % kStride;
    }
}

TEST(WaveletForwardLevelTest, ConstantPlaneGivesZeroDetailAndGainTwoPerLevel)
{
    constexpr int kWidth = 64, kHeight = 32, kLevels = 4;
    for (const float v : {93.0f, -128.0f}) {
        std::vector<float> plane(kWidth * kHeight, v);
        std::vector<float> lineBuffer;
        for (int k = 0; k < kLevels; ++k) {
            const int rows = kHeight >> k, cols = kWidth >> k;
            ASSERT_TRUE(ForwardLevel(plane, kWidth, rows, cols, lineBuffer));
            for (int y = 0; y < rows; ++y) {
                for (int x = 0; x < cols; ++x) {
                    const bool lowLow = y < rows / 2 && x < cols / 2;
                    const float expected = lowLow ? v * static_cast<float>(2 << k) : 0.0f;
                    ASSERT_EQ(plane[y * kWidth + x], expected) << "level " << k << " at " << y << ", " << x;
                }
            }
        }
    }
}

TEST(WaveletForwardLevelTest, LevelFromSixteenBitSamplesIsTheLevelOfTheirFloats)
{
    // Both sides odd multiples of 2 and wider than a column strip.
    constexpr int kRows = 46, kCols = 150;
    std::mt19937 generator(17);
    std::uniform_int_distribution<int> value(-32768, 32767);
    std::vector<std::int16_t> samples(kRows * kCols);
    for (auto& sample : samples) {
        sample = static_cast<std::int16_t>(value(generator));
    }
    std::vector<float> expected(samples.begin(), samples.end());
    std::vector<float> lineBuffer;
    ASSERT_TRUE(ForwardLevel(expected, kCols, kRows, kCols, lineBuffer));
    std::vector<float> plane(samples.size(), -1.0f);
    ASSERT_TRUE(ForwardLevelFrom(samples, plane, kCols, kRows, kCols, lineBuffer));
    for (std::size_t i = 0; i < plane.size(); ++i) {
        ASSERT_EQ(Bits(plane[i]), Bits(expected[i])) << "sample " << i;
    }
    EXPECT_FALSE(
        ForwardLevelFrom(std::span(samples).first(samples.size() - 1), plane, kCols, kRows, kCols, lineBuffer));
}

TEST(WaveletForwardLevelTest, SmallestRegionUsesOnlyTheBoundaryFormulas)
{
    // In a 4 x 4 region every value comes from formulas 1, 2 (k = h-1), 3 and 5.
    // The samples mix magnitudes so that the float results depend on the order
    // of the passes: running the columns first changes 9 of the 16 values.
    std::vector<float> plane{kTwo24, 0.375f, -0.5f,  1,  3, -8388608.0f, 0.625f, 5,
                             0.1f,   7,      kTwo24, -3, 2, -0.75f,      9,      4194304.0f};
    std::vector<float> expected = plane;
    const auto lines = [](std::vector<float>& p, int first, int step, float a, float b) {
        const auto s = [&](int i) { return p[first + i * step]; };
        const float out[4] = {a * (s(0) + 6.0f * s(1) + 2.0f * s(2) - s(3)), a * (-s(1) + 2.0f * s(2) + 7.0f * s(3)),
                              b * (s(1) - s(0)), b * (s(1) - 2.0f * s(2) + s(3))};
        for (int i = 0; i < 4; ++i) {
            p[first + i * step] = out[i];
        }
    };
    for (int y = 0; y < 4; ++y) {
        lines(expected, y * 4, 1, 0.125f, 0.25f);
    }
    for (int x = 0; x < 4; ++x) {
        lines(expected, x, 4, 0.25f, 0.5f);
    }
    std::vector<float> lineBuffer;
    ASSERT_TRUE(ForwardLevel(plane, 4, 4, 4, lineBuffer));
    EXPECT_EQ(plane, expected);
}

// --- inverse level ---------------------------------------------------------------

TEST(WaveletInverseLevelTest, ConstantPlaneComesBackExactlyWithTheGainOfLevelsLeft)
{
    constexpr int kWidth = 128, kHeight = 64;
    for (const int levels : {1, 5}) {
        for (const std::int16_t v : {std::int16_t{255}, std::int16_t{-128}, std::int16_t{1}, std::int16_t{0}}) {
            std::vector<float> coefficients(kWidth * kHeight, v);
            ForwardLevels(coefficients, kWidth, kHeight, levels);
            auto plane = Truncated(coefficients);
            std::vector<std::int16_t> temporary;
            for (int n = 1; n <= levels; ++n) {
                const int rows = kHeight >> (levels - n), cols = kWidth >> (levels - n);
                ASSERT_TRUE(InverseLevel(plane, kWidth, rows, cols, temporary));
                const int gain = 1 << (levels - n);
                for (int y = 0; y < rows; ++y) {
                    for (int x = 0; x < cols; ++x) {
                        ASSERT_EQ(plane[y * kWidth + x], v * gain) << "level index " << n << " at " << y << ", " << x;
                    }
                }
            }
        }
    }
}

TEST(WaveletInverseLevelTest, ExactCoefficientsComeBackExactly)
{
    // Samples that are multiples of 32 give integer coefficients (the row pass
    // divides by 8, the column pass by 4), so every rounding of the inverse acts on
    // an exactly divisible value and one level must invert without any error.
    for (const auto& [rows, cols] : {std::pair{4, 4}, std::pair{4, 10}, std::pair{8, 6}, std::pair{32, 64}}) {
        auto samples = RandomSamples(static_cast<std::size_t>(rows * cols), static_cast<std::uint32_t>(rows * cols));
        for (auto& sample : samples) {
            sample = static_cast<std::int16_t>(sample / 2 * 32);
        }
        auto coefficients = ToFloat(samples);
        ForwardLevels(coefficients, cols, rows, 1);
        for (const float c : coefficients) {
            ASSERT_EQ(c, std::trunc(c));
        }
        auto plane = Truncated(coefficients);
        std::vector<std::int16_t> temporary;
        ASSERT_TRUE(InverseLevel(plane, cols, rows, cols, temporary));
        EXPECT_EQ(plane, samples) << rows << " x " << cols;
    }
}

// Bound on the round-trip error after `levels` levels when every coefficient is
// truncated towards zero (error below delta, slightly above 1 to cover the float
// rounding of the forward transform). Carrying the errors through the inverse
// formulas, an output sample depends on the LL band with weights summing to 1/2,
// and on the detail coefficients with weights summing to at most 12, at the first
// sample of the region where s[0] = s[1] - 2 eta'[0] follows T[0] = T[1] - 4 eta[0];
// the shifts there add at most 9/8. So E_n <= E_(n-1) / 2 + 12 delta + 9/8, with
// E_0 = delta the error of the LL band itself: 13.8, 20.1, 23.3 ... 26.1 for one
// to six levels. Hill climbing on 8 x 8 and 16 x 16 planes reaches 11, 16 and 17
// for one to three levels, so the bound is close to what inputs can provoke;
// random planes stay at 6 to 9, mostly at the first row and column.
double RoundTripBound(int levels)
{
    constexpr double delta = 1.01;
    double bound = delta;
    for (int n = 1; n <= levels; ++n) {
        bound = bound / 2 + 12 * delta + 9.0 / 8;
    }
    return bound;
}

TEST(WaveletInverseLevelTest, RandomPlanesComeBackWithinTheTruncationBound)
{
    constexpr int kWidth = 128, kHeight = 128;
    for (int levels = 1; levels <= 6; ++levels) {
        int largest = 0;
        for (std::uint32_t seed = 1; seed <= 8; ++seed) {
            const auto samples = RandomSamples(kWidth * kHeight, seed * 7 + static_cast<std::uint32_t>(levels));
            auto coefficients = ToFloat(samples);
            ForwardLevels(coefficients, kWidth, kHeight, levels);
            auto plane = Truncated(coefficients);
            InverseLevels(plane, kWidth, kHeight, levels);
            largest = std::max(largest, MaxAbsDifference(plane, samples));
        }
        EXPECT_LE(largest, RoundTripBound(levels)) << levels << " levels";
        // Almost every sample is far below the worst case; a wrong gain or a
        // swapped quadrant would show up as errors of the sample range itself.
        EXPECT_GT(largest, 0) << "truncation must leave some error";
    }
}

TEST(WaveletInverseLevelTest, SmallRegionsRoundTripInsideAWiderPlane)
{
    // Regions of 4 rows or 4 columns use only the boundary formulas; the samples
    // around the region must neither be changed nor change the result.
    constexpr int kStride = 20, kPlaneRows = 12;
    for (const auto& [rows, cols] : {std::pair{4, 4}, std::pair{4, 16}, std::pair{10, 4}}) {
        const auto samples = RandomSamples(kStride * kPlaneRows, static_cast<std::uint32_t>(rows + cols));
        std::vector<std::int16_t> results[2];
        for (int variant = 0; variant < 2; ++variant) {
            auto coefficients = ToFloat(samples);
            std::vector<float> lineBuffer;
            ASSERT_TRUE(ForwardLevel(coefficients, kStride, rows, cols, lineBuffer));
            auto plane = Truncated(coefficients);
            for (int y = 0; y < kPlaneRows; ++y) {
                for (int x = 0; x < kStride; ++x) {
                    if (y >= rows || x >= cols) {
                        plane[y * kStride + x] = static_cast<std::int16_t>(variant == 0 ? 12345 : -321);
                    }
                }
            }
            std::vector<std::int16_t> temporary;
            ASSERT_TRUE(InverseLevel(plane, kStride, rows, cols, temporary));
            int largest = 0;
            for (int y = 0; y < kPlaneRows; ++y) {
                for (int x = 0; x < kStride; ++x) {
                    const int i = y * kStride + x;
                    if (y < rows && x < cols) {
                        largest = std::max(largest, std::abs(plane[i] - samples[i]));
                    } else {
                        ASSERT_EQ(plane[i], variant == 0 ? 12345 : -321) << "outside the region at " << y << ", " << x;
                    }
                }
            }
            EXPECT_LE(largest, RoundTripBound(1)) << rows << " x " << cols;
            results[variant] = plane;
        }
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < cols; ++x) {
                EXPECT_EQ(results[0][y * kStride + x], results[1][y * kStride + x]) << y << ", " << x;
            }
        }
    }
}

TEST(WaveletInverseLevelTest, IntermediateRowsAreKeptAsSixteenBitSamples)
{
    // V[0][0] = 10000: T[1] = (10000 + 1) >> 1 = 5000 and T[0] = 5000 - 40000 =
    // -35000, kept as the 16-bit 30536. Row 0 of T is then (30536, 0 | 0, 0):
    // s[1] = s[0] = (61072 + 2) >> 2 = 15268, s[2] = (61072 + 4) >> 3 = 7634, s[3] = 0.
    std::vector<std::int16_t> plane(16, 0);
    plane[2 * 4] = 10000;
    std::vector<std::int16_t> temporary;
    ASSERT_TRUE(InverseLevel(plane, 4, 4, 4, temporary));
    EXPECT_EQ(plane[0], 15268);
    EXPECT_EQ(plane[1], 15268);
    EXPECT_EQ(plane[2], 7634);
    EXPECT_EQ(plane[3], 0);
}

TEST(WaveletInverseLevelTest, RowStageRoundsAsWritten)
{
    // Only region row 0 (LL row 0 | H row 0) is set, so the column stage makes T
    // rows 0 and 1 equal to it, T row 2 = (row + 1) >> 1 and leaves the rest 0.
    // Row 0 below, with lambda' = (0, 0, -1, -1), eta' = (0, -3, 2, 0):
    // s[1] = (-3 + 0 + 0 + 2) >> 2 = -1, s[0] = -1 - 0 = -1, s[7] = (0 - 2 + 2) >> 2 = 0,
    // s[6] = ((2 + 2 * (0 - 1 - 1) + 4) >> 3) - 0 = 0, s[3] = (2 + 0 - 3 + 2) >> 2 = 0,
    // s[2] = ((-1 + 0 + 1) >> 1) + 3 = 3, s[5] = (0 - 2 + 2 + 2) >> 2 = 0,
    // s[4] = ((0 + 0 + 1) >> 1) - 2 = -2. The values were chosen so that every
    // rounding constant of the row stage decides at least one sample here or in
    // the second example.
    const Block first = {{{-1, -1, 3, 0, -2, 0, 0, 0}, {-1, -1, 3, 0, -2, 0, 0, 0}, {0, 0, 1, 0, -1, 0, 0, 0}}};
    EXPECT_EQ(Inverted(RegionRow0({0, 0, -1, -1, 0, -3, 2, 0})), first);
    // T row 2 here is (0, 2, 2, 1 | 0, 2, -1, -1).
    const Block second = {{{2, 0, -2, 2, 4, 1, 3, 0}, {2, 0, -2, 2, 4, 1, 3, 0}, {1, 1, -1, 1, 2, 1, 1, 0}}};
    EXPECT_EQ(Inverted(RegionRow0({-1, 3, 4, 1, -1, 3, -2, -2})), second);
}

TEST(WaveletInverseLevelTest, ColumnStageRoundsAsWritten)
{
    // Only region column 0 (LL column 0 over V column 0) is set, so each row y of
    // the result is (u, u, (u + 1) >> 1, 0, ...) with u = (2 T[y] + 2) >> 2.
    // Column 0 of T for lambda = (6, 2, 2, 0), eta = (2, 6, -1, -1):
    // T[1] = 6 + ((2 + 6 + 1) >> 1) = 10, T[0] = 10 - 8 = 2, T[7] = 0 + ((-1 + 1) >> 1) = 0,
    // T[6] = ((-1 + 2 * (2 + 0 + 1) + 2) >> 2) + 1 = 2, T[3] = 2 + ((6 - 1 + 1) >> 1) = 5,
    // T[2] = ((10 + 5 + 1) >> 1) - 12 = -4, T[5] = 2 + ((-1 - 1 + 1) >> 1) = 1,
    // T[4] = ((5 + 1 + 1) >> 1) + 2 = 5.
    const Block first = {{{1, 1, 1}, {5, 5, 3}, {-2, -2, -1}, {3, 3, 2}, {3, 3, 2}, {1, 1, 1}, {1, 1, 1}, {0, 0, 0}}};
    EXPECT_EQ(Inverted(RegionColumn0({6, 2, 2, 0, 2, 6, -1, -1})), first);
    // T = (-7, 1, 1, -4, -2, -1, 5, -1).
    const Block second = {
        {{-3, -3, -1}, {1, 1, 1}, {1, 1, 1}, {-2, -2, -1}, {-1, -1, 0}, {0, 0, 0}, {3, 3, 2}, {0, 0, 0}}};
    EXPECT_EQ(Inverted(RegionColumn0({0, -4, 0, 0, 2, -1, 0, -3})), second);
}

// --- discarded level -------------------------------------------------------------

TEST(WaveletInverseDiscardedTest, ConstantLowPassBandGivesTheConstantWhateverTheDetail)
{
    constexpr int kWidth = 32, kHeight = 16, kLevels = 3;
    for (const std::int16_t v : {std::int16_t{200}, std::int16_t{-77}, std::int16_t{0}}) {
        auto plane = RandomSamples(kWidth * kHeight, 5); // detail that must not be read
        for (int y = 0; y < (kHeight >> kLevels); ++y) {
            for (int x = 0; x < (kWidth >> kLevels); ++x) {
                plane[y * kWidth + x] = static_cast<std::int16_t>(v << kLevels);
            }
        }
        std::vector<std::int16_t> temporary;
        for (int n = 1; n <= kLevels; ++n) {
            ASSERT_TRUE(
                InverseLevelDiscarded(plane, kWidth, kHeight >> (kLevels - n), kWidth >> (kLevels - n), temporary));
        }
        EXPECT_EQ(plane, std::vector<std::int16_t>(kWidth * kHeight, v));
    }
}

TEST(WaveletInverseDiscardedTest, RoundsAsWrittenAndReadsOnlyTheLowPassBand)
{
    std::vector<std::int16_t> temporary;
    const auto discarded = [&](const Block& lowPass) {
        // Detail quadrants full of noise that must not be read.
        auto plane = RandomSamples(64, 17);
        for (std::size_t i = 0; i < 64; ++i) {
            if (i / 8 < 4 && i % 8 < 4) {
                plane[i] = static_cast<std::int16_t>(lowPass[i / 8][i % 8]);
            }
        }
        EXPECT_TRUE(InverseLevelDiscarded(plane, 8, 8, 8, temporary));
        return Unflatten(plane);
    };
    // LL row 0 = (1, 9, 4, 6): T rows 0 and 1 are that row, T row 2 is
    // (r + 0 + 1) >> 1 = (1, 5, 2, 3), the rest 0. Row 0: s[0] = s[1] = (1 + 1) >> 1 = 1,
    // s[3] = (9 + 1) >> 1 = 5, s[2] = (1 + 9 + 3) >> 2 = 3, s[5] = (4 + 1) >> 1 = 2,
    // s[4] = (9 + 4 + 3) >> 2 = 4, s[6] = (4 + 6 + 2) >> 2 = 3, s[7] = (6 + 1) >> 1 = 3.
    const Block fromRow = {{{1, 1, 3, 5, 4, 2, 3, 3}, {1, 1, 3, 5, 4, 2, 3, 3}, {1, 1, 2, 3, 2, 1, 1, 2}}};
    EXPECT_EQ(discarded(RegionRow0({1, 9, 4, 6})), fromRow);
    // LL column 0 = (2, 5, -5, -6): T column 0 = (2, 2, 4, 5, 0, -5, -5, -6), and
    // each row is (u, u, (t + 3) >> 2, 0, ...) with u = (t + 1) >> 1.
    const Block fromColumn = {
        {{1, 1, 1}, {1, 1, 1}, {2, 2, 1}, {3, 3, 2}, {0, 0, 0}, {-2, -2, -1}, {-2, -2, -1}, {-3, -3, -1}}};
    EXPECT_EQ(discarded(RegionColumn0({2, 5, -5, -6})), fromColumn);
}

// --- refused regions ---------------------------------------------------------------

TEST(WaveletRegionTest, EveryLevelRefusesRegionsItCannotTransform)
{
    constexpr std::size_t kStride = 8;
    struct Region {
        int rows, cols;
        std::size_t stride;
    };
    // Odd or too small sides, a region wider than the stride, and one taller
    // than the 8 x 8 plane.
    const Region refused[] = {{2, 8, kStride}, {8, 2, kStride},  {5, 8, kStride}, {8, 7, kStride},
                              {0, 0, kStride}, {-4, 8, kStride}, {4, 8, 6},       {10, 8, kStride}};
    for (const auto& region : refused) {
        std::vector<float> coefficients(64, 1.5f);
        std::vector<float> lineBuffer;
        EXPECT_FALSE(ForwardLevel(coefficients, region.stride, region.rows, region.cols, lineBuffer));
        EXPECT_EQ(coefficients, std::vector<float>(64, 1.5f));

        const auto samples = RandomSamples(64, 3);
        auto plane = samples;
        std::vector<std::int16_t> temporary;
        EXPECT_FALSE(InverseLevel(plane, region.stride, region.rows, region.cols, temporary));
        EXPECT_FALSE(InverseLevelDiscarded(plane, region.stride, region.rows, region.cols, temporary));
        EXPECT_EQ(plane, samples);
    }
    // A plane one sample short of the region's last row.
    std::vector<std::int16_t> shortPlane(63, 0);
    std::vector<std::int16_t> temporary;
    EXPECT_FALSE(InverseLevel(shortPlane, kStride, 8, 8, temporary));
    EXPECT_TRUE(InverseLevel(shortPlane, kStride, 6, 8, temporary));
}

TEST(WaveletInverseLevelTest, SmallTemporariesGiveTheSamplesOfTheWholeTemporary)
{
    std::mt19937 random(25);
    std::uniform_int_distribution<int> side(2, 70);
    for (int round = 0; round < 300; ++round) {
        // Even sides from 4 up, in a plane with a wider stride and more rows;
        // values up to the whole 16-bit range, so that wrapping is compared too.
        const int rows = 2 * side(random);
        const int cols = 2 * side(random);
        const auto stride = static_cast<std::size_t>(cols + round % 5);
        const std::size_t size = stride * static_cast<std::size_t>(rows + 1);
        const int spread = round % 2 == 0 ? 600 : 32767;
        std::uniform_int_distribution<int> value(-spread, spread);
        std::vector<std::int16_t> samples(size);
        for (auto& sample : samples)
            sample = static_cast<std::int16_t>(value(random));
        auto whole = samples;
        std::vector<std::int16_t> wholeTemporary;
        ASSERT_TRUE(InverseLevel(whole, stride, rows, cols, wholeTemporary));
        LargeVector<std::int16_t> quarter(samples.begin(), samples.end());
        LargeVector<std::int16_t> quarterTemporary;
        ASSERT_TRUE(InverseLevel(quarter, stride, rows, cols, quarterTemporary));
        EXPECT_TRUE(std::equal(whole.begin(), whole.end(), quarter.begin(), quarter.end())) << rows << " x " << cols;
        EXPECT_LE(quarterTemporary.size(), static_cast<std::size_t>(rows / 4 + 8) * static_cast<std::size_t>(cols));

        // A discarded level, rebuilt with the whole temporary and row by row from the bottom.
        whole = samples;
        ASSERT_TRUE(InverseLevelDiscarded(whole, stride, rows, cols, wholeTemporary));
        LargeVector<std::int16_t> byRows(samples.begin(), samples.end());
        LargeVector<std::int16_t> lineTemporary;
        ASSERT_TRUE(InverseLevelDiscarded(byRows, stride, rows, cols, lineTemporary));
        EXPECT_TRUE(std::equal(whole.begin(), whole.end(), byRows.begin(), byRows.end())) << rows << " x " << cols;
        EXPECT_EQ(lineTemporary.size(), static_cast<std::size_t>(cols / 2));
    }
}

// --- vector loops against the plain loops ------------------------------------

// Applies one inverse level with the loops of the codec and with the plain
// reference loops and expects the same samples; both planes keep the result.
template <typename Temporary>
void ExpectLanesMatchPlain(std::vector<std::int16_t>& lanes, std::vector<std::int16_t>& plain, std::size_t stride,
                           int rows, int cols, bool discarded)
{
    Temporary lanesTemporary;
    Temporary plainTemporary;
    if (discarded) {
        ASSERT_TRUE(InverseLevelDiscarded(lanes, stride, rows, cols, lanesTemporary));
        ASSERT_TRUE(PlainInverseLevelDiscarded(plain, stride, rows, cols, plainTemporary));
    } else {
        ASSERT_TRUE(InverseLevel(lanes, stride, rows, cols, lanesTemporary));
        ASSERT_TRUE(PlainInverseLevel(plain, stride, rows, cols, plainTemporary));
    }
    ASSERT_EQ(lanes, plain) << rows << " x " << cols << (discarded ? ", discarded" : "");
}

TEST(WaveletInverseLanesTest, EveryRegionGivesTheSamplesOfThePlainLoops)
{
    // Sides whose halves are odd and even, below, at and past whole groups of
    // lanes, with wider strides; values in the codec's range and over all 16 bits.
    std::mt19937 random(31);
    std::uniform_int_distribution<int> side(2, 45);
    for (int round = 0; round < 240; ++round) {
        const int rows = 2 * side(random);
        const int cols = 2 * side(random);
        const auto stride = static_cast<std::size_t>(cols + round % 3);
        const int spread = round % 2 == 0 ? 2000 : 32767;
        std::uniform_int_distribution<int> value(-spread, spread);
        std::vector<std::int16_t> samples(stride * static_cast<std::size_t>(rows));
        for (auto& sample : samples)
            sample = static_cast<std::int16_t>(value(random));
        for (const bool discarded : {false, true}) {
            auto lanes = samples, plain = samples;
            ExpectLanesMatchPlain<std::vector<std::int16_t>>(lanes, plain, stride, rows, cols, discarded);
            lanes = samples, plain = samples;
            ExpectLanesMatchPlain<LargeVector<std::int16_t>>(lanes, plain, stride, rows, cols, discarded);
        }
    }
}

TEST(WaveletInverseLanesTest, DecodingEveryLevelGivesTheSamplesOfThePlainLoops)
{
    // Whole planes as the decoder inverts them, coarsest level first, the
    // finest levels sometimes discarded: real coefficients of a forward
    // transform, truncated, and random ones.
    struct Plane {
        int width;
        int height;
        int levels;
    };
    for (const Plane geometry : {Plane{296, 184, 3}, Plane{256, 96, 4}, Plane{200, 328, 2}, Plane{1000, 24, 2}}) {
        const std::size_t size = static_cast<std::size_t>(geometry.width) * static_cast<std::size_t>(geometry.height);
        for (int source = 0; source < 2; ++source) {
            auto samples = RandomSamples(size, static_cast<std::uint32_t>(geometry.width + source));
            if (source == 0) {
                auto coefficients = ToFloat(samples);
                ForwardLevels(coefficients, geometry.width, geometry.height, geometry.levels);
                samples = Truncated(coefficients);
            }
            for (int discard = 0; discard <= 1; ++discard) {
                auto lanes = samples, plain = samples;
                for (int n = 1; n <= geometry.levels; ++n) {
                    const int shift = geometry.levels - n;
                    const bool discarded = n > geometry.levels - discard;
                    ExpectLanesMatchPlain<LargeVector<std::int16_t>>(
                        lanes, plain, static_cast<std::size_t>(geometry.width), geometry.height >> shift,
                        geometry.width >> shift, discarded);
                }
            }
        }
    }
}

} // namespace
} // namespace tamr
