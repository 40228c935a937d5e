#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "image/PaletteMapping.h"
#include "support/QuantiseTestImage.h"

namespace tamr {
namespace {

using test::NearestToCellCentre;
using test::QuantiseTestImage;

QuantiseImage ViewOf(QuantiseTestImage& image)
{
    return {image.source, image.index, image.width, image.height};
}

int ExpectedLimit(int x)
{
    const int size = std::abs(x);
    const int limited = size <= 15 ? size : (size <= 47 ? 16 + (size - 16) / 2 : 32);
    return x < 0 ? -limited : limited;
}

// Floyd-Steinberg written out over a whole image of incoming errors: pixel
// (x, y) collects sixteenths from the row before, and the previous pixel of
// its row hands on 7/16. Rows alternate direction, starting left to right.
std::vector<std::uint8_t> ReferenceDither(const QuantiseTestImage& image, std::span<const ColourTriple> palette)
{
    const auto w = static_cast<int>(image.width);
    const auto h = static_cast<int>(image.height);
    std::vector<std::array<int, 3>> fromAbove(static_cast<std::size_t>(w * h), {0, 0, 0});
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(w * h));
    auto at = [w](int x, int y) { return static_cast<std::size_t>(y * w + x); };
    for (int y = 0; y < h; ++y) {
        const int step = y % 2 == 0 ? 1 : -1;
        std::array<int, 3> carried{0, 0, 0};
        for (int n = 0; n < w; ++n) {
            const int x = step > 0 ? n : w - 1 - n;
            const ColourTriple pixel = image.Get(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
            std::array<int, 3> value{};
            for (std::size_t c = 0; c < 3; ++c) {
                const int incoming = (carried[c] + fromAbove[at(x, y)][c] + 8) >> 4;
                value[c] = std::clamp(ExpectedLimit(incoming) + pixel[c], 0, 255);
            }
            const std::size_t index = NearestToCellCentre(value[0], value[1], value[2], palette);
            indices[at(x, y)] = static_cast<std::uint8_t>(index);
            for (std::size_t c = 0; c < 3; ++c) {
                const int error = value[c] - palette[index][c];
                carried[c] = 7 * error;
                if (y + 1 == h)
                    continue;
                if (x - step >= 0 && x - step < w)
                    fromAbove[at(x - step, y + 1)][c] += 3 * error;
                fromAbove[at(x, y + 1)][c] += 5 * error;
                if (x + step >= 0 && x + step < w)
                    fromAbove[at(x + step, y + 1)][c] += error;
            }
        }
    }
    return indices;
}

std::vector<std::uint8_t> MappedIndices(const QuantiseTestImage& image)
{
    std::vector<std::uint8_t> indices;
    for (std::size_t y = 0; y < image.height; ++y)
        for (std::size_t x = 0; x < image.width; ++x)
            indices.push_back(image.Index(x, y));
    return indices;
}

std::vector<std::uint8_t> Dither(QuantiseTestImage& image, std::span<const ColourTriple> palette)
{
    ColourCells cells;
    std::vector<ErrorEntry> errorRow(image.width + 2);
    MapDithered(ViewOf(image), cells, palette, ErrorLimitTable(), errorRow);
    return MappedIndices(image);
}

TEST(PaletteMappingTest, ErrorLimitTablePassesSmallErrorsHalvesMiddlingOnesAndCapsLargeOnes)
{
    const ErrorLimitTable limit;
    EXPECT_EQ(limit(0), 0);
    EXPECT_EQ(limit(1), 1);
    EXPECT_EQ(limit(15), 15);
    EXPECT_EQ(limit(16), 16);
    EXPECT_EQ(limit(17), 16);
    EXPECT_EQ(limit(18), 17);
    EXPECT_EQ(limit(46), 31);
    EXPECT_EQ(limit(47), 31);
    EXPECT_EQ(limit(48), 32);
    EXPECT_EQ(limit(255), 32);
    for (int x = -255; x <= 255; ++x) {
        ASSERT_EQ(limit(x), -limit(-x)) << x;
        if (x > -255) {
            ASSERT_GE(limit(x), limit(x - 1)) << x;
        }
    }
}

TEST(PaletteMappingTest, PlainMappingGivesEqualPixelsEqualIndicesAndLeavesPadsAlone)
{
    const std::span<const ColourTriple> palette = FixedColourTable();
    for (std::size_t width = 1; width <= 5; ++width) {
        QuantiseTestImage image(width, 3, {77, 77, 77});
        image.Set(0, 1, {0, 0, 255});
        ColourCells cells;
        MapPlain(ViewOf(image), cells, palette);
        EXPECT_EQ(image.Index(0, 1), 252);
        const std::uint8_t flat = image.Index(width - 1, 0);
        EXPECT_EQ(flat, NearestToCellCentre(77, 77, 77, palette));
        for (std::size_t y = 0; y < 3; ++y)
            for (std::size_t x = 0; x < width; ++x)
                if (x != 0 || y != 1) {
                    EXPECT_EQ(image.Index(x, y), flat);
                }
        EXPECT_TRUE(image.PadsUntouched()) << width;
    }
}

TEST(PaletteMappingTest, DitheringMatchesFloydSteinbergWrittenOutOverTheWholeImage)
{
    // Noisy pictures with hard edges push the diffused values past both ends
    // of the byte range, so clamping, the limit table and the serpentine scan
    // all take part.
    std::mt19937 random(2024);
    for (const auto& [width, height] : {std::pair{1, 4}, {2, 3}, {3, 5}, {4, 4}, {7, 6}, {33, 17}}) {
        QuantiseTestImage image(static_cast<std::size_t>(width), static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool extreme = random() % 3 == 0;
                auto channel = [&] {
                    return static_cast<std::uint8_t>(extreme ? (random() % 2 ? 255 - random() % 8 : random() % 8)
                                                             : random() % 256);
                };
                image.Set(static_cast<std::size_t>(x), static_cast<std::size_t>(y), {channel(), channel(), channel()});
            }
        const std::vector<ColourTriple> twoColours{{0, 0, 0}, {255, 255, 255}};
        EXPECT_EQ(Dither(image, FixedColourTable()), ReferenceDither(image, FixedColourTable()))
            << width << " x " << height;
        EXPECT_EQ(Dither(image, twoColours), ReferenceDither(image, twoColours)) << width << " x " << height;
        EXPECT_TRUE(image.PadsUntouched());
    }
}

TEST(PaletteMappingTest, DiffusedValuesAreClampedBeforeTheLookupAndTheError)
{
    const std::vector<ColourTriple> blackAndWhite{{0, 0, 0}, {255, 255, 255}};

    // Pixel 0 (200) becomes white with error -55; pixel 1 receives
    // E((7·-55 + 8) >> 4) = E(-24) = -20, so 10 - 20 = -10, clamped to 0: black
    // with error 0. Pixel 2 (128, cell centre 132) therefore stays white; had
    // the error of -10 been passed on, it would have become 124 and black.
    QuantiseTestImage low(3, 1);
    low.Set(0, 0, {200, 200, 200});
    low.Set(1, 0, {10, 10, 10});
    low.Set(2, 0, {128, 128, 128});
    EXPECT_EQ(Dither(low, blackAndWhite), (std::vector<std::uint8_t>{1, 0, 1}));

    // The mirror image: 245 + 20 = 265 is clamped to 255 with error 0, so 127
    // (cell centre 124) stays black instead of becoming 131 and white.
    QuantiseTestImage high(3, 1);
    high.Set(0, 0, {55, 55, 55});
    high.Set(1, 0, {245, 245, 245});
    high.Set(2, 0, {127, 127, 127});
    EXPECT_EQ(Dither(high, blackAndWhite), (std::vector<std::uint8_t>{0, 1, 0}));
}

TEST(PaletteMappingTest, OddRowsRunRightToLeft)
{
    // Row 0 holds exact palette colours and passes nothing down. Row 1 starts
    // at its right end: 100 there becomes black with error 100, and its left
    // neighbour receives E((700 + 8) >> 4) = E(44) = 30, so 130: white.
    const std::vector<ColourTriple> blackAndWhite{{0, 0, 0}, {255, 255, 255}};
    QuantiseTestImage image(2, 2, {100, 100, 100});
    image.Set(0, 0, {0, 0, 0});
    image.Set(1, 0, {0, 0, 0});
    EXPECT_EQ(Dither(image, blackAndWhite), (std::vector<std::uint8_t>{0, 0, 1, 0}));
}

} // namespace
} // namespace tamr
