#include <gtest/gtest.h>

#include <random>
#include <set>

#include "image/PaletteBuilder.h"
#include "support/QuantiseTestImage.h"

namespace tamr {
namespace {

using test::NearestToCellCentre;
using test::QuantiseTestImage;

struct Quantised {
    std::size_t count = 0;
    std::array<ColourTriple, 256> palette{};
};

Quantised Quantise(CPaletteBuilder& builder, QuantiseTestImage& image, bool dither, bool fixed,
                   std::size_t desired = 256)
{
    Quantised result;
    result.count =
        builder.Quantise(image.source, image.index, dither, fixed, result.palette, desired, image.width, image.height);
    return result;
}

std::set<std::uint8_t> IndicesUsed(const QuantiseTestImage& image)
{
    std::set<std::uint8_t> used;
    for (std::size_t y = 0; y < image.height; ++y)
        for (std::size_t x = 0; x < image.width; ++x)
            used.insert(image.Index(x, y));
    return used;
}

TEST(PaletteBuilderTest, OneColourGivesOneCustomColourTheCellCentreAverage)
{
    for (const bool dither : {false, true}) {
        CPaletteBuilder builder;
        QuantiseTestImage image(9, 7, {10, 100, 201});
        const Quantised result = Quantise(builder, image, dither, false);
        ASSERT_EQ(result.count, 1u);
        // Cell (1, 25, 25): centre (12, 102, 204), not the pixel value itself.
        EXPECT_EQ(result.palette[0], (ColourTriple{12, 102, 204}));
        EXPECT_EQ(IndicesUsed(image), std::set<std::uint8_t>{0});
        EXPECT_EQ(builder.ColourCount(), 1u);
    }
}

TEST(PaletteBuilderTest, FewOccupiedCellsGiveOneColourPerCellAndNoMore)
{
    // 40 colours in 40 different cells: no box of volume 0 is cut, so 40
    // colours, each the centre of its pixel's cell, and each pixel maps to it.
    std::mt19937 random(3);
    QuantiseTestImage image(20, 10);
    std::vector<ColourTriple> colours;
    std::set<std::tuple<int, int, int>> cells;
    while (colours.size() < 40) {
        const ColourTriple colour{static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                                  static_cast<std::uint8_t>(random())};
        if (cells.insert({colour[0] >> 3, colour[1] >> 2, colour[2] >> 3}).second)
            colours.push_back(colour);
    }
    for (std::size_t y = 0; y < 10; ++y)
        for (std::size_t x = 0; x < 20; ++x)
            image.Set(x, y, colours[(x + 20 * y) % colours.size()]);
    CPaletteBuilder builder;
    const Quantised result = Quantise(builder, image, false, false);
    ASSERT_EQ(result.count, 40u);
    for (std::size_t y = 0; y < 10; ++y)
        for (std::size_t x = 0; x < 20; ++x) {
            const ColourTriple pixel = image.Get(x, y);
            const ColourTriple centre{static_cast<std::uint8_t>((pixel[0] >> 3) * 8 + 4),
                                      static_cast<std::uint8_t>((pixel[1] >> 2) * 4 + 2),
                                      static_cast<std::uint8_t>((pixel[2] >> 3) * 8 + 4)};
            ASSERT_LT(image.Index(x, y), 40);
            EXPECT_EQ(result.palette[image.Index(x, y)], centre);
        }
    for (const ColourBox& box : builder.Boxes())
        EXPECT_EQ(box.volume, 0u);
}

TEST(PaletteBuilderTest, ManyColoursGiveTheFull256)
{
    std::mt19937 random(8);
    QuantiseTestImage image(64, 64);
    for (std::size_t y = 0; y < 64; ++y)
        for (std::size_t x = 0; x < 64; ++x)
            image.Set(x, y,
                      {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                       static_cast<std::uint8_t>(random())});
    CPaletteBuilder builder;
    const Quantised result = Quantise(builder, image, false, false);
    EXPECT_EQ(result.count, 256u);
    EXPECT_EQ(builder.Boxes().size(), 256u);
    // Plain mapping of a custom palette: each pixel gets the colour of the box holding its cell.
    for (std::size_t y = 0; y < 64; y += 7)
        for (std::size_t x = 0; x < 64; x += 5) {
            const ColourTriple pixel = image.Get(x, y);
            const ColourBox& box = builder.Boxes()[image.Index(x, y)];
            EXPECT_TRUE((pixel[0] >> 3) >= box.blueMin && (pixel[0] >> 3) <= box.blueMax);
            EXPECT_TRUE((pixel[1] >> 2) >= box.greenMin && (pixel[1] >> 2) <= box.greenMax);
            EXPECT_TRUE((pixel[2] >> 3) >= box.redMin && (pixel[2] >> 3) <= box.redMax);
        }
}

TEST(PaletteBuilderTest, WidthsOneToFourReadAndWriteOnlyTheirPixels)
{
    // Source pads 1, 2, 3, 0 and index pads 3, 2, 1, 0: the source pads hold a
    // marker colour that must not be counted, the index pads a marker that
    // must survive, and the buffers are exactly as long as the rows need.
    for (std::size_t width = 1; width <= 4; ++width) {
        for (const bool dither : {false, true}) {
            QuantiseTestImage image(width, 3, {0, 0, 0});
            EXPECT_EQ(image.source.size(), 3 * (3 * width + width % 4));
            EXPECT_EQ(image.index.size(), 3 * (width + (4 - width % 4) % 4));
            CPaletteBuilder builder;
            const Quantised result = Quantise(builder, image, dither, false);
            EXPECT_EQ(result.count, 1u) << width;
            EXPECT_EQ(result.palette[0], (ColourTriple{4, 2, 4}));
            EXPECT_EQ(IndicesUsed(image), std::set<std::uint8_t>{0});
            EXPECT_TRUE(image.PadsUntouched()) << width;
        }
    }
}

TEST(PaletteBuilderTest, PureRedMapsToEntry252OfTheFixedTable)
{
    for (const bool dither : {false, true}) {
        CPaletteBuilder builder;
        QuantiseTestImage image(5, 3, {0, 0, 255});
        const Quantised result = Quantise(builder, image, dither, true);
        EXPECT_EQ(result.count, 256u);
        EXPECT_EQ(IndicesUsed(image), std::set<std::uint8_t>{252});
        EXPECT_EQ(FixedColourTable()[252], (ColourTriple{0, 0, 255}));
        // The custom palette buffer is not touched by the fixed table.
        EXPECT_EQ(result.palette[0], (ColourTriple{0, 0, 0}));
    }
}

TEST(PaletteBuilderTest, FixedPaletteMapsEveryPixelToTheNearestColourOfItsCell)
{
    std::mt19937 random(77);
    QuantiseTestImage image(61, 23);
    for (std::size_t y = 0; y < image.height; ++y)
        for (std::size_t x = 0; x < image.width; ++x)
            image.Set(x, y,
                      {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                       static_cast<std::uint8_t>(random())});
    CPaletteBuilder builder;
    ASSERT_EQ(Quantise(builder, image, false, true).count, 256u);
    for (std::size_t y = 0; y < image.height; ++y)
        for (std::size_t x = 0; x < image.width; ++x) {
            const ColourTriple pixel = image.Get(x, y);
            ASSERT_EQ(image.Index(x, y), NearestToCellCentre(pixel[0], pixel[1], pixel[2], FixedColourTable()));
        }
    EXPECT_TRUE(image.PadsUntouched());
}

TEST(PaletteBuilderTest, DitheringMixesIndicesOverAFlatColourThePaletteLacks)
{
    // Gray 77 lies between the fixed table's 51 and 102 grays.
    QuantiseTestImage plain(32, 32, {77, 77, 77});
    QuantiseTestImage dithered = plain;
    CPaletteBuilder builder;
    ASSERT_EQ(Quantise(builder, plain, false, true).count, 256u);
    ASSERT_EQ(Quantise(builder, dithered, true, true).count, 256u);
    EXPECT_EQ(IndicesUsed(plain).size(), 1u);
    EXPECT_GE(IndicesUsed(dithered).size(), 2u);

    // The diffusion keeps the average close to the picture's colour; plain mapping cannot.
    std::array<double, 3> sum{};
    for (std::size_t y = 0; y < 32; ++y)
        for (std::size_t x = 0; x < 32; ++x)
            for (std::size_t c = 0; c < 3; ++c)
                sum[c] += FixedColourTable()[dithered.Index(x, y)][c];
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_NEAR(sum[c] / (32 * 32), 77.0, 3.0) << c;
    const ColourTriple flat = FixedColourTable()[plain.Index(0, 0)];
    EXPECT_GT(std::abs(flat[0] - 77) + std::abs(flat[1] - 77) + std::abs(flat[2] - 77), 20);
}

TEST(PaletteBuilderTest, InvalidArgumentsGiveZeroAndWriteNothing)
{
    CPaletteBuilder builder;
    QuantiseTestImage image(5, 4, {1, 2, 3});
    std::array<ColourTriple, 256> palette{};
    auto quantise = [&](std::span<const std::uint8_t> source, std::span<std::uint8_t> index,
                        std::span<ColourTriple> custom, std::size_t desired, std::size_t width, std::size_t height) {
        return builder.Quantise(source, index, false, false, custom, desired, width, height);
    };
    EXPECT_EQ(quantise(image.source, image.index, palette, 256, 0, 4), 0u);
    EXPECT_EQ(quantise(image.source, image.index, palette, 256, 5, 0), 0u);
    EXPECT_EQ(quantise(image.source, image.index, palette, 0, 5, 4), 0u);
    EXPECT_EQ(quantise(image.source, image.index, palette, 257, 5, 4), 0u);
    EXPECT_EQ(quantise({}, image.index, palette, 256, 5, 4), 0u);
    EXPECT_EQ(quantise(image.source, {}, palette, 256, 5, 4), 0u);
    EXPECT_EQ(quantise(std::span(image.source).first(image.source.size() - 1), image.index, palette, 256, 5, 4), 0u);
    EXPECT_EQ(quantise(image.source, std::span(image.index).first(image.index.size() - 1), palette, 256, 5, 4), 0u);
    EXPECT_EQ(quantise(image.source, image.index, std::span(palette).first(255), 256, 5, 4), 0u);
    EXPECT_EQ(quantise(image.source, image.index, {}, 256, 5, 4), 0u);
    EXPECT_EQ(palette[0], (ColourTriple{0, 0, 0}));
    EXPECT_EQ(image.index, std::vector<std::uint8_t>(image.index.size(), test::kIndexPadMarker));

    // A fixed table needs no palette buffer, and fewer colours wanted means a shorter table.
    EXPECT_EQ(builder.Quantise(image.source, image.index, false, true, {}, 8, 5, 4), 8u);
    EXPECT_LT(*IndicesUsed(image).rbegin(), 8);
}

} // namespace
} // namespace tamr
