// The TGA reader: the packed blocks it makes and the images they load into.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "image/PackedImageBlock.h"
#include "image/TgaReader.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"
#include "support/TgaTestFiles.h"

namespace tamr {
namespace {

using test::BuildTga;
using test::TgaSpec;
using Bgr = std::array<std::uint8_t, 3>;

const DisplaySettings kDisplay{};
const Message kCompressed{"Compressed TGA not supported.", "ERROR", MessageIcon::Error, MessageButtons::Ok};
const Message kDepth{"The file is not in a 24 bit or 8 bit mode", "ERROR", MessageIcon::Error, MessageButtons::Ok};

std::optional<ByteBlock> ReadTga(const TgaSpec& layout, std::vector<Message>* messages = nullptr)
{
    ScriptedPrompter prompter;
    auto block = CTgaReader().Read(BuildTga(layout), prompter, Limits{});
    if (messages)
        *messages = prompter.Messages();
    else
        EXPECT_TRUE(prompter.Messages().empty());
    if (!block)
        return std::nullopt;
    return std::move(*block);
}

BitmapInfoHeader HeaderOf(const ByteBlock& block)
{
    ByteReader reader(block);
    return ReadInfoHeader(reader);
}

// Reads and loads; the image is empty when either step failed.
CDibImage Load(const TgaSpec& layout)
{
    CDibImage image;
    const auto block = ReadTga(layout);
    if (!block)
        return image;
    ScriptedPrompter prompter;
    EXPECT_TRUE(image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}));
    EXPECT_TRUE(prompter.Messages().empty());
    return image;
}

// The pixel at column x of row y counted from the top of the picture.
Bgr ColourAt(const CDibImage& image, int x, int yFromTop)
{
    const std::size_t stride = std::size_t{image.Width()} * 3 + image.RowPad();
    const std::size_t offset = (image.Height() - 1 - static_cast<std::size_t>(yFromTop)) * stride + x * 3u;
    const auto pixels = image.Pixels();
    return {pixels[offset], pixels[offset + 1], pixels[offset + 2]};
}

std::uint8_t GrayAt(const CDibImage& image, int x, int yFromTop)
{
    const std::size_t stride = std::size_t{image.Width()} + image.RowPad();
    return image.Pixels()[(image.Height() - 1 - static_cast<std::size_t>(yFromTop)) * stride + x];
}

// A distinct colour for every pixel, stored left to right as the file's rows run.
TgaSpec TrueColour24(std::uint16_t width, std::uint16_t height, std::uint8_t descriptor)
{
    TgaSpec layout;
    layout.width = width;
    layout.height = height;
    layout.descriptor = descriptor;
    for (int i = 0; i < width * height; ++i)
        layout.pixels.insert(layout.pixels.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(100 + i),
                                                   static_cast<std::uint8_t>(200 - i)});
    return layout;
}

Bgr StoredColour(int i)
{
    return {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(100 + i), static_cast<std::uint8_t>(200 - i)};
}

// 16-bit pixels (little-endian values) in file order.
std::vector<std::uint8_t> Words(const std::vector<std::uint16_t>& values)
{
    std::vector<std::uint8_t> bytes;
    for (const std::uint16_t value : values)
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)});
    return bytes;
}

std::vector<std::uint8_t> GrayRampMap24()
{
    std::vector<std::uint8_t> map;
    for (int i = 0; i < 256; ++i)
        map.insert(map.end(), 3, static_cast<std::uint8_t>(i));
    return map;
}

TEST(TgaReaderOrientationTest, TopLeftOriginOpensTheRightWayUpAndBottomLeftAsStored)
{
    // File row 0 is the top of a top-left image and the bottom of a bottom-left one.
    const CDibImage topDown = Load(TrueColour24(3, 3, 0x20));
    const CDibImage bottomUp = Load(TrueColour24(3, 3, 0x00));
    ASSERT_TRUE(topDown.HasPixels());
    ASSERT_TRUE(bottomUp.HasPixels());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(ColourAt(topDown, x, y), StoredColour(y * 3 + x));
            EXPECT_EQ(ColourAt(bottomUp, x, 2 - y), StoredColour(y * 3 + x));
        }
}

TEST(TgaReaderOrientationTest, RightToLeftRowsAreMirroredWhenWiderThanTwo)
{
    const CDibImage mirrored = Load(TrueColour24(3, 1, 0x10));
    ASSERT_TRUE(mirrored.HasPixels());
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(ColourAt(mirrored, x, 0), StoredColour(2 - x));
    // Both flags: the top-right origin comes out upright and unmirrored.
    const CDibImage turned = Load(TrueColour24(4, 3, 0x30));
    ASSERT_TRUE(turned.HasPixels());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(ColourAt(turned, x, y), StoredColour(y * 4 + 3 - x));
}

TEST(TgaReaderOrientationTest, SidesOfTwoPixelsAreNeverTurned)
{
    const CDibImage narrow = Load(TrueColour24(2, 1, 0x10));
    ASSERT_TRUE(narrow.HasPixels());
    EXPECT_EQ(ColourAt(narrow, 0, 0), StoredColour(0));
    EXPECT_EQ(ColourAt(narrow, 1, 0), StoredColour(1));
    // Two rows with the top-left flag stay as stored, taken as bottom-up.
    const CDibImage low = Load(TrueColour24(1, 2, 0x20));
    ASSERT_TRUE(low.HasPixels());
    EXPECT_EQ(ColourAt(low, 0, 1), StoredColour(0));
    EXPECT_EQ(ColourAt(low, 0, 0), StoredColour(1));
}

TEST(TgaReaderDepthTest, ThirtyTwoBitPixelsDropTheirAlpha)
{
    TgaSpec layout;
    layout.width = 2;
    layout.depth = 32;
    layout.descriptor = 0x08;
    layout.pixels = {10, 20, 30, 0xFF, 40, 50, 60, 0x00};
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{10, 20, 30}));
    EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{40, 50, 60}));
}

TEST(TgaReaderDepthTest, SixteenAndFifteenBitPixelsAreFiveFiveFive)
{
    for (const auto& [depth, descriptor] : {std::pair<std::uint8_t, std::uint8_t>{16, 0}, {16, 1}, {15, 0}}) {
        SCOPED_TRACE(int{depth} * 10 + descriptor);
        TgaSpec layout;
        layout.width = 4;
        layout.depth = depth;
        layout.descriptor = descriptor;
        // The top bit is the attribute bit and never a colour.
        layout.pixels = Words({0x7FFF, 0x801F, 0x03E0, 0x7C00});
        const CDibImage image = Load(layout);
        ASSERT_TRUE(image.HasPixels());
        EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{248, 248, 248}));
        EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{248, 0, 0}));
        EXPECT_EQ(ColourAt(image, 2, 0), (Bgr{0, 248, 0}));
        EXPECT_EQ(ColourAt(image, 3, 0), (Bgr{0, 0, 248}));
    }
}

TEST(TgaReaderDepthTest, OtherDepthsUseFieldsOfAThirdOfTheColourBits)
{
    // 16 bits with 4 attribute bits: three 4-bit fields, each moved to the top of its byte.
    TgaSpec layout;
    layout.depth = 16;
    layout.descriptor = 4;
    layout.pixels = Words({0xF321});
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{0x10, 0x20, 0x30}));
}

TEST(TgaReaderDepthTest, TrueColourOfEightBitsOrFewerStaysBlack)
{
    TgaSpec layout;
    layout.width = 2;
    layout.depth = 8;
    layout.pixels = {0xFF, 0x80};
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{0, 0, 0}));
}

TEST(TgaReaderColourMapTest, TwoHundredFiftySixEntriesGiveAnEightBitBlock)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.colourMapLength = 256;
    layout.entrySize = 24;
    layout.colourMap = GrayRampMap24();
    layout.width = 3;
    layout.depth = 8;
    layout.pixels = {0, 7, 255};
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block);
    const BitmapInfoHeader header = HeaderOf(*block);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biClrUsed, 256u);
    // ... and a gray ramp loads as a gray image.
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.BitsPerPixel(), 8);
    EXPECT_EQ(image.IsColour(), 0);
    EXPECT_EQ(GrayAt(image, 0, 0), 0);
    EXPECT_EQ(GrayAt(image, 1, 0), 7);
    EXPECT_EQ(GrayAt(image, 2, 0), 255);
}

TEST(TgaReaderColourMapTest, ColouredMapExpandsToItsColours)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.colourMapLength = 16;
    layout.entrySize = 32;
    for (int i = 0; i < 16; ++i)
        layout.colourMap.insert(layout.colourMap.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(2 * i),
                                                         static_cast<std::uint8_t>(3 * i), 0x77});
    layout.width = 2;
    layout.depth = 8;
    layout.pixels = {5, 15};
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.ExpandedFromIndexed(), 10);
    EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{5, 10, 15}));
    EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{15, 30, 45}));
}

TEST(TgaReaderColourMapTest, EightEntriesGiveAFourBitBlockThatTheImageRefuses)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.colourMapLength = 8;
    layout.entrySize = 16;
    layout.colourMap = Words({0x001F, 0x03E0, 0x7C00, 0x7FFF, 0, 0, 0, 0x0421});
    layout.width = 3;
    layout.height = 2;
    layout.depth = 8;
    layout.pixels = {1, 2, 3, 7, 0, 1};
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block);
    const BitmapInfoHeader header = HeaderOf(*block);
    EXPECT_EQ(header.biBitCount, 4);
    EXPECT_EQ(header.biClrUsed, 16u);
    ASSERT_EQ(block->size(), 4u * 2 + 16 * 4 + 44);
    // Palette: 15-bit map entries, unused entries black.
    EXPECT_EQ((std::vector<std::uint8_t>(block->begin() + 40, block->begin() + 56)),
              (std::vector<std::uint8_t>{248, 0, 0, 0, 0, 248, 0, 0, 0, 0, 248, 0, 248, 248, 248, 0}));
    EXPECT_EQ((*block)[40 + 4 * 7], 8);
    EXPECT_EQ((*block)[40 + 4 * 8], 0);
    // Rows: two nibbles a byte, the first pixel high, padded to 4 bytes.
    const std::size_t rows = PackedRowsOffset(16);
    EXPECT_EQ((std::vector<std::uint8_t>(block->begin() + static_cast<std::ptrdiff_t>(rows), block->end())),
              (std::vector<std::uint8_t>{0x12, 0x30, 0, 0, 0x70, 0x10, 0, 0}));

    ScriptedPrompter prompter;
    CDibImage image;
    EXPECT_FALSE(image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}));
    EXPECT_EQ(prompter.Messages(), std::vector<Message>{kDepth});
}

TEST(TgaReaderColourMapTest, IndexDepthFollowsTheMapLength)
{
    for (const auto& [length, bits] :
         {std::pair<std::uint16_t, int>{0, 8}, {1, 8}, {3, 8}, {4, 4}, {15, 4}, {16, 8}, {300, 8}}) {
        SCOPED_TRACE(length);
        TgaSpec layout;
        layout.colourMapType = 1;
        layout.imageType = 1;
        layout.colourMapLength = length;
        layout.entrySize = 24;
        layout.colourMap.assign(std::size_t{length} * 3, 0x40);
        layout.depth = 8;
        layout.pixels = {0};
        const auto block = ReadTga(layout);
        ASSERT_TRUE(block);
        EXPECT_EQ(HeaderOf(*block).biBitCount, bits);
    }
}

TEST(TgaReaderColourMapTest, FirstEntryIndexPlacesTheMapInThePalette)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.firstEntryIndex = 250;
    layout.colourMapLength = 20; // only six entries fit below 256
    layout.entrySize = 24;
    for (int i = 0; i < 20; ++i)
        layout.colourMap.insert(layout.colourMap.end(), {static_cast<std::uint8_t>(i + 1), 9, 9});
    layout.width = 3;
    layout.depth = 8;
    layout.pixels = {250, 255, 3};
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{1, 9, 9}));
    EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{6, 9, 9}));
    EXPECT_EQ(ColourAt(image, 2, 0), (Bgr{0, 0, 0}));
}

TEST(TgaReaderColourMapTest, FirstEntryIndexPastThePaletteLeavesItBlack)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.firstEntryIndex = 0xFFFF;
    layout.colourMapLength = 2;
    layout.entrySize = 24;
    layout.colourMap = {1, 2, 3, 4, 5, 6};
    layout.depth = 8;
    layout.pixels = {0xFF};
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block);
    const std::size_t rows = PackedRowsOffset(256);
    EXPECT_TRUE(std::all_of(block->begin() + 40, block->begin() + static_cast<std::ptrdiff_t>(rows),
                            [](std::uint8_t byte) { return byte == 0; }));
}

TEST(TgaReaderColourMapTest, DeepIndicesAreLookedUpFromTheFirstEntry)
{
    // 16-bit indices: index - first selects the entry; below or past the map is black.
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.firstEntryIndex = 300;
    layout.colourMapLength = 2;
    layout.entrySize = 24;
    layout.colourMap = {1, 2, 3, 4, 5, 6};
    layout.width = 4;
    layout.depth = 16;
    layout.pixels = Words({300, 301, 299, 302});
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block);
    EXPECT_EQ(HeaderOf(*block).biBitCount, 24);
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{4, 5, 6}));
    EXPECT_EQ(ColourAt(image, 2, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(ColourAt(image, 3, 0), (Bgr{0, 0, 0}));
}

TEST(TgaReaderColourMapTest, UnknownEntrySizesAreSkippedAndLeaveTheMapBlack)
{
    for (const std::uint8_t size : {0, 8, 12, 17, 40}) {
        SCOPED_TRACE(int{size});
        TgaSpec layout;
        layout.colourMapType = 1;
        layout.imageType = 1;
        layout.colourMapLength = 5;
        layout.entrySize = size;
        layout.colourMap.assign(5 * ((size + 7u) / 8), 0xEE);
        layout.width = 2;
        layout.depth = 16; // mapped: the pixels after the map are indices
        layout.pixels = Words({0, 4});
        const CDibImage image = Load(layout);
        ASSERT_TRUE(image.HasPixels());
        EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{0, 0, 0}));
        EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{0, 0, 0}));
    }
}

TEST(TgaReaderColourMapTest, TrueColourImageSkipsTheMapItCarries)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 2;
    layout.colourMapLength = 3;
    layout.entrySize = 15;
    layout.colourMap = Words({1, 2, 3});
    layout.id = {'i', 'd'};
    layout.pixels = {7, 8, 9};
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(ColourAt(image, 0, 0), (Bgr{7, 8, 9}));
}

TEST(TgaReaderGrayTest, EightBitGrayGetsTheRampAndLoadsAsGray)
{
    TgaSpec layout;
    layout.imageType = 3;
    layout.width = 3;
    layout.height = 3;
    layout.depth = 8;
    layout.descriptor = 0x20;
    layout.pixels = {0, 1, 2, 3, 4, 5, 6, 7, 200};
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.BitsPerPixel(), 8);
    EXPECT_EQ(image.IsColour(), 0);
    EXPECT_EQ(GrayAt(image, 0, 0), 0);
    EXPECT_EQ(GrayAt(image, 2, 2), 200);
    EXPECT_EQ(GrayAt(image, 1, 1), 4);
}

TEST(TgaReaderGrayTest, TwoOrThreeColourBitsGiveAFourBitGrayBlock)
{
    TgaSpec layout;
    layout.imageType = 3;
    layout.width = 2;
    layout.depth = 8;
    layout.descriptor = 5; // 3 colour bits
    layout.pixels = {3, 7};
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block);
    EXPECT_EQ(HeaderOf(*block).biBitCount, 4);
    EXPECT_EQ(HeaderOf(*block).biClrUsed, 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ((*block)[40 + 4 * i], i << 4);
    EXPECT_EQ((*block)[PackedRowsOffset(16)], 0x37);
    ScriptedPrompter prompter;
    CDibImage image;
    EXPECT_FALSE(image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}));
    EXPECT_EQ(prompter.Messages(), std::vector<Message>{kDepth});
}

TEST(TgaReaderGrayTest, GrayWithAlphaTakesTheGrayByteOfEveryPixel)
{
    TgaSpec layout;
    layout.imageType = 3;
    layout.width = 3;
    layout.depth = 16;
    layout.descriptor = 8;
    layout.pixels = {10, 0xFF, 20, 0x00, 30, 0x80};
    const CDibImage image = Load(layout);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.IsColour(), 0);
    EXPECT_EQ(GrayAt(image, 0, 0), 10);
    EXPECT_EQ(GrayAt(image, 1, 0), 20);
    EXPECT_EQ(GrayAt(image, 2, 0), 30);
}

TEST(TgaReaderGrayTest, GrayDeeperThanEightBitsIsRefusedSilently)
{
    TgaSpec layout;
    layout.imageType = 3;
    layout.depth = 16;
    layout.pixels = {1, 2};
    EXPECT_FALSE(ReadTga(layout));
}

TEST(TgaReaderGrayTest, GrayWithAColourMapGivesAOneBitBlockThatTheImageRefuses)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 3;
    layout.colourMapLength = 2;
    layout.entrySize = 24;
    layout.colourMap = {9, 9, 9, 9, 9, 9};
    layout.width = 9;
    layout.depth = 8;
    layout.pixels = {255, 0, 128, 127, 0, 0, 0, 0, 200};
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block);
    EXPECT_EQ(HeaderOf(*block).biBitCount, 1);
    EXPECT_EQ(HeaderOf(*block).biClrUsed, 2u);
    ASSERT_EQ(block->size(), 4u + 8 + 44);
    EXPECT_EQ((*block)[PackedRowsOffset(2)], 0xA0);
    EXPECT_EQ((*block)[PackedRowsOffset(2) + 1], 0x80);
    ScriptedPrompter prompter;
    CDibImage image;
    EXPECT_FALSE(image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}));
    EXPECT_EQ(prompter.Messages(), std::vector<Message>{kDepth});
}

TEST(TgaReaderBlockTest, BlockSizeAndHeaderFollowTheOutputDepth)
{
    for (std::uint16_t width = 1; width <= 9; ++width) {
        SCOPED_TRACE(width);
        TgaSpec colour = TrueColour24(width, 2, 0);
        const auto block24 = ReadTga(colour);
        ASSERT_TRUE(block24);
        EXPECT_EQ(block24->size(), (3u * width + 3) / 4 * 4 * 2 + 44);
        const BitmapInfoHeader header = HeaderOf(*block24);
        EXPECT_EQ(header, (BitmapInfoHeader{40, width, 2, 1, 24, 0, 0, 0, 0, 0, 0}));
        // Rows end in (width mod 4) zero bytes.
        for (std::size_t pad = 0; pad < width % 4u; ++pad)
            EXPECT_EQ((*block24)[44 + 3u * width + pad], 0);

        TgaSpec gray;
        gray.imageType = 3;
        gray.width = width;
        gray.height = 2;
        gray.depth = 8;
        gray.pixels.assign(std::size_t{width} * 2, 0x55);
        const auto block8 = ReadTga(gray);
        ASSERT_TRUE(block8);
        EXPECT_EQ(block8->size(), (8u * width + 31) / 32 * 4 * 2 + 4 * 256 + 44);
        EXPECT_EQ(HeaderOf(*block8), (BitmapInfoHeader{40, width, 2, 1, 8, 0, 0, 0, 0, 256, 0}));
    }
}

TEST(TgaReaderDispatchTest, RunLengthEncodedFilesShowTheMessageAndGiveNothing)
{
    for (const auto& [mapType, type] : {std::pair<std::uint8_t, std::uint8_t>{0, 10}, {1, 9}, {0, 11}, {1, 10}}) {
        SCOPED_TRACE(type);
        TgaSpec layout;
        layout.colourMapType = mapType;
        layout.imageType = type;
        layout.pixels = {0x80, 1, 2, 3};
        std::vector<Message> messages;
        EXPECT_FALSE(ReadTga(layout, &messages));
        EXPECT_EQ(messages, std::vector<Message>{kCompressed});
    }
}

TEST(TgaReaderDispatchTest, UnknownCombinationsGiveNothingWithoutMessage)
{
    for (const auto& [mapType, type] :
         {std::pair<std::uint8_t, std::uint8_t>{0, 0}, {1, 0}, {0, 1}, {2, 2}, {2, 10}, {0, 4}, {1, 12}, {0, 32}}) {
        SCOPED_TRACE(int{mapType} * 100 + type);
        TgaSpec layout;
        layout.colourMapType = mapType;
        layout.imageType = type;
        layout.pixels = {1, 2, 3};
        std::vector<Message> messages;
        EXPECT_FALSE(ReadTga(layout, &messages));
        EXPECT_TRUE(messages.empty());
    }
}

TEST(TgaReaderHostileTest, EveryTruncationIsRefusedWithoutReadingPastTheEnd)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.colourMapLength = 4;
    layout.entrySize = 24;
    layout.colourMap.assign(12, 0x33);
    layout.id = {1, 2, 3, 4, 5};
    layout.width = 3;
    layout.height = 2;
    layout.depth = 8;
    layout.pixels = {0, 1, 2, 3, 0, 1};
    const auto file = BuildTga(layout);
    ScriptedPrompter prompter;
    ASSERT_TRUE(CTgaReader().Read(file, prompter, Limits{}));
    for (std::size_t length = 0; length < file.size(); ++length) {
        SCOPED_TRACE(length);
        // A copy of exactly that length, so the sanitizer sees any read past it.
        const std::vector<std::uint8_t> prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(CTgaReader().Read(prefix, prompter, Limits{}));
    }
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST(TgaReaderHostileTest, HugeSidesFromATinyFileAreRefusedBeforeAllocating)
{
    TgaSpec layout;
    layout.width = 0xFFFF;
    layout.height = 0xFFFF;
    layout.depth = 32;
    layout.pixels.assign(64, 0);
    EXPECT_FALSE(ReadTga(layout));
    // True colour of too few bits reads no pixels, yet its rows must be there.
    layout.depth = 8;
    EXPECT_FALSE(ReadTga(layout));
    layout.depth = 0;
    EXPECT_FALSE(ReadTga(layout)) << "more pixels than the default limit";
    // Within the limit, a depth of 0 still takes a byte for every pixel: an
    // 18-byte header cannot ask for a 50 MB block.
    layout.width = 4096;
    layout.height = 4096;
    EXPECT_FALSE(ReadTga(layout));
    layout.imageType = 3; // gray
    EXPECT_FALSE(ReadTga(layout));
    layout.imageType = 2;
    layout.width = 8;
    layout.height = 8;
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block) << "64 bytes hold 64 pixels of depth 0";
    EXPECT_EQ(block->size(), 44u + 24 * 8);
}

TEST(TgaReaderHostileTest, PixelLimitIsInclusive)
{
    const TgaSpec layout = TrueColour24(4, 4, 0);
    const auto file = BuildTga(layout);
    ScriptedPrompter prompter;
    EXPECT_TRUE(CTgaReader().Read(file, prompter, Limits{.maxPixels = 16}));
    EXPECT_EQ(CTgaReader().Read(file, prompter, Limits{.maxPixels = 15}).Failure(), FailureKind::TooLarge);
}

TEST(TgaReaderHostileTest, ColourMapLongerThanTheFileIsRefused)
{
    TgaSpec layout;
    layout.colourMapType = 1;
    layout.imageType = 1;
    layout.colourMapLength = 0xFFFF;
    layout.entrySize = 32;
    layout.colourMap.assign(100, 1);
    layout.depth = 8;
    layout.pixels = {0};
    EXPECT_FALSE(ReadTga(layout));
    layout.imageType = 2; // a carried map must be there to be skipped, too
    layout.depth = 24;
    EXPECT_FALSE(ReadTga(layout));
}

TEST(TgaReaderHostileTest, ZeroSidesGiveABlockTheImageRefusesWithItsSizeMessage)
{
    TgaSpec layout;
    layout.width = 0;
    layout.height = 5;
    const auto block = ReadTga(layout);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->size(), 44u);
    ScriptedPrompter prompter;
    CDibImage image;
    EXPECT_FALSE(image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0].text, "The width and height of the image must be 1 to 65535 pixels");
}

TEST(TgaReaderHostileTest, RandomHeadersGiveBlocksOfTheSizeTheirHeaderSays)
{
    // Random headers over a short tail: whatever comes back is a whole block.
    int blocks = 0;
    for (std::uint32_t seed = 0; seed < 3000; ++seed) {
        auto file = test::RandomBytes(18 + seed % 300, seed);
        // Keep most sizes small enough for the tail to hold them; the rest stays random.
        file[0] = static_cast<std::uint8_t>(file[0] % 8); // ID length
        file[1] = static_cast<std::uint8_t>(file[1] % 2); // colour-map type
        file[2] = static_cast<std::uint8_t>(file[2] % 4); // image type
        file[6] = 0;                                      // map length below 256
        file[5] = static_cast<std::uint8_t>(file[5] % 32);
        file[12] = static_cast<std::uint8_t>(file[12] % 8); // width and height below 8
        file[13] = 0;
        file[14] = static_cast<std::uint8_t>(file[14] % 8);
        file[15] = 0;
        file[16] = static_cast<std::uint8_t>(file[16] % 40); // pixel depth
        ScriptedPrompter prompter;
        const auto block = CTgaReader().Read(file, prompter, Limits{.maxPixels = 1 << 16});
        EXPECT_TRUE(prompter.Messages().empty());
        if (!block)
            continue;
        ++blocks;
        const BitmapInfoHeader header = HeaderOf(*block);
        ASSERT_TRUE(header.biBitCount == 24 || header.biBitCount == 8 || header.biBitCount == 4 ||
                    header.biBitCount == 1);
        const std::uint64_t rowBytes = header.biBitCount == 24
                                           ? (3u * std::uint64_t(header.biWidth) + 3) / 4 * 4
                                           : (header.biBitCount * std::uint64_t(header.biWidth) + 31) / 32 * 4;
        EXPECT_EQ(block->size(), PackedRowsOffset(header.biClrUsed) + rowBytes * std::uint64_t(header.biHeight));
        CDibImage image;
        (void)image.LoadPackedBlock(*block, prompter, kDisplay, Limits{});
    }
    EXPECT_GT(blocks, 500);
}

} // namespace
} // namespace tamr
