#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <utility>

#include "image/DibImage.h"
#include "image/FixedColourTable.h"
#include "image/PackedImageBlock.h"
#include "platform/ByteReader.h"
#include "support/BmpTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

using test::BmpLayout;
using test::BuildBmp;
using test::ColourPalette;
using test::GrayRamp;
using test::RandomRows;

const DisplaySettings kDisplay{};

Message ErrorBox(const std::string& text, const std::string& caption = "ERROR")
{
    return Message{text, caption, MessageIcon::Error, MessageButtons::Ok};
}

std::vector<std::uint8_t> AsVector(std::span<const std::uint8_t> bytes)
{
    return {bytes.begin(), bytes.end()};
}

// What an 8-bit colour file's rows become: each index replaced by its entry's
// blue, green, red, rows padded to 4 bytes.
std::vector<std::uint8_t> ExpandRows(const std::vector<std::uint8_t>& rows, int width, int height,
                                     const std::vector<RgbQuad>& table)
{
    const int indexStride = (width + 3) / 4 * 4;
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t index = rows[static_cast<std::size_t>(y * indexStride + x)];
            const RgbQuad entry = index < table.size() ? table[index] : RgbQuad{};
            auto* pixel = &pixels[static_cast<std::size_t>(y * stride + x * 3)];
            pixel[0] = entry.blue;
            pixel[1] = entry.green;
            pixel[2] = entry.red;
        }
    return pixels;
}

struct Loaded {
    bool ok = false;
    CDibImage image;
    ScriptedPrompter prompter;
};

std::unique_ptr<Loaded> Read(const std::vector<std::uint8_t>& file)
{
    auto result = std::make_unique<Loaded>();
    result->ok = result->image.ReadBmp(file, result->prompter, kDisplay, Limits{}).Ok();
    return result;
}

// ---------------------------------------------------------------- fixed colour table

TEST(FixedColourTableTest, HoldsTheListedEntries)
{
    const auto& table = FixedColourTable();
    ASSERT_EQ(table.size(), 256u);
    EXPECT_EQ(table[0], (ColourTriple{0, 0, 0}));
    EXPECT_EQ(table[9], (ColourTriple{240, 202, 166}));
    EXPECT_EQ(table[16], (ColourTriple{60, 55, 0}));
    EXPECT_EQ(table[17], (ColourTriple{0, 0, 51})); // the cube starts without its black corner
    EXPECT_EQ(table[226], (ColourTriple{0, 146, 170}));
    EXPECT_EQ(table[245], (ColourTriple{36, 73, 0}));
    EXPECT_EQ(table[246], (ColourTriple{255, 251, 240}));
    EXPECT_EQ(table[255], (ColourTriple{255, 255, 255}));
}

TEST(FixedColourTableTest, Entry225RepeatsEntry192)
{
    const auto& table = FixedColourTable();
    EXPECT_EQ(table[225], (ColourTriple{204, 255, 255}));
    EXPECT_EQ(table[192], table[225]);
}

TEST(FixedColourTableTest, CubeHoldsEveryNonCornerLevelTripleOnceInOrder)
{
    const auto& table = FixedColourTable();
    auto isLevel = [](int v) { return v % 51 == 0; };
    auto key = [](const ColourTriple& t) { return (t[0] / 51) * 36 + (t[1] / 51) * 6 + t[2] / 51; };
    int cubeEntries = 0;
    for (std::size_t i = 17; i <= 224; ++i) {
        const auto& t = table[i];
        ASSERT_TRUE(isLevel(t[0]) && isLevel(t[1]) && isLevel(t[2])) << "entry " << i;
        const bool corner = (t[0] == 0 || t[0] == 255) && (t[1] == 0 || t[1] == 255) && (t[2] == 0 || t[2] == 255);
        EXPECT_FALSE(corner) << "entry " << i;
        if (i > 17) {
            EXPECT_LT(key(table[i - 1]), key(t)) << "entry " << i; // first byte slowest, no repeats
        }
        ++cubeEntries;
    }
    EXPECT_EQ(cubeEntries, 208);
}

// ---------------------------------------------------------------- reading and writing

struct PadCase {
    int width;
    int bits;
    int rowPad;
};

class DibImagePaddingTest : public ::testing::TestWithParam<PadCase> {};

TEST_P(DibImagePaddingTest, RoundTripsEveryPaddingByteForByte)
{
    const PadCase c = GetParam();
    const int height = 3;
    BmpLayout layout;
    layout.width = c.width;
    layout.height = height;
    layout.bits = static_cast<std::uint16_t>(c.bits);
    if (c.bits == 8) {
        layout.table = GrayRamp();
        layout.clrUsed = 0; // as written: the full table is implied by the pixel offset
    }
    layout.rows = RandomRows(c.width, height, c.bits / 8, 17u + static_cast<std::uint32_t>(c.width));
    const auto file = BuildBmp(layout);

    auto loaded = Read(file);
    ASSERT_TRUE(loaded->ok);
    const CDibImage& image = loaded->image;
    EXPECT_TRUE(loaded->prompter.Messages().empty());
    EXPECT_EQ(image.RowPad(), c.rowPad);
    EXPECT_EQ(image.ImageSize(), layout.rows.size());
    EXPECT_EQ(AsVector(image.Pixels()), layout.rows);
    EXPECT_EQ(AsVector(image.ReferencePixels()), layout.rows);
    EXPECT_EQ(image.IsColour(), c.bits == 24 ? 1 : 0);
    EXPECT_EQ(image.ExpandedFromIndexed(), -1);
    // The written file is the file read: 54 bytes of headers for colour, plus the ramp for gray.
    EXPECT_EQ(image.WriteBmp(), file);
}

INSTANTIATE_TEST_SUITE_P(WidthsOneToFive, DibImagePaddingTest,
                         ::testing::Values(PadCase{1, 24, 1}, PadCase{2, 24, 2}, PadCase{3, 24, 3}, PadCase{4, 24, 0},
                                           PadCase{5, 24, 1}, PadCase{1, 8, 3}, PadCase{2, 8, 2}, PadCase{3, 8, 1},
                                           PadCase{4, 8, 0}, PadCase{5, 8, 3}));

TEST(DibImageReadTest, EightBitColourExpandsTo24BitsAndWritesBackAs24)
{
    for (int width = 1; width <= 5; ++width) {
        SCOPED_TRACE(width);
        const int height = 2;
        BmpLayout layout;
        layout.width = width;
        layout.height = height;
        layout.bits = 8;
        layout.table = ColourPalette(16);
        layout.rows = RandomRows(width, height, 1, 5u + static_cast<std::uint32_t>(width), 16);
        auto loaded = Read(BuildBmp(layout));
        ASSERT_TRUE(loaded->ok);
        const CDibImage& image = loaded->image;
        EXPECT_EQ(image.BitsPerPixel(), 24);
        EXPECT_EQ(image.IsColour(), 1);
        EXPECT_EQ(image.ExpandedFromIndexed(), 10);
        EXPECT_EQ(image.Info().header.biBitCount, 24);
        EXPECT_EQ(image.RowPad(), (4 - width * 3 % 4) % 4);
        EXPECT_EQ(image.IndexRowPad(), (4 - width % 4) % 4);
        EXPECT_TRUE(image.IndexPixels().empty()); // drawn from it only on a palette display
        const auto expected = ExpandRows(layout.rows, width, height, layout.table);
        EXPECT_EQ(AsVector(image.Pixels()), expected);
        EXPECT_EQ(AsVector(image.ReferencePixels()), expected);

        const auto written = image.WriteBmp();
        ByteReader reader(written);
        const BitmapFileHeader fileHeader = ReadFileHeader(reader);
        const BitmapInfoHeader header = ReadInfoHeader(reader);
        EXPECT_EQ(fileHeader.bfOffBits, 54u);
        EXPECT_EQ(fileHeader.bfSize, written.size());
        EXPECT_EQ(header.biBitCount, 24);
        EXPECT_EQ(header.biClrUsed, 0u);
        auto again = Read(written);
        ASSERT_TRUE(again->ok);
        EXPECT_EQ(again->image.ExpandedFromIndexed(), -1);
        EXPECT_EQ(AsVector(again->image.Pixels()), expected);
    }
}

TEST(DibImageReadTest, GrayPaletteLoadsAsGrayWithTheRampsRedValues)
{
    BmpLayout layout;
    layout.width = 6;
    layout.height = 2;
    layout.bits = 8;
    for (int i = 0; i < 256; ++i) { // an inverted ramp: index i shows level 255 - i
        const auto level = static_cast<std::uint8_t>(255 - i);
        layout.table.push_back(RgbQuad{level, level, level, 0});
    }
    layout.rows = {0, 1, 2, 254, 255, 128, 0, 0, 9, 8, 7, 6, 5, 4, 0, 0};
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    const CDibImage& image = loaded->image;
    EXPECT_EQ(image.BitsPerPixel(), 8);
    EXPECT_EQ(image.IsColour(), 0);
    EXPECT_TRUE(image.IndexPixels().empty());
    EXPECT_EQ(AsVector(image.Pixels()),
              (std::vector<std::uint8_t>{255, 254, 253, 1, 0, 127, 0, 0, 246, 247, 248, 249, 250, 251, 0, 0}));
    // The table held afterwards is the plain ramp.
    EXPECT_EQ(image.ColourTable()[3], (RgbQuad{3, 3, 3, 0}));
    EXPECT_EQ(image.ColourTable()[255], (RgbQuad{255, 255, 255, 0}));
}

TEST(DibImageReadTest, OnlyEntries0To254DecideColour)
{
    auto tableWithColourAt = [](std::size_t index) {
        auto table = GrayRamp();
        table[index] = RgbQuad{10, 20, 30, 0};
        return table;
    };
    BmpLayout layout;
    layout.width = 4;
    layout.height = 1;
    layout.bits = 8;
    layout.rows = {255, 254, 0, 1};

    layout.table = tableWithColourAt(255);
    auto last = Read(BuildBmp(layout));
    ASSERT_TRUE(last->ok);
    EXPECT_EQ(last->image.IsColour(), 0);
    EXPECT_EQ(last->image.BitsPerPixel(), 8);
    EXPECT_EQ(last->image.Pixels()[0], 30); // the red byte of entry 255

    layout.table = tableWithColourAt(254);
    auto oneBefore = Read(BuildBmp(layout));
    ASSERT_TRUE(oneBefore->ok);
    EXPECT_EQ(oneBefore->image.IsColour(), 1);
    EXPECT_EQ(oneBefore->image.ExpandedFromIndexed(), 10);
}

TEST(DibImageReadTest, FileStartingWithMBReadsLikeBM)
{
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.rows = RandomRows(3, 2, 3, 99);
    auto bm = Read(BuildBmp(layout));
    layout.type = kBmpTypeMB;
    auto mb = Read(BuildBmp(layout));
    ASSERT_TRUE(bm->ok);
    ASSERT_TRUE(mb->ok);
    EXPECT_EQ(AsVector(mb->image.Pixels()), AsVector(bm->image.Pixels()));
    EXPECT_EQ(mb->image.FileHeader().bfType, kBmpTypeMB);
    EXPECT_EQ(mb->image.WriteBmp()[0], 'M'); // the type is written as held
}

TEST(DibImageReadTest, WrongSignatureFailsWithoutMessage)
{
    for (const std::vector<std::uint8_t>& file : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{'B'},
                                                  std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a'}}) {
        auto loaded = Read(file);
        EXPECT_FALSE(loaded->ok);
        EXPECT_TRUE(loaded->prompter.Messages().empty());
        EXPECT_FALSE(loaded->image.HasPixels());
        EXPECT_EQ(loaded->image.IsColour(), -1);
    }
}

TEST(DibImageReadTest, DepthsOtherThan8Or24GiveTheDepthMessage)
{
    for (const std::uint16_t bits : {1, 4, 16, 32, 0}) {
        BmpLayout layout;
        layout.bits = bits;
        layout.rows = {0, 0, 0, 0};
        auto loaded = Read(BuildBmp(layout));
        EXPECT_FALSE(loaded->ok);
        EXPECT_EQ(loaded->prompter.Messages(),
                  std::vector<Message>{ErrorBox("The file is not in a 24 bit or 8 bit mode")});
    }
}

TEST(DibImageReadTest, CompressedBitmapGivesTheCompressedMessage)
{
    BmpLayout layout;
    layout.bits = 8;
    layout.compression = 1; // RLE8
    layout.table = GrayRamp();
    layout.rows = {0, 1, 0, 0};
    auto loaded = Read(BuildBmp(layout));
    EXPECT_FALSE(loaded->ok);
    EXPECT_EQ(loaded->prompter.Messages(),
              std::vector<Message>{ErrorBox("TAMR does not support compressed format of bitmap")});
    EXPECT_FALSE(loaded->image.HasPixels());
}

TEST(DibImageReadTest, EightBitsWithoutClrUsedAndNoRoomReadNoTable)
{
    BmpLayout layout;
    layout.width = 4;
    layout.height = 1;
    layout.bits = 8;
    layout.clrUsed = 0;
    layout.rows = {1, 2, 3, 4};
    layout.offBits = 54; // pixels right after the header: no table
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    // Every entry is the zero-filled black, so the image is gray and every level 0.
    EXPECT_EQ(loaded->image.IsColour(), 0);
    EXPECT_EQ(AsVector(loaded->image.Pixels()), (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(DibImageReadTest, PixelsAreReadFromTheirOffsetPastAGap)
{
    BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bits = 8;
    layout.table = ColourPalette(4);
    layout.gap = 37;
    layout.rows = {0, 1, 0, 0, 3, 2, 0, 0};
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(AsVector(loaded->image.Pixels()), ExpandRows(layout.rows, 2, 2, layout.table));
}

TEST(DibImageReadTest, KeepsReservedWordAndTakesFileLengthAsSize)
{
    BmpLayout layout;
    layout.reserved1 = 4;
    layout.rows = {1, 2, 3, 0};
    auto file = BuildBmp(layout);
    file.push_back(0xEE); // trailing bytes count toward the length
    file.push_back(0xEE);
    auto loaded = Read(file);
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->image.FileHeader().bfReserved1, 4);
    EXPECT_EQ(loaded->image.FileHeader().bfSize, file.size());
}

TEST(DibImageReadTest, ShortFileLeavesMissingPixelsZeroWithoutMessage)
{
    BmpLayout layout;
    layout.width = 2;
    layout.height = 3;
    layout.rows = RandomRows(2, 3, 3, 3, 255);
    for (auto& byte : layout.rows)
        byte = static_cast<std::uint8_t>(byte | 1); // no zero pixel bytes in the file
    auto file = BuildBmp(layout);
    file.resize(file.size() - 10); // the top row and two bytes of the middle row are cut
    auto loaded = Read(file);
    ASSERT_TRUE(loaded->ok);
    EXPECT_TRUE(loaded->prompter.Messages().empty());
    const auto pixels = AsVector(loaded->image.Pixels());
    ASSERT_EQ(pixels.size(), 24u);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + 14, layout.rows.begin()));
    EXPECT_TRUE(std::all_of(pixels.begin() + 14, pixels.end(), [](std::uint8_t v) { return v == 0; }));
}

TEST(DibImageReadTest, TopDownRowsAreHeldBottomUp)
{
    const int width = 3, height = 4;
    const auto bottomUp = RandomRows(width, height, 3, 42);
    const std::size_t stride = 12;
    std::vector<std::uint8_t> topDown;
    for (int y = height - 1; y >= 0; --y)
        topDown.insert(topDown.end(), bottomUp.begin() + static_cast<std::ptrdiff_t>(y * stride),
                       bottomUp.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride));
    BmpLayout layout;
    layout.width = width;
    layout.height = -height;
    layout.rows = topDown;
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->image.Height(), height);
    EXPECT_EQ(loaded->image.Info().header.biHeight, height);
    EXPECT_EQ(AsVector(loaded->image.Pixels()), bottomUp);

    layout.height = height;
    layout.rows = bottomUp;
    EXPECT_EQ(loaded->image.WriteBmp(), BuildBmp(layout)); // written as an ordinary bottom-up file
}

TEST(DibImageReadTest, LongerInfoHeadersHaveTheirTableRightAfterThem)
{
    BmpLayout layout;
    layout.width = 5;
    layout.height = 2;
    layout.bits = 8;
    layout.table = ColourPalette(8);
    layout.rows = RandomRows(5, 2, 1, 8, 8);
    auto plain = Read(BuildBmp(layout));
    ASSERT_TRUE(plain->ok);
    for (const std::uint32_t size : {52u, 56u, 108u, 124u, 64u}) {
        SCOPED_TRACE(size);
        layout.headerSize = size;
        auto loaded = Read(BuildBmp(layout));
        ASSERT_TRUE(loaded->ok);
        EXPECT_EQ(AsVector(loaded->image.Pixels()), AsVector(plain->image.Pixels()));
        EXPECT_EQ(loaded->image.Info().header.biSize, 40u);
        const auto written = loaded->image.WriteBmp();
        EXPECT_EQ(written[14], 40); // biSize
        EXPECT_EQ(written, plain->image.WriteBmp());
    }
}

TEST(DibImageReadTest, OS2CoreHeaderWithThreeByteEntries)
{
    BmpLayout layout;
    layout.width = 3;
    layout.height = 2;
    layout.bits = 8;
    layout.table = ColourPalette(256);
    layout.rows = RandomRows(3, 2, 1, 12);
    auto plain = Read(BuildBmp(layout));
    layout.headerSize = 12;
    auto core = Read(BuildBmp(layout));
    ASSERT_TRUE(plain->ok);
    ASSERT_TRUE(core->ok);
    EXPECT_EQ(AsVector(core->image.Pixels()), AsVector(plain->image.Pixels()));
    EXPECT_EQ(core->image.Width(), 3);
    EXPECT_EQ(core->image.Height(), 2);
}

TEST(DibImageReadTest, OS2CoreTableEndsWhereThePixelsBegin)
{
    // A short table of gray entries followed at once by the pixels: the pixel
    // bytes must not be taken for further (coloured) entries.
    BmpLayout layout;
    layout.width = 4;
    layout.height = 1;
    layout.bits = 8;
    layout.headerSize = 12;
    layout.table = {RgbQuad{0, 0, 0, 0}, RgbQuad{9, 9, 9, 0}, RgbQuad{50, 50, 50, 0}};
    layout.rows = {1, 2, 0, 77};
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->image.IsColour(), 0);
    EXPECT_EQ(AsVector(loaded->image.Pixels()), (std::vector<std::uint8_t>{9, 50, 0, 0}));
}

TEST(DibImageReadTest, FailedReadLeavesAnEmptyImage)
{
    BmpLayout good;
    good.rows = {1, 2, 3, 0};
    CDibImage image;
    ScriptedPrompter prompter;
    ASSERT_TRUE(image.ReadBmp(BuildBmp(good), prompter, kDisplay, Limits{}));
    BmpLayout bad;
    bad.bits = 16;
    EXPECT_FALSE(image.ReadBmp(BuildBmp(bad), prompter, kDisplay, Limits{}));
    EXPECT_FALSE(image.HasPixels());
    EXPECT_TRUE(image.Pixels().empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.BitsPerPixel(), 0);
    EXPECT_EQ(image.IsColour(), -1);
    EXPECT_TRUE(image.WriteBmp().empty());
}

TEST(DibImageLayoutTest, TheReferenceIsTheWorkingImageUntilTheWorkingImageChanges)
{
    BmpLayout layout;
    layout.width = 5;
    layout.height = 3;
    layout.rows = RandomRows(5, 3, 3, 1);
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    CDibImage& image = loaded->image;
    const CDibImage& shown = image;
    ASSERT_TRUE(image.ReferenceIsWorking());
    EXPECT_EQ(shown.ReferencePixels().data(), shown.Pixels().data());
    const auto loadedPixels = AsVector(shown.Pixels());

    // A copy shares nothing it could change; changing the working image
    // leaves the reference as loaded.
    CDibImage copy = image;
    image.Pixels()[0] ^= 0xFF;
    EXPECT_FALSE(image.ReferenceIsWorking());
    EXPECT_EQ(AsVector(shown.ReferencePixels()), loadedPixels);
    EXPECT_NE(AsVector(shown.Pixels()), loadedPixels);
    EXPECT_EQ(AsVector(std::as_const(copy).Pixels()), loadedPixels);
    EXPECT_EQ(AsVector(copy.ReferencePixels()), loadedPixels);
}

TEST(DibImageLayoutTest, AReadersBlockBecomesTheWorkingImageWithoutACopy)
{
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = 3;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const std::vector<std::uint8_t> rows = RandomRows(3, 2, 3, 9);
    ByteBlock block = MakePackedBlock(header, {}, rows);
    const std::uint8_t* rowsAt = block.data() + PackedRowsOffset(0);
    ScriptedPrompter prompter;
    CDibImage image;
    ASSERT_TRUE(image.LoadPackedBlock(std::move(block), prompter, DisplaySettings{}, Limits{}));
    const CDibImage& shown = image;
    EXPECT_EQ(shown.Pixels().data(), rowsAt);
    EXPECT_EQ(AsVector(shown.Pixels()), rows);
    EXPECT_TRUE(shown.IndexPixels().empty());
}

TEST(DibImageLayoutTest, CopiesShareThePixelsAfterSharePixelsAndEachChangesItsOwn)
{
    // A reader's block, so that the working image lies after a header in its block.
    BitmapInfoHeader header;
    header.biSize = kInfoHeaderSize;
    header.biWidth = 5;
    header.biHeight = 3;
    header.biPlanes = 1;
    header.biBitCount = 24;
    const std::vector<std::uint8_t> rows = RandomRows(5, 3, 3, 4);
    ScriptedPrompter prompter;
    CDibImage image;
    ASSERT_TRUE(image.LoadPackedBlock(MakePackedBlock(header, {}, rows), prompter, kDisplay, Limits{}));
    const CDibImage& shown = image;
    const std::uint8_t* loadedAt = shown.Pixels().data();

    image.SharePixels();
    CDibImage copy = image;
    const CDibImage& copyShown = copy;
    EXPECT_EQ(copyShown.Pixels().data(), loadedAt);
    EXPECT_EQ(copy.ReferencePixels().data(), loadedAt);

    // The image changes its working image in a copy of its own; the copy
    // keeps reading the pixels as loaded, which stay its reference too.
    image.Pixels()[0] ^= 0xFF;
    EXPECT_NE(shown.Pixels().data(), loadedAt);
    EXPECT_EQ(shown.ReferencePixels().data(), loadedAt);
    EXPECT_EQ(AsVector(shown.ReferencePixels()), rows);
    EXPECT_NE(AsVector(shown.Pixels()), rows);
    EXPECT_EQ(copyShown.Pixels().data(), loadedAt);
    EXPECT_EQ(AsVector(copyShown.Pixels()), rows);

    // The copy, changed, does the same and leaves the shared block alone.
    copy.Pixels()[1] ^= 0xFF;
    EXPECT_NE(copyShown.Pixels().data(), loadedAt);
    EXPECT_EQ(AsVector(copy.ReferencePixels()), rows);
    EXPECT_EQ(AsVector(std::span(loadedAt, rows.size())), rows);
}

TEST(DibImageLayoutTest, ASharedWorkingImageDiscardedGetsAZeroBlockOfItsOwn)
{
    BmpLayout layout;
    layout.width = 6;
    layout.height = 4;
    layout.rows = RandomRows(6, 4, 3, 5);
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    CDibImage& image = loaded->image;
    image.SharePixels();
    const CDibImage copy = image;
    image.DiscardWorkingPixels();
    EXPECT_EQ(AsVector(image.ReferencePixels()), layout.rows);
    EXPECT_EQ(std::as_const(image).Pixels().size(), layout.rows.size());
    EXPECT_TRUE(std::ranges::all_of(std::as_const(image).Pixels(), [](std::uint8_t value) { return value == 0; }));
    EXPECT_EQ(AsVector(copy.Pixels()), layout.rows);
    image.RestoreWorkingPixels();
    EXPECT_EQ(AsVector(std::as_const(image).Pixels()), layout.rows);
}

// ---------------------------------------------------------------- hostile headers

std::vector<Message> MessagesOf(const BmpLayout& layout)
{
    auto loaded = Read(BuildBmp(layout));
    EXPECT_FALSE(loaded->ok);
    EXPECT_FALSE(loaded->image.HasPixels());
    return loaded->prompter.Messages();
}

TEST(DibImageHostileTest, SizesOutsideOneTo65535AreRefused)
{
    const std::vector<Message> refused{ErrorBox("The width and height of the image must be 1 to 65535 pixels")};
    const std::pair<std::int32_t, std::int32_t> sizes[] = {{0, 1},
                                                           {1, 0},
                                                           {-5, 1},
                                                           {65536, 1},
                                                           {1, 65536},
                                                           {1, -65536},
                                                           {std::numeric_limits<std::int32_t>::max(), 1},
                                                           {1, std::numeric_limits<std::int32_t>::min()}};
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        BmpLayout layout;
        layout.width = width;
        layout.height = height;
        EXPECT_EQ(MessagesOf(layout), refused);
    }
}

TEST(DibImageHostileTest, HugePictureFromATinyFileIsRefusedBeforeAllocating)
{
    BmpLayout layout;
    layout.width = 65535;
    layout.height = -65535;
    EXPECT_EQ(MessagesOf(layout), std::vector<Message>{ErrorBox("The image is too large to be held in memory")});
    layout.width = 40000;
    layout.height = 40000;
    layout.bits = 8;
    layout.table = ColourPalette(2); // colour: working, index and reference image
    EXPECT_EQ(MessagesOf(layout), std::vector<Message>{ErrorBox("The image is too large to be held in memory")});
}

TEST(DibImageHostileTest, LargePictureTheFileHoldsLittleOfIsRefused)
{
    const std::vector<Message> missing{ErrorBox("The file ends long before the end of its picture")};
    BmpLayout layout;
    layout.width = 8000; // 384 MB of working and reference image from a 54-byte file
    layout.height = 8000;
    EXPECT_EQ(MessagesOf(layout), missing);
    // 8-bit colour: the file's index rows count; one byte short of them.
    layout.width = 5000;
    layout.height = 4000;
    layout.bits = 8;
    layout.table = ColourPalette(4);
    layout.rows.assign(5000 * 4000 - 1, 1);
    EXPECT_EQ(MessagesOf(layout), missing);
    // Up to 2^21 pixels a short file still opens, the rest of the pixels zero.
    layout.width = 2049;
    layout.height = 1024;
    layout.table = GrayRamp();
    layout.rows.assign(100, 7);
    EXPECT_EQ(MessagesOf(layout), missing);
    layout.width = 2048;
    auto loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->image.Pixels()[99], 7);
    EXPECT_EQ(loaded->image.Pixels()[100], 0);
    // A file that holds the whole picture opens at any size.
    layout.width = 5000;
    layout.height = 4000;
    layout.rows.assign(5000 * 4000, 9);
    loaded = Read(BuildBmp(layout));
    ASSERT_TRUE(loaded->ok);
    EXPECT_EQ(loaded->image.Pixels().back(), 9);
}

TEST(DibImageHostileTest, LargestSidesAreAcceptedWhenTheBlockFits)
{
    BmpLayout layout;
    layout.width = 65535;
    layout.height = 1;
    auto wide = Read(BuildBmp(layout));
    ASSERT_TRUE(wide->ok);
    EXPECT_EQ(wide->image.Width(), 65535);
    EXPECT_EQ(wide->image.ImageSize(), 196608u); // 65535 * 3 + 3 padding bytes
    EXPECT_TRUE(
        std::all_of(wide->image.Pixels().begin(), wide->image.Pixels().end(), [](std::uint8_t v) { return v == 0; }));
}

TEST(DibImageHostileTest, HugeClrUsedReadsAtMost256EntriesTheFileHolds)
{
    for (const std::uint32_t clrUsed : {257u, 300u, 0x12345678u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(clrUsed);
        BmpLayout layout;
        layout.width = 2;
        layout.height = 1;
        layout.bits = 8;
        layout.table = ColourPalette(3);
        layout.clrUsed = clrUsed;
        layout.rows = {2, 1, 0, 0};
        auto loaded = Read(BuildBmp(layout));
        ASSERT_TRUE(loaded->ok);
        // The table runs into the pixel bytes and the file's end; what it holds is read, nothing beyond.
        EXPECT_EQ(loaded->image.ColourTable()[2], layout.table[2]);
        EXPECT_EQ(loaded->image.ColourTable()[4], (RgbQuad{}));
    }
}

TEST(DibImageHostileTest, OffsetPastTheEndLeavesEveryPixelZero)
{
    for (const std::uint32_t offBits : {200u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        BmpLayout layout;
        layout.width = 2;
        layout.height = 2;
        layout.offBits = offBits;
        layout.rows = {};
        auto file = BuildBmp(layout);
        file.resize(60, 0x77);
        auto loaded = Read(file);
        ASSERT_TRUE(loaded->ok);
        EXPECT_TRUE(loaded->prompter.Messages().empty());
        EXPECT_TRUE(std::all_of(loaded->image.Pixels().begin(), loaded->image.Pixels().end(),
                                [](std::uint8_t v) { return v == 0; }));
    }
}

TEST(DibImageHostileTest, TruncatedOrUnknownHeadersAreRefused)
{
    const std::vector<Message> incomplete{ErrorBox("The file ends inside its bitmap header")};
    const std::vector<Message> unknown{ErrorBox("The bitmap header is of an unknown kind")};
    BmpLayout layout;
    layout.rows = {1, 2, 3, 0};
    const auto file = BuildBmp(layout);
    for (const std::size_t length : {2u, 13u, 14u, 17u, 30u, 53u}) {
        SCOPED_TRACE(length);
        auto loaded = Read(std::vector<std::uint8_t>(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_FALSE(loaded->ok);
        EXPECT_EQ(loaded->prompter.Messages(), incomplete);
    }
    for (const std::uint32_t size : {0u, 4u, 11u, 13u, 15u}) {
        auto patched = file;
        patched[14] = static_cast<std::uint8_t>(size);
        auto loaded = Read(patched);
        EXPECT_FALSE(loaded->ok);
        EXPECT_EQ(loaded->prompter.Messages(), unknown);
    }
    auto huge = file;
    huge[14] = huge[15] = huge[16] = huge[17] = 0xFF; // biSize 4 GiB - 1
    auto loaded = Read(huge);
    EXPECT_EQ(loaded->prompter.Messages(), incomplete);
}

TEST(DibImageHostileTest, RandomHeaderFieldsNeverReadOutsideTheFile)
{
    // Fields overwritten with noise: every outcome is a load or a refusal, and
    // the sanitizer build checks that no byte outside the file is touched.
    BmpLayout layout;
    layout.width = 9;
    layout.height = 7;
    layout.bits = 8;
    layout.table = ColourPalette(20);
    layout.rows = RandomRows(9, 7, 1, 4, 20);
    const auto file = BuildBmp(layout);
    for (std::uint32_t seed = 0; seed < 300; ++seed) {
        auto mutated = file;
        const auto noise = test::RandomBytes(8, seed);
        const std::size_t field = 2 + noise[0] % 48; // somewhere in the two headers
        for (std::size_t i = 0; i < 4 && field + i < mutated.size(); ++i)
            mutated[field + i] = noise[1 + i];
        if (noise[5] % 4 == 0)
            mutated[28] = noise[6] % 2 ? 8 : 24; // keep the depth readable more often
        const std::vector<std::uint8_t> shortened(
            mutated.begin(), mutated.begin() + static_cast<std::ptrdiff_t>(mutated.size() - noise[7] % mutated.size()));
        for (const auto& input : {mutated, shortened}) {
            auto loaded = Read(input);
            if (loaded->ok) {
                EXPECT_EQ(loaded->image.Pixels().size(), loaded->image.ImageSize());
                EXPECT_EQ(AsVector(loaded->image.ReferencePixels()), AsVector(loaded->image.Pixels()));
            } else {
                EXPECT_LE(loaded->prompter.Messages().size(), 1u);
            }
        }
    }
}

// Caps the address space a little above what the process already uses, so
// that a large block cannot be had.
void LimitAddressSpace()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{32} << 20);
    const rlimit cap{limit, limit};
    setrlimit(RLIMIT_AS, &cap);
}

TEST(DibImageHostileTest, BlockThatCannotBeHadGivesTheMemoryMessage)
{
    if (test::kAddressSanitizer)
        GTEST_SKIP() << "the address sanitizer reserves address space of its own";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    BmpLayout layout;
    // A file that holds all of its picture: 96 MB of block, under the size cap
    // and over the address-space cap.
    layout.width = 4096;
    layout.height = 4096;
    layout.rows.assign(std::size_t{4096} * 4096 * 3, 5);
    const auto file = BuildBmp(layout);
    EXPECT_EXIT(
        {
            LimitAddressSpace();
            CDibImage image;
            ScriptedPrompter prompter;
            const bool ok = image.ReadBmp(file, prompter, kDisplay, Limits{}).Ok();
            const bool told = prompter.Messages() == std::vector<Message>{ErrorBox("Memory is low", "MEMORY ERROR!")};
            std::_Exit(!ok && told ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// ---------------------------------------------------------------- colour detection and palettes

TEST(DibImagePaletteTest, DefaultPaletteIsTheRampForGrayAndTheFixedTableForColour)
{
    BmpLayout layout;
    layout.width = 2;
    layout.bits = 8;
    layout.table = ColourPalette(2);
    layout.rows = {0, 1, 0, 0};
    auto colour = Read(BuildBmp(layout));
    ASSERT_TRUE(colour->ok);
    CDibImage& image = colour->image;
    image.SetDefaultPalette();
    const auto& fixed = FixedColourTable();
    for (const std::size_t i : {0u, 9u, 100u, 225u, 255u}) {
        const RgbQuad entry = image.ColourTable()[i];
        EXPECT_EQ(entry, (RgbQuad{fixed[i][0], fixed[i][1], fixed[i][2], 0})) << i;
    }
    EXPECT_EQ(image.ColourTable()[9], (RgbQuad{240, 202, 166, 0})); // byte 1 is blue

    CDibImage gray;
    ASSERT_TRUE(gray.AllocateForCodData(3, 3, 8, false));
    EXPECT_EQ(gray.ColourTable()[77], (RgbQuad{77, 77, 77, 0}));
    EXPECT_EQ(gray.DetectColour(), 0);
}

// ---------------------------------------------------------------- packed image blocks

BitmapInfoHeader PackedHeader(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t clrUsed)
{
    BitmapInfoHeader header;
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biClrUsed = clrUsed;
    return header;
}

TEST(DibImagePackedTest, LoadsColourGrayAndIndexedBlocks)
{
    ScriptedPrompter prompter;
    const auto rgb = RandomRows(5, 3, 3, 21);
    CDibImage colour;
    ASSERT_TRUE(
        colour.LoadPackedBlock(MakePackedBlock(PackedHeader(5, 3, 24, 0), {}, rgb), prompter, kDisplay, Limits{}));
    EXPECT_EQ(AsVector(colour.Pixels()), rgb);
    EXPECT_EQ(AsVector(colour.ReferencePixels()), rgb);
    EXPECT_EQ(colour.FileHeader().bfType, kBmpTypeBM);
    EXPECT_EQ(colour.FileHeader().bfSize, rgb.size() + 14);
    EXPECT_EQ(colour.FileHeader().bfReserved1, 0);

    const auto levels = RandomRows(5, 3, 1, 22);
    const auto ramp = GrayRamp();
    CDibImage gray;
    ASSERT_TRUE(
        gray.LoadPackedBlock(MakePackedBlock(PackedHeader(5, 3, 8, 256), ramp, levels), prompter, kDisplay, Limits{}));
    EXPECT_EQ(gray.IsColour(), 0);
    EXPECT_EQ(AsVector(gray.Pixels()), levels);
    EXPECT_EQ(gray.FileHeader().bfSize, levels.size() + 14);

    const auto palette = ColourPalette(256);
    CDibImage indexed;
    ASSERT_TRUE(indexed.LoadPackedBlock(MakePackedBlock(PackedHeader(5, 3, 8, 256), palette, levels), prompter,
                                        kDisplay, Limits{}));
    EXPECT_EQ(indexed.ExpandedFromIndexed(), 10);
    EXPECT_EQ(AsVector(indexed.Pixels()), ExpandRows(levels, 5, 3, palette));
    EXPECT_TRUE(prompter.Messages().empty());

    // A packed image saves like any other.
    auto reread = Read(indexed.WriteBmp());
    ASSERT_TRUE(reread->ok);
    EXPECT_EQ(AsVector(reread->image.Pixels()), AsVector(indexed.Pixels()));
}

TEST(DibImagePackedTest, BlockShorterThanItsHeaderClaimsLeavesPixelsZero)
{
    ScriptedPrompter prompter;
    const auto rows = RandomRows(4, 4, 3, 23);
    auto block = MakePackedBlock(PackedHeader(4, 4, 24, 0), {}, rows);
    block.resize(block.size() - 20);
    CDibImage image;
    ASSERT_TRUE(image.LoadPackedBlock(block, prompter, kDisplay, Limits{}));
    const auto pixels = AsVector(image.Pixels());
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end() - 20, rows.begin()));
    EXPECT_TRUE(std::all_of(pixels.end() - 20, pixels.end(), [](std::uint8_t v) { return v == 0; }));

    // A table count far beyond the block puts the rows outside it: all zero, nothing read beyond.
    CDibImage overlong;
    ASSERT_TRUE(overlong.LoadPackedBlock(MakePackedBlock(PackedHeader(2, 2, 8, 0xFFFFFFFFu), GrayRamp(), rows),
                                         prompter, kDisplay, Limits{}));
    EXPECT_TRUE(std::all_of(overlong.Pixels().begin(), overlong.Pixels().end(), [](std::uint8_t v) { return v == 0; }));
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST(DibImagePackedTest, RefusesBadBlocks)
{
    ScriptedPrompter prompter;
    CDibImage image;
    const auto block = MakePackedBlock(PackedHeader(2, 2, 24, 0), {}, RandomRows(2, 2, 3, 1));
    EXPECT_FALSE(image.LoadPackedBlock(std::span(block).first(39), prompter, kDisplay, Limits{}));
    EXPECT_TRUE(prompter.Messages().empty());

    EXPECT_FALSE(
        image.LoadPackedBlock(MakePackedBlock(PackedHeader(2, 2, 16, 0), {}, {}), prompter, kDisplay, Limits{}));
    EXPECT_FALSE(
        image.LoadPackedBlock(MakePackedBlock(PackedHeader(0, 2, 24, 0), {}, {}), prompter, kDisplay, Limits{}));
    EXPECT_EQ(prompter.Messages(),
              (std::vector<Message>{ErrorBox("The file is not in a 24 bit or 8 bit mode"),
                                    ErrorBox("The width and height of the image must be 1 to 65535 pixels")}));
    EXPECT_FALSE(image.HasPixels());
}

TEST(DibImagePackedTest, MakePackedBlockLaysOutHeaderTableSpareAndRows)
{
    const RgbQuad entries[] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    const std::uint8_t rows[] = {9, 8, 0, 0};
    const auto block = MakePackedBlock(PackedHeader(2, 1, 8, 2), entries, rows);
    ASSERT_EQ(block.size(), 40u + 8u + 4u + 4u);
    ByteReader reader(block);
    EXPECT_EQ(ReadInfoHeader(reader), PackedHeader(2, 1, 8, 2));
    EXPECT_EQ(ReadRgbQuad(reader), entries[0]);
    EXPECT_EQ(ReadRgbQuad(reader), entries[1]);
    EXPECT_EQ(PackedRowsOffset(2), 52u);
    EXPECT_EQ(block[52], 9);
}

// ---------------------------------------------------------------- COD data

TEST(DibImageCodDataTest, ColourImageHasIndexButNoReferenceImage)
{
    CDibImage image;
    ASSERT_TRUE(image.AllocateForCodData(5, 3, 24, true));
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.IsColour(), 1);
    EXPECT_EQ(image.Pixels().size(), 48u);
    EXPECT_EQ(image.IndexPixels().size(), 24u);
    EXPECT_TRUE(image.ReferencePixels().empty());
    EXPECT_EQ(image.FileHeader(), (BitmapFileHeader{kBmpTypeBM, 48 + 54, 0, 0, 54}));
    EXPECT_EQ(image.Info().header, (BitmapInfoHeader{40, 5, 3, 1, 24, 0, 48, 0, 0, 0, 0}));
}

TEST(DibImageCodDataTest, GrayImageGets8BitsTheRampAndOffset1078)
{
    CDibImage image;
    ASSERT_TRUE(image.AllocateForCodData(5, 3, 8, false));
    EXPECT_EQ(image.BitsPerPixel(), 8);
    EXPECT_EQ(image.IsColour(), 0);
    EXPECT_EQ(image.Pixels().size(), 24u);
    EXPECT_TRUE(image.IndexPixels().empty());
    EXPECT_TRUE(image.ReferencePixels().empty());
    EXPECT_EQ(image.FileHeader().bfOffBits, 1078u);
    EXPECT_EQ(image.FileHeader().bfSize, 24u + 1078u);

    // Written out, it is a gray BMP with the ramp that reads back to the same pixels.
    std::fill(image.Pixels().begin(), image.Pixels().end(), std::uint8_t{0});
    image.Pixels()[6] = 200;
    const auto file = image.WriteBmp();
    ASSERT_EQ(file.size(), 1078u + 24u);
    EXPECT_EQ(file[54 + 4 * 200], 200);
    auto reread = Read(file);
    ASSERT_TRUE(reread->ok);
    EXPECT_EQ(AsVector(reread->image.Pixels()), AsVector(image.Pixels()));
}

TEST(DibImageCodDataTest, FailsSilentlyAndStaysEmpty)
{
    CDibImage image;
    EXPECT_FALSE(image.AllocateForCodData(0, 3, 24, true));
    EXPECT_FALSE(image.AllocateForCodData(3, 0, 8, false));
    EXPECT_FALSE(image.AllocateForCodData(3, 3, 8, true));          // colour needs 24 bits
    EXPECT_FALSE(image.AllocateForCodData(65535, 65535, 24, true)); // beyond the block cap
    EXPECT_FALSE(image.HasPixels());
    EXPECT_EQ(image.IsColour(), -1);
    EXPECT_EQ(image.FileHeader(), BitmapFileHeader{});
}

} // namespace
} // namespace tamr
