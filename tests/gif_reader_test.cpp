// The GIF reader: the packed blocks it makes from files built here, the images
// they load into, and what it does with broken and hostile files.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "image/GifReader.h"
#include "image/PackedImageBlock.h"
#include "platform/ByteReader.h"
#include "support/GifTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

using test::BuildGif;
using test::ColourTriples;
using test::GifBytes;
using test::GifCodeWriter;
using test::GifSpec;
using test::GrayTriples;
using Bgr = std::array<std::uint8_t, 3>;

const DisplaySettings kDisplay{};

Message ErrorBox(const std::string& text)
{
    return Message{text, "ERROR", MessageIcon::Error, MessageButtons::Ok};
}

const Message kGifDepth = ErrorBox("Two and four bit GIF files are not supported.");
const Message kImageDepth = ErrorBox("The file is not in a 24 bit or 8 bit mode");
const Message kTooLarge = ErrorBox("The image is too large to be held in memory");
const Message kPictureMissing = ErrorBox("The file ends long before the end of its picture");

struct Outcome {
    std::optional<ByteBlock> block;
    std::vector<Message> messages;
};

Outcome Read(const GifBytes& file, std::uint64_t maxPixels = Limits{}.maxPixels)
{
    ScriptedPrompter prompter;
    Outcome outcome;
    if (auto block = CGifReader().Read(file, prompter, Limits{.maxPixels = maxPixels}))
        outcome.block = std::move(*block);
    outcome.messages = prompter.Messages();
    return outcome;
}

// Reads a file that must give a block without a message.
ByteBlock MustRead(const GifSpec& layout)
{
    Outcome outcome = Read(BuildGif(layout));
    EXPECT_TRUE(outcome.messages.empty());
    if (!outcome.block) {
        ADD_FAILURE() << "no block";
        return {};
    }
    return std::move(*outcome.block);
}

BitmapInfoHeader HeaderOf(const ByteBlock& block)
{
    ByteReader reader(block);
    return ReadInfoHeader(reader);
}

std::size_t Stride(const BitmapInfoHeader& header)
{
    return (static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
}

// The stored bytes of the picture's row y (0 the top), padding included.
std::vector<std::uint8_t> RowBytes(const ByteBlock& block, int yFromTop)
{
    const BitmapInfoHeader header = HeaderOf(block);
    const std::size_t stride = Stride(header);
    const std::size_t start = static_cast<std::size_t>(PackedRowsOffset(header.biClrUsed)) +
                              static_cast<std::size_t>(header.biHeight - 1 - yFromTop) * stride;
    return {block.begin() + static_cast<std::ptrdiff_t>(start),
            block.begin() + static_cast<std::ptrdiff_t>(start + stride)};
}

// The values of an 8-bit block top-down, without padding.
std::vector<std::uint8_t> Values(const ByteBlock& block)
{
    const BitmapInfoHeader header = HeaderOf(block);
    std::vector<std::uint8_t> values;
    for (int y = 0; y < header.biHeight; ++y) {
        const auto row = RowBytes(block, y);
        values.insert(values.end(), row.begin(), row.begin() + header.biWidth);
    }
    return values;
}

RgbQuad PaletteEntry(const ByteBlock& block, std::size_t i)
{
    ByteReader reader(block);
    reader.Seek(kInfoHeaderSize + kRgbQuadSize * i);
    return ReadRgbQuad(reader);
}

GifBytes Pattern(int width, int height, int modulo)
{
    GifBytes values;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            values.push_back(static_cast<std::uint8_t>((x * 7 + y * 13 + 5) % modulo));
    return values;
}

GifSpec Picture(std::uint16_t width, std::uint16_t height, int modulo = 256)
{
    GifSpec layout;
    layout.width = width;
    layout.height = height;
    layout.pixels = Pattern(width, height, modulo);
    return layout;
}

CDibImage LoadImage(const ByteBlock& block, std::vector<Message>* messages = nullptr)
{
    ScriptedPrompter prompter;
    CDibImage image;
    (void)image.LoadPackedBlock(block, prompter, kDisplay, Limits{});
    if (messages)
        *messages = prompter.Messages();
    else
        EXPECT_TRUE(prompter.Messages().empty());
    return image;
}

Bgr ColourAt(const CDibImage& image, int x, int yFromTop)
{
    const std::size_t stride = std::size_t{image.Width()} * 3 + image.RowPad();
    const std::size_t offset = (image.Height() - 1 - static_cast<std::size_t>(yFromTop)) * stride + x * 3u;
    const auto pixels = image.Pixels();
    return {pixels[offset], pixels[offset + 1], pixels[offset + 2]};
}

// The colour a GIF table (red, green, blue triples) gives index i, as blue, green, red.
Bgr TableColour(const GifBytes& table, int i)
{
    const auto at = static_cast<std::size_t>(3 * i);
    return {table[at + 2], table[at + 1], table[at]};
}

TEST(GifReaderTest, Plain89aWithControlAndCommentExtensionsHoldsItsTopRowLast)
{
    GifSpec layout = Picture(5, 3);
    layout.extensions = {test::GraphicControlExtension(), test::CommentExtension("made for the reader test")};
    const ByteBlock block = MustRead(layout);

    const BitmapInfoHeader header = HeaderOf(block);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 5);
    EXPECT_EQ(header.biHeight, 3);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biCompression, 0u);
    EXPECT_EQ(header.biSizeImage, 0u);
    EXPECT_EQ(header.biClrUsed, 256u);
    EXPECT_EQ(header.biClrImportant, 256u);
    EXPECT_EQ(block.size(), 8u * 3 + 4 * 256 + 44);
    for (int i : {0, 1, 128, 255})
        EXPECT_EQ(
            PaletteEntry(block, static_cast<std::size_t>(i)),
            (RgbQuad{layout.globalTable[3 * i + 2], layout.globalTable[3 * i + 1], layout.globalTable[3 * i], 0}));

    // The block is bottom-up: the file's first row is the block's last.
    const std::size_t rows = PackedRowsOffset(256);
    const GifBytes top(layout.pixels.begin(), layout.pixels.begin() + 5);
    EXPECT_TRUE(std::equal(top.begin(), top.end(), block.begin() + static_cast<std::ptrdiff_t>(rows + 2 * 8)));
    const GifBytes bottom(layout.pixels.begin() + 10, layout.pixels.end());
    EXPECT_TRUE(std::equal(bottom.begin(), bottom.end(), block.begin() + static_cast<std::ptrdiff_t>(rows)));
    EXPECT_EQ(Values(block), layout.pixels);

    const CDibImage image = LoadImage(block);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.IsColour(), 1);
    EXPECT_EQ(image.ExpandedFromIndexed(), 10);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(ColourAt(image, x, y), TableColour(layout.globalTable, layout.pixels[y * 5 + x]));
}

TEST(GifReaderTest, Version87aAndAnyLetterCaseOpen)
{
    for (const char* signature : {"GIF87a", "GIF89a", "gif89a", "GiF87A"}) {
        GifSpec layout = Picture(2, 2);
        layout.signature = signature;
        EXPECT_EQ(Values(MustRead(layout)), layout.pixels) << signature;
    }
}

TEST(GifReaderTest, InterlacedGivesTheSameBlockAsItsPlainTwin)
{
    // Every height up to 17 ends the four passes in a different place.
    for (std::uint16_t height = 1; height <= 17; ++height) {
        SCOPED_TRACE(height);
        GifSpec plain = Picture(3, height);
        GifSpec interlaced = plain;
        interlaced.interlaced = true;
        ASSERT_NE(BuildGif(plain), BuildGif(interlaced));
        EXPECT_EQ(MustRead(interlaced), MustRead(plain));
    }
}

TEST(GifReaderTest, RowsArePaddedWithZerosToFourBytes)
{
    for (std::uint16_t width = 1; width <= 9; ++width) {
        SCOPED_TRACE(width);
        GifSpec layout;
        layout.width = width;
        layout.height = 2;
        layout.pixels.assign(std::size_t{width} * 2, 255);
        const ByteBlock block = MustRead(layout);
        const std::size_t stride = (width + 3u) / 4 * 4;
        EXPECT_EQ(block.size(), stride * 2 + PackedRowsOffset(256));
        for (int y = 0; y < 2; ++y) {
            GifBytes expected(width, 255);
            expected.resize(stride, 0);
            EXPECT_EQ(RowBytes(block, y), expected);
        }
    }
}

TEST(GifReaderTest, ScreenTableOfFewerThan256EntriesGivesTheDepthMessage)
{
    for (int bits = 1; bits <= 7; ++bits) {
        SCOPED_TRACE(bits);
        GifSpec layout = Picture(4, 4, 2);
        layout.screenTableBits = bits;
        layout.globalTable = ColourTriples(1 << bits);
        layout.minimumCodeSize = std::max(2, bits);
        Outcome outcome = Read(BuildGif(layout));
        EXPECT_FALSE(outcome.block);
        EXPECT_EQ(outcome.messages, std::vector<Message>{kGifDepth});
        // The size field counts even when the screen has no table.
        layout.hasGlobalTable = false;
        outcome = Read(BuildGif(layout));
        EXPECT_FALSE(outcome.block);
        EXPECT_EQ(outcome.messages, std::vector<Message>{kGifDepth});
    }
}

TEST(GifReaderTest, LocalTableOf32EntriesGivesAnEightBitBlockWithItsColours)
{
    GifSpec layout = Picture(6, 4, 32);
    GifBytes local;
    for (int i = 0; i < 32; ++i)
        local.insert(local.end(), {static_cast<std::uint8_t>(8 * i), 200, static_cast<std::uint8_t>(255 - i)});
    layout.localTable = local;
    layout.minimumCodeSize = 5;
    const ByteBlock block = MustRead(layout);
    const BitmapInfoHeader header = HeaderOf(block);
    EXPECT_EQ(header.biBitCount, 8);
    EXPECT_EQ(header.biClrUsed, 32u);
    EXPECT_EQ(header.biClrImportant, 32u);
    EXPECT_EQ(block.size(), 8u * 4 + 4 * 32 + 44);
    for (std::size_t i = 0; i < 32; ++i)
        EXPECT_EQ(PaletteEntry(block, i), (RgbQuad{local[3 * i + 2], local[3 * i + 1], local[3 * i], 0}));
    EXPECT_EQ(Values(block), layout.pixels);

    const CDibImage image = LoadImage(block);
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.BitsPerPixel(), 24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(ColourAt(image, x, y), TableColour(local, layout.pixels[y * 6 + x]));
}

TEST(GifReaderTest, SmallLocalTablesGiveBlocksTheImageRefuses)
{
    // 16 entries: 4 bits, first pixel in the high nibble; 2 entries: 1 bit,
    // first pixel in the top bit. The image takes neither depth.
    struct Case {
        int entries;
        int bits;
        GifBytes firstRow; // the top row's bytes, padding included
    };
    const GifBytes values = {1, 0, 1, 1, 0, 0, 1, 0, 1, 1, 1};
    const Case cases[] = {{16, 4, {0x10, 0x11, 0x00, 0x10, 0x11, 0x10, 0x00, 0x00}}, {2, 1, {0xB2, 0xE0, 0, 0}}};
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.entries);
        GifSpec layout;
        layout.width = static_cast<std::uint16_t>(values.size());
        layout.height = 1;
        layout.pixels = values;
        layout.localTable = ColourTriples(entry.entries);
        layout.minimumCodeSize = 2;
        const ByteBlock block = MustRead(layout);
        const BitmapInfoHeader header = HeaderOf(block);
        EXPECT_EQ(header.biBitCount, entry.bits);
        EXPECT_EQ(header.biClrUsed, static_cast<std::uint32_t>(entry.entries));
        EXPECT_EQ(RowBytes(block, 0), entry.firstRow);
        std::vector<Message> messages;
        EXPECT_FALSE(LoadImage(block, &messages).HasPixels());
        EXPECT_EQ(messages, std::vector<Message>{kImageDepth});
    }
}

TEST(GifReaderTest, GrayRampPaletteLoadsAsGrayAndAnyOtherAsColour)
{
    GifSpec layout = Picture(7, 3);
    layout.globalTable = GrayTriples(256);
    CDibImage image = LoadImage(MustRead(layout));
    ASSERT_TRUE(image.HasPixels());
    EXPECT_EQ(image.BitsPerPixel(), 8);
    EXPECT_EQ(image.IsColour(), 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(image.Pixels()[(2 - y) * 8u + x], layout.pixels[y * 7u + x]);

    layout.globalTable[3 * 200] = 1; // one entry not gray
    image = LoadImage(MustRead(layout));
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.IsColour(), 1);
}

TEST(GifReaderTest, NoColourTableAtAllGivesTheGrayRamp)
{
    GifSpec layout = Picture(4, 4);
    layout.hasGlobalTable = false;
    const ByteBlock block = MustRead(layout);
    for (std::size_t i : {0u, 1u, 77u, 255u}) {
        const auto level = static_cast<std::uint8_t>(i);
        EXPECT_EQ(PaletteEntry(block, i), (RgbQuad{level, level, level, 0}));
    }
    const CDibImage image = LoadImage(block);
    EXPECT_EQ(image.IsColour(), 0);
    EXPECT_EQ(image.BitsPerPixel(), 8);
    EXPECT_EQ(image.Pixels()[3 * 4u], layout.pixels[0]);
}

TEST(GifReaderTest, CodeDefinedByItsOwnUseDecodes)
{
    GifCodeWriter codes;
    codes.Write(4, 3); // clear, minimum code size 2
    codes.Write(1, 3);
    codes.Write(2, 3); // defines 6 = "1 2"
    codes.Write(7, 3); // the next free code: "2 2"
    codes.Write(6, 4);
    codes.Write(5, 4); // end
    GifSpec layout;
    layout.width = 3;
    layout.height = 2;
    layout.minimumCodeSize = 2;
    layout.codeBytes = codes.Bytes();
    EXPECT_EQ(Values(MustRead(layout)), (GifBytes{1, 2, 2, 2, 1, 2}));
}

TEST(GifReaderTest, StreamsThatKeepAFullTableOrClearOftenDecode)
{
    for (const test::LzwOptions options :
         {test::LzwOptions{.clearWhenFull = false}, test::LzwOptions{.extraClearsAtStart = 2, .clearEvery = 100}}) {
        GifSpec layout;
        layout.width = 300;
        layout.height = 200;
        std::mt19937 generator(5);
        for (int i = 0; i < 300 * 200; ++i)
            layout.pixels.push_back(static_cast<std::uint8_t>(generator() % 7 == 0 ? generator() : i / 300));
        layout.lzw = options;
        layout.blockSize = 254;
        EXPECT_EQ(Values(MustRead(layout)), layout.pixels);
    }
}

TEST(GifReaderTest, ValuesBeyondTheColourTableStayAndLoadBlack)
{
    GifSpec layout;
    layout.width = 3;
    layout.height = 1;
    layout.localTable = ColourTriples(32);
    layout.minimumCodeSize = 8;
    layout.pixels = {31, 32, 200};
    const ByteBlock block = MustRead(layout);
    EXPECT_EQ(Values(block), layout.pixels);
    const CDibImage image = LoadImage(block);
    EXPECT_EQ(ColourAt(image, 0, 0), TableColour(*layout.localTable, 31));
    EXPECT_EQ(ColourAt(image, 1, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(ColourAt(image, 2, 0), (Bgr{0, 0, 0}));
}

// A picture of 9s whose code stream gives out after `decoded` values; the
// rest of the rows must be 0, never a decoder end value taken for a pixel
// (-1 and -2 would be stored as 255 and 254).
void ExpectRestIsZero(const GifSpec& layout, std::size_t decoded)
{
    const GifBytes values = Values(MustRead(layout));
    ASSERT_EQ(values.size(), std::size_t{layout.width} * layout.height);
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(values[i], i < decoded ? 9 : 0) << i;
}

TEST(GifReaderHostileTest, StreamThatEndsEarlyLeavesTheRestZero)
{
    GifSpec layout;
    layout.width = 6;
    layout.height = 5;
    layout.pixels.assign(13, 9); // fewer values than the picture has
    SCOPED_TRACE("end code");
    ExpectRestIsZero(layout, 13);
    layout.lzw.endCode = false;
    SCOPED_TRACE("empty sub-block");
    ExpectRestIsZero(layout, 13);
    layout.terminate = false;
    layout.trailer = false;
    SCOPED_TRACE("end of file");
    ExpectRestIsZero(layout, 13);
    // Interlaced, rows 0, 4 and 2 get the 13 values.
    layout.interlaced = true;
    layout.codeBytes = test::LzwEncode(layout.pixels, 8, layout.lzw);
    const GifBytes values = Values(MustRead(layout));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool reached = y == 0 || y == 4 || (y == 2 && x == 0);
            EXPECT_EQ(values[y * 6u + x], reached ? 9 : 0) << x << "," << y;
        }
}

TEST(GifReaderHostileTest, SubBlockLongerThanTheFileStopsAtItsEnd)
{
    GifSpec layout;
    layout.width = 40;
    layout.height = 40;
    layout.pixels.assign(1600, 9);
    // Half the code bytes in one sub-block whose length byte claims 255, and
    // nothing after them.
    const GifBytes codes = test::LzwEncode(layout.pixels, 8);
    layout.codeBytes = GifBytes(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(codes.size() / 2));
    layout.terminate = false;
    layout.trailer = false;
    GifBytes file = BuildGif(layout);
    const std::size_t lengthByte = file.size() - layout.codeBytes->size() - 1;
    ASSERT_EQ(file[lengthByte], layout.codeBytes->size());
    file[lengthByte] = 255;
    const Outcome outcome = Read(file);
    ASSERT_TRUE(outcome.block);
    const GifBytes values = Values(*outcome.block);
    const auto firstZero = std::find(values.begin(), values.end(), 0);
    EXPECT_GT(firstZero - values.begin(), 100);
    EXPECT_TRUE(std::all_of(values.begin(), firstZero, [](std::uint8_t v) { return v == 9; }));
    EXPECT_TRUE(std::all_of(firstZero, values.end(), [](std::uint8_t v) { return v == 0; }));
}

TEST(GifReaderHostileTest, LoopingCodeChainEndsTheDecoding)
{
    GifCodeWriter codes;
    codes.Write(4, 3); // clear, minimum code size 2
    codes.Write(3, 3);
    codes.Write(7, 3); // beyond the next free code
    codes.Write(6, 3); // leaves entry 7 as its own prefix
    for (int i = 0; i < 50; ++i)
        codes.Write(7, 4);
    GifSpec layout;
    layout.width = 64;
    layout.height = 64;
    layout.minimumCodeSize = 2;
    layout.codeBytes = codes.Bytes();
    const GifBytes values = Values(MustRead(layout));
    EXPECT_TRUE(std::all_of(values.begin(), values.begin() + 5, [](std::uint8_t v) { return v == 3; }));
    EXPECT_TRUE(std::all_of(values.begin() + 5, values.end(), [](std::uint8_t v) { return v == 0; }));
}

TEST(GifReaderHostileTest, UndefinedFirstCodeAndUnusableCodeSizesLeaveThePixelsZero)
{
    {
        GifCodeWriter codes;
        codes.Write(4, 3);
        codes.Write(6, 3); // nothing is defined yet
        codes.Write(1, 3);
        GifSpec layout = Picture(4, 4);
        layout.minimumCodeSize = 2;
        layout.codeBytes = codes.Bytes();
        const ByteBlock block = MustRead(layout);
        EXPECT_EQ(Values(block), GifBytes(16, 0));
    }
    for (const int size : {0, 1, 9, 12, 255}) {
        SCOPED_TRACE(size);
        GifSpec layout = Picture(4, 4);
        layout.codeBytes = test::LzwEncode(layout.pixels, 8);
        layout.minimumCodeSize = size;
        const ByteBlock block = MustRead(layout);
        EXPECT_EQ(Values(block), GifBytes(16, 0));
        EXPECT_EQ(PaletteEntry(block, 5),
                  (RgbQuad{layout.globalTable[17], layout.globalTable[16], layout.globalTable[15], 0}));
    }
}

TEST(GifReaderHostileTest, HugePicturesAreRefusedBeforeAllocating)
{
    GifSpec layout;
    layout.width = 65535;
    layout.height = 65535;
    layout.pixels = {1, 2, 3};
    // More than the reader's limit.
    EXPECT_EQ(Read(BuildGif(layout)).messages, std::vector<Message>{kTooLarge});
    // Within the limit, but far more than the few code bytes could hold.
    Outcome outcome = Read(BuildGif(layout), std::numeric_limits<std::uint64_t>::max());
    EXPECT_FALSE(outcome.block);
    EXPECT_EQ(outcome.messages, std::vector<Message>{kPictureMissing});
    layout.width = 4096;
    layout.height = 4096;
    outcome = Read(BuildGif(layout));
    EXPECT_FALSE(outcome.block);
    EXPECT_EQ(outcome.messages, std::vector<Message>{kPictureMissing});
    // 28 KB of nothing but clear codes cannot decode to 16384 x 16384 pixels
    // (which 28 KB of 3-bit codes each worth 4096 pixels could).
    layout.width = 16384;
    layout.height = 16384;
    layout.lzw.extraClearsAtStart = 25000;
    outcome = Read(BuildGif(layout), std::numeric_limits<std::uint64_t>::max());
    EXPECT_FALSE(outcome.block);
    EXPECT_EQ(outcome.messages, std::vector<Message>{kPictureMissing});
    layout.lzw.extraClearsAtStart = 0;
    // A small picture opens from a stream that stops at once.
    layout.width = 200;
    layout.height = 300;
    outcome = Read(BuildGif(layout));
    ASSERT_TRUE(outcome.block);
    EXPECT_EQ(outcome.block->size(), 200u * 300 + PackedRowsOffset(256));
}

TEST(GifReaderHostileTest, ZeroSidesGiveABlockTheImageRefuses)
{
    for (const auto& [width, height] : {std::pair{0, 5}, {5, 0}, {0, 0}}) {
        GifSpec layout;
        layout.width = static_cast<std::uint16_t>(width);
        layout.height = static_cast<std::uint16_t>(height);
        const ByteBlock block = MustRead(layout);
        EXPECT_EQ(block.size(), PackedRowsOffset(256));
        std::vector<Message> messages;
        EXPECT_FALSE(LoadImage(block, &messages).HasPixels());
        EXPECT_EQ(messages,
                  std::vector<Message>{ErrorBox("The width and height of the image must be 1 to 65535 pixels")});
    }
}

TEST(GifReaderHostileTest, FilesEndingBeforeTheirImageDataGiveNothingSilently)
{
    GifSpec layout = Picture(4, 4);
    layout.extensions = {test::CommentExtension("a comment"), test::GraphicControlExtension()};
    layout.localTable = ColourTriples(256);
    const GifBytes file = BuildGif(layout);
    // Header, screen, global table, extensions, descriptor and local table.
    const std::size_t imageData = 13 + 768 + layout.extensions[0].size() + layout.extensions[1].size() + 10 + 768;
    ASSERT_EQ(file[imageData], 8); // the minimum code size
    for (std::size_t length = 0; length < imageData; ++length) {
        const GifBytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        const Outcome outcome = Read(cut);
        EXPECT_FALSE(outcome.block) << length;
        EXPECT_TRUE(outcome.messages.empty()) << length;
    }
    // Once the descriptor and the tables are whole, the picture opens with what there is.
    for (std::size_t length = imageData; length <= file.size(); ++length) {
        const GifBytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        const Outcome outcome = Read(cut);
        ASSERT_TRUE(outcome.block) << length;
        EXPECT_EQ(outcome.block->size(), 16u + PackedRowsOffset(256));
    }
}

TEST(GifReaderHostileTest, WrongSignaturesGiveNothingSilently)
{
    for (const char* signature : {"GIF88a", "GIF89b", "GIF8", "XIF89a", "GIF8 a"}) {
        GifSpec layout = Picture(2, 2);
        layout.signature = signature;
        const Outcome outcome = Read(BuildGif(layout));
        EXPECT_FALSE(outcome.block) << signature;
        EXPECT_TRUE(outcome.messages.empty()) << signature;
    }
    EXPECT_FALSE(Read({}).block);
}

TEST(GifReaderHostileTest, DamagedFilesGiveWholeBlocksOrNothing)
{
    GifSpec layout = Picture(23, 17);
    layout.extensions = {test::CommentExtension("comment")};
    layout.interlaced = true;
    const GifBytes original = BuildGif(layout);
    int blocks = 0;
    for (std::uint32_t seed = 0; seed < 3000; ++seed) {
        std::mt19937 generator(seed);
        GifBytes file = original;
        const int changes = 1 + static_cast<int>(generator() % 6);
        for (int i = 0; i < changes; ++i)
            file[6 + generator() % (file.size() - 6)] = static_cast<std::uint8_t>(generator());
        file.resize(file.size() - generator() % 40);
        ScriptedPrompter prompter;
        const auto block = CGifReader().Read(file, prompter, Limits{.maxPixels = 1 << 20});
        ASSERT_LE(prompter.Messages().size(), 1u);
        if (!block)
            continue;
        ++blocks;
        const BitmapInfoHeader header = HeaderOf(*block);
        ASSERT_TRUE(header.biBitCount == 8 || header.biBitCount == 4 || header.biBitCount == 1);
        EXPECT_EQ(block->size(), PackedRowsOffset(header.biClrUsed) + Stride(header) * std::uint64_t(header.biHeight));
        CDibImage image;
        (void)image.LoadPackedBlock(*block, prompter, kDisplay, Limits{});
    }
    EXPECT_GT(blocks, 1000);
}

} // namespace
} // namespace tamr
