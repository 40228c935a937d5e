#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "codec/QualityFactor.h"
#include "image/DibImage.h"
#include "image/FixedColourTable.h"
#include "image/ImageCompression.h"
#include "image/PackedImageBlock.h"
#include "image/PaletteBuilder.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

DisplaySettings PaletteScreen(bool fixed = false, bool dither = false)
{
    DisplaySettings display;
    display.paletteDisplay = true;
    display.fixedPalette = fixed;
    display.customPalette = !fixed;
    display.ditherEnabled = dither;
    return display;
}

using Pixel = std::array<std::uint8_t, 3>; // blue, green, red

// A 24-bit BMP whose pixel (x, y) (y counted in memory order) is colour(x, y).
template <typename Colour> std::vector<std::uint8_t> ColourBmp(int width, int height, Colour colour)
{
    test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Pixel pixel = colour(x, y);
            layout.rows.insert(layout.rows.end(), pixel.begin(), pixel.end());
        }
        layout.rows.insert(layout.rows.end(), static_cast<std::size_t>((4 - (width * 3) % 4) % 4), 0);
    }
    return test::BuildBmp(layout);
}

std::vector<std::uint8_t> ShadedBmp(int width, int height)
{
    return ColourBmp(width, height, [](int x, int y) {
        return Pixel{static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.2)),
                     static_cast<std::uint8_t>(128 + 100 * std::cos(y * 0.15)), static_cast<std::uint8_t>(x + 2 * y)};
    });
}

std::vector<std::uint8_t> GrayBmp(int width, int height)
{
    test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = 8;
    layout.table = test::GrayRamp();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < (width + 3) / 4 * 4; ++x)
            layout.rows.push_back(static_cast<std::uint8_t>(x * 9 + y));
    return test::BuildBmp(layout);
}

CDibImage Load(const std::vector<std::uint8_t>& file, const DisplaySettings& display)
{
    CDibImage image;
    ScriptedPrompter prompter;
    EXPECT_TRUE(image.ReadBmp(file, prompter, display, Limits{}));
    return image;
}

Pixel WorkingPixel(const CDibImage& image, int x, int y)
{
    const std::size_t at = static_cast<std::size_t>(y) * (image.Width() * 3u + image.RowPad()) + 3u * x;
    return {image.Pixels()[at], image.Pixels()[at + 1], image.Pixels()[at + 2]};
}

std::uint8_t IndexAt(const CDibImage& image, int x, int y)
{
    return image.IndexPixels()[static_cast<std::size_t>(y) * (image.Width() + image.IndexRowPad()) + x];
}

Pixel TableColour(const CDibImage& image, std::uint8_t index)
{
    const RgbQuad entry = image.ColourTable()[index];
    return {entry.blue, entry.green, entry.red};
}

bool AllZero(std::span<const std::uint8_t> bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

CodecSettings SettingsFor(int quality, int levels = 5, bool subsampledChroma = false)
{
    CodecSettings settings;
    settings.totalLevels = static_cast<std::int16_t>(levels);
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    if (subsampledChroma) {
        settings.component(kComponentB).sampleLevels = 1;
        settings.component(kComponentC).sampleLevels = 1;
    }
    return settings;
}

// The index image and the colour table are those the quantiser makes of the working image as it is now.
void ExpectIndexImageOfTheWorkingImage(const CDibImage& image, const DisplaySettings& display)
{
    std::vector<std::uint8_t> indices(image.IndexPixels().size(), 0);
    std::array<ColourTriple, 256> palette{};
    CPaletteBuilder builder;
    const std::size_t count = builder.Quantise(image.Pixels(), indices, display.ditherEnabled, display.fixedPalette,
                                               palette, 256, image.Width(), image.Height());
    ASSERT_GT(count, 0u);
    EXPECT_TRUE(std::equal(indices.begin(), indices.end(), image.IndexPixels().begin()));
    const auto& table = display.fixedPalette ? FixedColourTable() : palette;
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_EQ(TableColour(image, static_cast<std::uint8_t>(i)), (Pixel{table[i][0], table[i][1], table[i][2]}));
}

TEST(DibImageDisplayTest, ColourBmpOnAPaletteScreenGetsACustomPaletteAndIndexImage)
{
    // 30 colours: the custom palette holds their cell centres, within 4 of each pixel.
    const auto file = ColourBmp(13, 9, [](int x, int y) {
        const int n = (x + 13 * y) % 30;
        return Pixel{static_cast<std::uint8_t>(n * 8), static_cast<std::uint8_t>(255 - n * 8),
                     static_cast<std::uint8_t>(n * 3 * 8 % 256)};
    });
    const CDibImage image = Load(file, PaletteScreen());
    EXPECT_EQ(image.PaletteBuilder().ColourCount(), 30u);
    ExpectIndexImageOfTheWorkingImage(image, PaletteScreen());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const Pixel pixel = WorkingPixel(image, x, y);
            const Pixel shown = TableColour(image, IndexAt(image, x, y));
            for (std::size_t c = 0; c < 3; ++c)
                ASSERT_LE(std::abs(pixel[c] - shown[c]), 4) << x << ", " << y;
        }
    // Entries beyond the custom colours keep the fixed table set before.
    const auto& fixed = FixedColourTable();
    EXPECT_EQ(TableColour(image, 255), (Pixel{fixed[255][0], fixed[255][1], fixed[255][2]}));
    // The reference copy is of the working image, not of the index image.
    EXPECT_TRUE(std::equal(image.Pixels().begin(), image.Pixels().end(), image.ReferencePixels().begin()));
}

TEST(DibImageDisplayTest, FixedPaletteScreenUsesTheFixedTable)
{
    const auto file = ColourBmp(6, 5, [](int, int) { return Pixel{0, 0, 255}; });
    const CDibImage image = Load(file, PaletteScreen(true));
    for (std::size_t i = 0; i < kColourTableEntries; ++i) {
        const auto& fixed = FixedColourTable()[i];
        ASSERT_EQ(TableColour(image, static_cast<std::uint8_t>(i)), (Pixel{fixed[0], fixed[1], fixed[2]}));
    }
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(IndexAt(image, x, y), 252);
}

TEST(DibImageDisplayTest, WithoutAPaletteScreenNoIndexImageIsBuilt)
{
    const CDibImage image = Load(ShadedBmp(7, 4), DisplaySettings{});
    EXPECT_TRUE(image.IndexPixels().empty());
    EXPECT_EQ(image.PaletteBuilder().ColourCount(), 0u);

    // A gray image has no index image at all, palette screen or not.
    CDibImage gray = Load(GrayBmp(5, 3), PaletteScreen());
    EXPECT_TRUE(gray.IndexPixels().empty());
    EXPECT_FALSE(gray.BuildIndexImage(PaletteScreen()));
    EXPECT_EQ(TableColour(gray, 200), (Pixel{200, 200, 200}));
}

TEST(DibImageDisplayTest, IndexedColourBmpIsExpandedBeforeItIsQuantised)
{
    // An 8-bit colour file keeps its indices in the index image only until
    // they are expanded; then the quantiser's indices replace them.
    test::BmpLayout layout;
    layout.width = 5;
    layout.height = 2;
    layout.bits = 8;
    layout.table = {RgbQuad{0, 0, 250, 0}, RgbQuad{250, 0, 0, 0}};
    layout.rows = {1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const CDibImage image = Load(test::BuildBmp(layout), PaletteScreen(true));
    EXPECT_EQ(image.ExpandedFromIndexed(), kExpandedFromIndexed);
    EXPECT_EQ(WorkingPixel(image, 0, 0), (Pixel{250, 0, 0}));
    EXPECT_EQ(IndexAt(image, 0, 0), 249); // (255, 0, 0) in the fixed table
    EXPECT_EQ(IndexAt(image, 0, 1), 252); // (0, 0, 255)
}

TEST(DibImageDisplayTest, PackedBlocksGetTheirIndexImageToo)
{
    const auto file = ColourBmp(3, 2, [](int x, int) {
        return Pixel{0, 0, static_cast<std::uint8_t>(x == 0 ? 255 : 0)};
    });
    // The packed block is the BMP without its file header and with 4 spare bytes after the table.
    std::vector<std::uint8_t> block(file.begin() + 14, file.begin() + 54);
    block.insert(block.end(), 4, 0);
    block.insert(block.end(), file.begin() + 54, file.end());
    CDibImage image;
    ScriptedPrompter prompter;
    ASSERT_TRUE(image.LoadPackedBlock(block, prompter, PaletteScreen(true), Limits{}));
    EXPECT_EQ(IndexAt(image, 0, 0), 252);
    EXPECT_EQ(IndexAt(image, 1, 0), 0);
}

TEST(DibImageDisplayTest, DecodedImagesBuildTheirIndexImageAfterConverting)
{
    for (const int quality : {50, 100}) {
        const CodecSettings settings = SettingsFor(quality);
        CDibImage source = Load(ShadedBmp(40, 36), DisplaySettings{});
        WaveletCodec codec(settings, source.Width(), source.Height(), 24, true);
        // Compressing on a palette screen rebuilds the index image from the decoded pixels.
        const auto before = std::vector<std::uint8_t>(source.Pixels().begin(), source.Pixels().end());
        ASSERT_TRUE(CompressImage(source, codec, settings, PaletteScreen(false, true)).has_value());
        if (quality != 100) {
            ASSERT_FALSE(std::equal(before.begin(), before.end(), source.Pixels().begin()));
        }
        ExpectIndexImageOfTheWorkingImage(source, PaletteScreen(false, true));

        // A COD file opened on a palette screen: fixed table first, then the index image.
        const auto file = codec.WriteHeader();
        WaveletCodec reader{CodecSettings()};
        ASSERT_TRUE(reader.ReadHeader(file));
        CDibImage decoded;
        ASSERT_TRUE(DecodeCodImage(decoded, reader, PaletteScreen(true)));
        EXPECT_TRUE(std::equal(decoded.Pixels().begin(), decoded.Pixels().end(), source.Pixels().begin()));
        EXPECT_FALSE(AllZero(decoded.IndexPixels()));
        ExpectIndexImageOfTheWorkingImage(decoded, PaletteScreen(true));

        // Without a palette screen nothing draws an index image: none is kept.
        CDibImage plain;
        ASSERT_TRUE(reader.ReadHeader(file));
        ASSERT_TRUE(DecodeCodImage(plain, reader, DisplaySettings{}));
        EXPECT_TRUE(std::equal(plain.Pixels().begin(), plain.Pixels().end(), source.Pixels().begin()));
        EXPECT_TRUE(plain.IndexPixels().empty());
        EXPECT_FALSE(plain.BuildIndexImage(PaletteScreen(true)));
    }
}

TEST(DibImageDisplayTest, IndexImageFollowsAnEditWithTheChosenPalette)
{
    CDibImage image = Load(ColourBmp(4, 4, [](int, int) { return Pixel{0, 0, 255}; }), PaletteScreen());
    ASSERT_EQ(image.PaletteBuilder().ColourCount(), 1u);
    // A filter turns the picture blue in place.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * 12 + 3u * x;
            image.Pixels()[at] = 255;
            image.Pixels()[at + 2] = 0;
        }
    // With the fixed table chosen since, the table is reset to it and indices follow.
    image.SetDefaultPalette();
    ASSERT_TRUE(image.BuildIndexImage(PaletteScreen(true)));
    EXPECT_EQ(TableColour(image, 0), (Pixel{0, 0, 0}));
    EXPECT_EQ(IndexAt(image, 2, 3), 249);

    image.SetDefaultPalette();
    ASSERT_TRUE(image.BuildIndexImage(PaletteScreen()));
    EXPECT_EQ(TableColour(image, 0), (Pixel{252, 2, 4}));
    EXPECT_EQ(TableColour(image, 1), (Pixel{128, 0, 0})); // the fixed table behind the one custom colour
    EXPECT_EQ(IndexAt(image, 2, 3), 0);
}

TEST(DibImageDisplayTest, IndexBmpReadsBackAsThePictureTheScreenShows)
{
    const CDibImage image = Load(ShadedBmp(11, 7), PaletteScreen(false, true));
    const auto file = image.WriteIndexBmp();
    ASSERT_EQ(file.size(), 1078u + 12u * 7u);
    ScriptedPrompter prompter;
    CDibImage shown;
    ASSERT_TRUE(shown.ReadBmp(file, prompter, DisplaySettings{}, Limits{}));
    EXPECT_EQ(shown.ExpandedFromIndexed(), kExpandedFromIndexed);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(WorkingPixel(shown, x, y), TableColour(image, IndexAt(image, x, y)));

    EXPECT_TRUE(Load(GrayBmp(4, 4), PaletteScreen()).WriteIndexBmp().empty());
}

// Decodes the picture's COD data with a level callback that shows every level.
struct LevelRecord {
    int level;
    int width;
    int height;
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t> indices;
};

std::vector<LevelRecord> DecodeShowingLevels(const CDibImage& source, const CodecSettings& settings,
                                             const DisplaySettings& display, CDibImage& decoded)
{
    CDibImage copy = source;
    WaveletCodec codec(settings, source.Width(), source.Height(), source.BitsPerPixel(), source.IsColour() == 1);
    EXPECT_TRUE(CompressImage(copy, codec, settings, DisplaySettings{}).has_value());
    WaveletCodec reader{CodecSettings()};
    EXPECT_TRUE(reader.ReadHeader(codec.WriteHeader()));
    CDibImage levelImage;
    EXPECT_TRUE(levelImage.AllocateForLevelDisplay(reader));
    std::vector<LevelRecord> records;
    auto onLevel = [&](int n, const WaveletCodec& partly) {
        EXPECT_TRUE(levelImage.ShowLevel(partly, n, display));
        records.push_back(
            {n, levelImage.Width(), levelImage.Height(),
             std::vector<std::uint8_t>(levelImage.Pixels().begin(), levelImage.Pixels().end()),
             std::vector<std::uint8_t>(levelImage.IndexPixels().begin(), levelImage.IndexPixels().end())});
        EXPECT_EQ(levelImage.FullWidth(), source.Width());
        EXPECT_EQ(levelImage.FullHeight(), source.Height());
    };
    EXPECT_TRUE(DecodeCodImage(decoded, reader, display, onLevel));
    return records;
}

TEST(DibImageDisplayTest, EveryLevelButTheLastIsShownReduced)
{
    const CDibImage source = Load(ShadedBmp(100, 60), DisplaySettings{});
    CDibImage decoded;
    const auto records = DecodeShowingLevels(source, SettingsFor(60, 4), PaletteScreen(), decoded);
    ASSERT_EQ(records.size(), 4u);
    for (int n = 0; n < 4; ++n) {
        const LevelRecord& record = records[static_cast<std::size_t>(n)];
        EXPECT_EQ(record.level, n);
        EXPECT_EQ(record.width, 100 >> (4 - n));
        EXPECT_EQ(record.height, 60 >> (4 - n));
        const std::size_t rowBytes = (3u * record.width + 3) / 4 * 4;
        EXPECT_EQ(record.pixels.size(), rowBytes * record.height);
        EXPECT_EQ(record.indices.size(), (record.width + 3u) / 4 * 4 * record.height);
        EXPECT_FALSE(AllZero(record.indices));
    }
    // The reduced pictures look like the picture: level 3 (half size) is close
    // to the averages of 2 × 2 blocks of the decoded one.
    const LevelRecord& half = records[3];
    const std::size_t rowBytes = (3u * half.width + 3) / 4 * 4;
    double difference = 0;
    for (int y = 0; y < half.height; ++y)
        for (int x = 0; x < half.width; ++x)
            for (std::size_t c = 0; c < 3; ++c) {
                const int block = WorkingPixel(decoded, 2 * x, 2 * y)[c] + WorkingPixel(decoded, 2 * x + 1, 2 * y)[c] +
                                  WorkingPixel(decoded, 2 * x, 2 * y + 1)[c] +
                                  WorkingPixel(decoded, 2 * x + 1, 2 * y + 1)[c];
                difference += std::abs(half.pixels[y * rowBytes + 3u * x + c] - block / 4.0);
            }
    EXPECT_LT(difference / (half.width * half.height * 3), 8.0);
}

TEST(DibImageDisplayTest, SubsampledChromaIsShownAtItsOwnGain)
{
    // A flat saturated colour: every level must show it, not a washed-out one.
    const CDibImage source = Load(ColourBmp(64, 64, [](int, int) { return Pixel{40, 90, 220}; }), DisplaySettings{});
    for (const bool subsampled : {false, true}) {
        CDibImage decoded;
        const auto records = DecodeShowingLevels(source, SettingsFor(90, 4, subsampled), DisplaySettings{}, decoded);
        ASSERT_EQ(records.size(), 4u);
        const Pixel final = WorkingPixel(decoded, 10, 10);
        for (const LevelRecord& record : records)
            for (std::size_t c = 0; c < 3; ++c)
                EXPECT_NEAR(record.pixels[3 * 3 + c], final[c], 4) << "level " << record.level << " channel " << c;
    }
}

TEST(DibImageDisplayTest, LevelConversionWithoutShiftIsTheFullInverse)
{
    const CodecSettings settings = SettingsFor(70, 3);
    CDibImage image = Load(ShadedBmp(30, 20), DisplaySettings{});
    WaveletCodec codec(settings, 30, 20, 24, true);
    ASSERT_TRUE(codec.PrepareEncode(settings));
    ASSERT_TRUE(image.ConvertToPlanes(codec));
    // The planes as they stand, without coding: both conversions read the same samples.
    ASSERT_TRUE(image.ConvertDecodedPlanes(codec, DisplaySettings{}));
    const std::vector<std::uint8_t> full(image.Pixels().begin(), image.Pixels().end());
    std::fill(image.Pixels().begin(), image.Pixels().end(), 0);
    ASSERT_TRUE(image.ConvertLevelPlanes(codec, 0, DisplaySettings{}));
    EXPECT_TRUE(std::equal(full.begin(), full.end(), image.Pixels().begin()));
}

TEST(DibImageDisplayTest, ShowLevelRefusesLevelsItCannotShow)
{
    const CodecSettings settings = SettingsFor(50, 3);
    CDibImage source = Load(ShadedBmp(40, 30), DisplaySettings{});
    WaveletCodec codec(settings, 40, 30, 24, true);
    ASSERT_TRUE(CompressImage(source, codec, settings, DisplaySettings{}).has_value());
    ASSERT_TRUE(codec.PrepareDecode());
    CDibImage levelImage;
    ASSERT_TRUE(levelImage.AllocateForLevelDisplay(codec));
    EXPECT_FALSE(levelImage.ShowLevel(codec, 3, DisplaySettings{})); // the level count: nothing to show
    EXPECT_FALSE(levelImage.ShowLevel(codec, -1, DisplaySettings{}));
    EXPECT_EQ(levelImage.Width(), 40);
    EXPECT_TRUE(levelImage.ShowLevel(codec, 2, DisplaySettings{}));
    EXPECT_EQ(levelImage.Width(), 20);
    EXPECT_EQ(levelImage.Height(), 15);
    EXPECT_EQ(levelImage.Info().header.biWidth, 20);
    EXPECT_EQ(levelImage.Info().header.biSizeImage, 60u * 15u);
    EXPECT_EQ(levelImage.ImageSize(), 60u * 15u);

    // A codec of another picture is not shown through this image.
    WaveletCodec other(settings, 41, 30, 24, true);
    ASSERT_TRUE(other.PrepareDecode());
    EXPECT_FALSE(levelImage.ShowLevel(other, 1, DisplaySettings{}));
}

} // namespace
} // namespace tamr
