#include <gtest/gtest.h>

#include <random>

#include "image/InverseColourMap.h"
#include "support/QuantiseTestImage.h"

namespace tamr {
namespace {

using test::NearestToCellCentre;

std::vector<ColourTriple> RandomPalette(std::mt19937& random, std::size_t size)
{
    std::vector<ColourTriple> palette(size);
    for (ColourTriple& colour : palette)
        colour = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                  static_cast<std::uint8_t>(random())};
    return palette;
}

TEST(InverseColourMapTest, LazyFillsAlwaysGiveTheNearestColourOfTheCellCentre)
{
    // The candidate pruning may only leave out colours that cannot win: the
    // map must agree with a search over the whole palette for every colour.
    std::mt19937 random(1234);
    for (const std::size_t size : {1u, 2u, 3u, 17u, 100u, 256u}) {
        for (int round = 0; round < 3; ++round) {
            const auto palette = RandomPalette(random, size);
            ColourCells cells;
            for (int i = 0; i < 4000; ++i) {
                const int b = static_cast<int>(random() % 256);
                const int g = static_cast<int>(random() % 256);
                const int r = static_cast<int>(random() % 256);
                ASSERT_EQ(PaletteIndexFor(cells, b, g, r, palette), NearestToCellCentre(b, g, r, palette))
                    << "palette of " << size << " at (" << b << ", " << g << ", " << r << ")";
            }
        }
    }
}

TEST(InverseColourMapTest, ClusteredPalettesAndTiesKeepTheEarliestColour)
{
    // Colours close together (and repeated ones) make the pruning and the tie
    // rule matter: equal distances go to the earlier entry.
    std::mt19937 random(99);
    std::vector<ColourTriple> palette;
    for (int i = 0; i < 64; ++i)
        palette.push_back({static_cast<std::uint8_t>(96 + random() % 32), static_cast<std::uint8_t>(96 + random() % 32),
                           static_cast<std::uint8_t>(96 + random() % 32)});
    palette.push_back(palette[10]);
    palette.push_back({0, 0, 0});
    palette.push_back({0, 0, 0});
    ColourCells cells;
    for (int b = 0; b < 256; b += 5)
        for (int g = 0; g < 256; g += 3)
            for (int r = 0; r < 256; r += 7)
                ASSERT_EQ(PaletteIndexFor(cells, b, g, r, palette), NearestToCellCentre(b, g, r, palette));
    // The repeated entries are never chosen.
    for (int b = 0; b < 256; b += 8)
        for (int g = 0; g < 256; g += 4)
            for (int r = 0; r < 256; r += 8)
                ASSERT_NE(PaletteIndexFor(cells, b, g, r, palette), 64u);
    EXPECT_EQ(PaletteIndexFor(cells, 0, 0, 0, palette), 65u);
}

TEST(InverseColourMapTest, AFillSetsTheWholeAlignedBlockWhateverItHeld)
{
    const std::vector<ColourTriple> palette{{0, 0, 0}, {255, 255, 255}};
    ColourCells cells;
    // Cell (5, 13, 6) lies in the block from (4, 8, 4) to (7, 15, 7).
    cells.At(4, 8, 4) = 200; // left over from a box number
    FillInverseBlock(cells, CellPosition{5, 13, 6}, palette);
    for (int b = 4; b < 8; ++b)
        for (int g = 8; g < 16; ++g)
            for (int r = 4; r < 8; ++r)
                EXPECT_EQ(cells.At(b, g, r), NearestToCellCentre(8 * b, 4 * g, 8 * r, palette) + 1);
    EXPECT_EQ(cells.At(3, 8, 4), 0u);
    EXPECT_EQ(cells.At(4, 16, 4), 0u);
    EXPECT_EQ(cells.At(4, 8, 8), 0u);
}

TEST(InverseColourMapTest, ACellAlreadyDecidedIsNotSearchedAgain)
{
    const std::vector<ColourTriple> palette{{0, 0, 0}, {255, 255, 255}};
    ColourCells cells;
    cells.At(CellOf(250, 250, 250)) = 1; // a box number: palette index 0
    EXPECT_EQ(PaletteIndexFor(cells, 250, 250, 250, palette), 0u);
    EXPECT_EQ(PaletteIndexFor(cells, 240, 250, 250, palette), 1u); // another cell of the block: filled
    EXPECT_EQ(cells.At(CellOf(250, 250, 250)), 2u);                // the fill replaced the box number
}

} // namespace
} // namespace tamr
