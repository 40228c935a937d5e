// The first forward level computed a few rows at a time against the plain
// forward level: the same coefficients, bit for bit.

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "codec/ForwardLevelRows.h"
#include "codec/WaveletTransform.h"

namespace tamr {
namespace {

TEST(ForwardLevelRowsTest, RowsGiveTheBitsOfTheWholePlaneLevel)
{
    std::mt19937 random(31);
    std::uniform_real_distribution<float> value(-300.0f, 300.0f);
    for (int trial = 0; trial < 30; ++trial) {
        // The smallest sides, where the first and last output rows meet, and larger ones.
        const int rows = trial < 4 ? 4 + 2 * (trial % 2) : 2 * std::uniform_int_distribution<int>(2, 40)(random);
        const int cols = trial < 4 ? 4 + 2 * (trial / 2) : 2 * std::uniform_int_distribution<int>(2, 90)(random);
        const auto width = static_cast<std::size_t>(cols);
        std::vector<float> plane(width * static_cast<std::size_t>(rows));
        for (float& sample : plane)
            sample = trial % 2 == 0 ? value(random) : static_cast<float>(static_cast<int>(value(random)));
        std::vector<float> streamed(plane.size(), -1.0f);
        int asked = 0;
        const auto source = [&](int y, std::span<float> row) {
            EXPECT_EQ(y, asked++);
            std::copy_n(plane.begin() + static_cast<std::ptrdiff_t>(y * cols), cols, row.begin());
            return true;
        };
        const int half = cols / 2;
        const auto sink = [&](int k, std::span<float> low, std::span<float> high) {
            std::copy_n(low.begin(), cols, streamed.begin() + static_cast<std::ptrdiff_t>(k * cols));
            std::copy_n(high.begin(), cols, streamed.begin() + static_cast<std::ptrdiff_t>((rows / 2 + k) * cols));
        };
        ASSERT_TRUE(ForwardLevelByRows(rows, cols, source, sink));
        std::vector<float> lineBuffer;
        ASSERT_TRUE(ForwardLevel(plane, width, rows, cols, lineBuffer));
        ASSERT_EQ(0, std::memcmp(plane.data(), streamed.data(), plane.size() * sizeof(float)))
            << rows << "x" << cols << " (LL width " << half << ")";
    }
}

TEST(ForwardLevelRowsTest, FailingSourceOrInvalidSideStopsTheLevel)
{
    int sunk = 0;
    const auto sink = [&](int, std::span<float>, std::span<float>) { ++sunk; };
    const auto failsAtRow6 = [](int y, std::span<float> row) {
        std::fill(row.begin(), row.end(), 1.0f);
        return y != 6;
    };
    EXPECT_FALSE(ForwardLevelByRows(16, 8, failsAtRow6, sink));
    EXPECT_LT(sunk, 8);
    const auto fine = [](int, std::span<float> row) {
        std::fill(row.begin(), row.end(), 1.0f);
        return true;
    };
    EXPECT_FALSE(ForwardLevelByRows(6, 5, fine, sink));
    EXPECT_FALSE(ForwardLevelByRows(2, 8, fine, sink));
}

} // namespace
} // namespace tamr
