#include <gtest/gtest.h>
#include <spng.h>

#include <array>
#include <memory>

#include "image/BmpHeaders.h"
#include "image/PackedImageBlock.h"
#include "image/PngReader.h"
#include "support/PngTestFiles.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::BuildPng;
using test::PatternPng;
using test::PngLayout;

// Reads pixels back out of a packed block: red, green, blue from the top-left.
struct BlockPixels {
    explicit BlockPixels(const ByteBlock& block) : bytes(block)
    {
        ByteReader reader(bytes);
        header = ReadInfoHeader(reader);
        const std::size_t rowBytes = std::size_t(header.biWidth) * (header.biBitCount / 8);
        stride = (rowBytes + 3) / 4 * 4;
        rows = PackedRowsOffset(header.biClrUsed);
    }
    bool Colour() const { return header.biBitCount == 24; }
    std::array<int, 3> At(std::uint32_t x, std::uint32_t y) const
    {
        const std::size_t row = rows + (std::size_t(header.biHeight) - 1 - y) * stride;
        if (!Colour()) {
            const int level = bytes[row + x];
            return {level, level, level};
        }
        const std::size_t at = row + 3 * std::size_t{x};
        return {bytes[at + 2], bytes[at + 1], bytes[at]};
    }

    const ByteBlock& bytes;
    BitmapInfoHeader header;
    std::size_t stride = 0;
    std::size_t rows = 0;
};

int Scaled(std::uint32_t value, std::uint8_t depth)
{
    const std::uint32_t largest = (1u << depth) - 1;
    return static_cast<int>((value * 255 + largest / 2) / largest);
}

int OverWhite(int colour, int alpha)
{
    return (colour * alpha + 255 * (255 - alpha) + 127) / 255;
}

// What the reader must make of pixel (x, y) of an opaque layout.
std::array<int, 3> Expected(const PngLayout& layout, std::uint32_t x, std::uint32_t y)
{
    const int channels = test::PngChannels(layout.colourType);
    const std::size_t at = (std::size_t{y} * layout.width + x) * channels;
    auto sample = [&](int c) { return Scaled(layout.samples[at + c], layout.depth); };
    switch (layout.colourType) {
    case 0:
        return {sample(0), sample(0), sample(0)};
    case 2:
        return {sample(0), sample(1), sample(2)};
    case 3: {
        const std::size_t entry = 3 * std::size_t{layout.samples[at]};
        return {layout.palette[entry], layout.palette[entry + 1], layout.palette[entry + 2]};
    }
    case 4:
        return {OverWhite(sample(0), sample(1)), OverWhite(sample(0), sample(1)), OverWhite(sample(0), sample(1))};
    default:
        return {OverWhite(sample(0), sample(3)), OverWhite(sample(1), sample(3)), OverWhite(sample(2), sample(3))};
    }
}

TEST(PngReader, EveryColourTypeAndDepthInterlacedOrNot)
{
    const std::vector<std::pair<std::uint8_t, std::vector<std::uint8_t>>> kinds = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const auto& [colourType, depths] : kinds) {
        for (const std::uint8_t depth : depths) {
            for (const bool interlaced : {false, true}) {
                SCOPED_TRACE("colour type " + std::to_string(colourType) + ", " + std::to_string(depth) + " bits" +
                             (interlaced ? ", interlaced" : ""));
                PngLayout layout = PatternPng(13, 11, depth, colourType);
                layout.interlaced = interlaced;
                const PictureReadResult result = ReadPng(BuildPng(layout), Limits{});
                ASSERT_TRUE(result.block) << result.failure;
                const BlockPixels pixels(*result.block);
                EXPECT_EQ(pixels.Colour(), colourType == 2 || colourType == 3 || colourType == 6);
                EXPECT_EQ(result.composited, colourType == 4 || colourType == 6);
                for (std::uint32_t y = 0; y < layout.height; ++y)
                    for (std::uint32_t x = 0; x < layout.width; ++x)
                        ASSERT_EQ(pixels.At(x, y), Expected(layout, x, y)) << "at " << x << ", " << y;
            }
        }
    }
}

TEST(PngReader, SixteenBitSamplesRoundToNearestAndTransparencyGoesOverWhite)
{
    PngLayout deep = PatternPng(4, 1, 16, 6);
    deep.samples = {0x00FF, 0x01FE, 0x0000, 0xFFFF, 200 * 257, 100 * 257, 0, 128 * 257,
                    0xFFFF, 0xFFFF, 0xFFFF, 0,      1,         2,         3, 0xFFFF};
    const auto result = ReadPng(BuildPng(deep), Limits{});
    ASSERT_TRUE(result.block) << result.failure;
    const BlockPixels pixels(*result.block);
    EXPECT_EQ(pixels.At(0, 0), (std::array<int, 3>{1, 2, 0}));       // 255 and 510 of 65535: 0.99 and 1.98
    EXPECT_EQ(pixels.At(1, 0), (std::array<int, 3>{227, 177, 127})); // alpha 128 over white
    EXPECT_EQ(pixels.At(2, 0), (std::array<int, 3>{255, 255, 255})); // fully transparent
    EXPECT_EQ(pixels.At(3, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_TRUE(result.composited);
}

TEST(PngReader, TrnsChunksMakeOneColourOrPaletteEntriesTransparent)
{
    PngLayout gray = PatternPng(2, 1, 8, 0);
    gray.samples = {7, 9};
    gray.trns = std::vector<std::uint8_t>{0, 7};
    auto result = ReadPng(BuildPng(gray), Limits{});
    ASSERT_TRUE(result.block);
    EXPECT_EQ(BlockPixels(*result.block).At(0, 0)[0], 255);
    EXPECT_EQ(BlockPixels(*result.block).At(1, 0)[0], 9);
    EXPECT_TRUE(result.composited);

    PngLayout rgb = PatternPng(2, 1, 16, 2);
    rgb.samples = {1, 2, 3, 1, 2, 4};
    rgb.trns = std::vector<std::uint8_t>{0, 1, 0, 2, 0, 3};
    result = ReadPng(BuildPng(rgb), Limits{});
    ASSERT_TRUE(result.block);
    EXPECT_EQ(BlockPixels(*result.block).At(0, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(BlockPixels(*result.block).At(1, 0), (std::array<int, 3>{0, 0, 0}));

    // A palette whose one colour entry is fully transparent shows only gray: a gray picture.
    PngLayout palette = PatternPng(3, 1, 8, 3);
    palette.palette = {10, 10, 10, 255, 0, 0, 50, 50, 50};
    palette.samples = {0, 1, 2};
    palette.trns = std::vector<std::uint8_t>{255, 0};
    result = ReadPng(BuildPng(palette), Limits{});
    ASSERT_TRUE(result.block);
    const BlockPixels pixels(*result.block);
    EXPECT_FALSE(pixels.Colour());
    EXPECT_EQ(pixels.At(0, 0)[0], 10);
    EXPECT_EQ(pixels.At(1, 0)[0], 255);
    EXPECT_EQ(pixels.At(2, 0)[0], 50);

    // Opaque pictures tell nothing.
    EXPECT_FALSE(ReadPng(BuildPng(PatternPng(3, 3, 8, 2)), Limits{}).composited);
}

TEST(PngReader, DamagedCutOffAndOversizedFilesAreRefusedWithTheReason)
{
    const auto good = BuildPng(PatternPng(16, 16, 8, 2));
    ASSERT_TRUE(ReadPng(good, Limits{}).block);

    auto damaged = good;
    damaged[damaged.size() - 14] ^= 0x40; // the IDAT chunk's checksum, before the 12 bytes of IEND
    auto result = ReadPng(damaged, Limits{});
    EXPECT_FALSE(result.block);
    EXPECT_NE(result.failure.find("checksum"), std::string::npos) << result.failure;
    damaged = good;
    damaged[damaged.size() - 20] ^= 0x40; // the compressed data itself
    EXPECT_FALSE(ReadPng(damaged, Limits{}).block);

    for (const std::size_t cut : {std::size_t{20}, good.size() / 2, good.size() - 6}) {
        result = ReadPng(std::span(good).first(cut), Limits{});
        EXPECT_FALSE(result.block) << "cut at " << cut;
        EXPECT_FALSE(result.failure.empty());
    }

    // More pixels than the limit allows, and a picture far larger than its file could code.
    result = ReadPng(good, Limits{.maxPixels = 255});
    EXPECT_FALSE(result.block);
    EXPECT_NE(result.failure.find("16 x 16 pixels"), std::string::npos) << result.failure;
    std::vector<std::uint8_t> huge = test::PngSignature();
    test::PutChunk(huge, "IHDR", test::PngHeaderChunk(16000, 16000, 8, 2, false));
    test::PutChunk(huge, "IDAT", test::Deflate(std::vector<std::uint8_t>(100, 0)));
    test::PutChunk(huge, "IEND", {});
    result = ReadPng(huge, Limits{});
    EXPECT_FALSE(result.block);
    EXPECT_NE(result.failure.find("far too short"), std::string::npos) << result.failure;
    test::PutChunk(huge, "IHDR", test::PngHeaderChunk(70000, 1, 8, 2, false));
    EXPECT_FALSE(ReadPng(huge, Limits{}).block);
}

TEST(PngReader, DataThatExpandsPastThePictureIsBoundedByIt)
{
    // Filtered data for the picture and then 16 MiB of zeros, deflated to a
    // few kilobytes: the reader must not follow the stream past the picture.
    PngLayout layout = PatternPng(8, 8, 8, 0);
    layout.extraData = std::size_t{16} << 20;
    const auto file = BuildPng(layout);
    ASSERT_LT(file.size(), std::size_t{1} << 20);
    const auto result = ReadPng(file, Limits{});
    if (result.block) {
        const BlockPixels pixels(*result.block);
        EXPECT_EQ(pixels.At(7, 7), Expected(layout, 7, 7));
        EXPECT_EQ(result.block->size(), PackedRowsOffset(256) + 8 * 8);
    } else {
        EXPECT_FALSE(result.failure.empty());
    }
}

// One gray pixel of level 7 with the given chunks before its picture data.
std::vector<std::uint8_t> GrayPixelWith(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& chunks)
{
    std::vector<std::uint8_t> file = test::PngSignature();
    test::PutChunk(file, "IHDR", test::PngHeaderChunk(1, 1, 8, 0, false));
    for (const auto& [type, data] : chunks)
        test::PutChunk(file, type, data);
    test::PutChunk(file, "IDAT", test::Deflate({0, 7}));
    test::PutChunk(file, "IEND", {});
    return file;
}

TEST(PngReader, ExtraChunksBeyondWhatTheDecoderKeepsAreSkippedAndSaidSo)
{
    // A compressed text that expands without end, and twenty thousand texts.
    std::vector<std::uint8_t> text = {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0};
    const auto packed = test::Deflate(std::vector<std::uint8_t>(std::size_t{32} << 20, 'a'));
    text.insert(text.end(), packed.begin(), packed.end());
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> bomb{{"zTXt", text}};
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> many(
        20000, {"tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'}});
    for (const auto& chunks : {bomb, many}) {
        const auto result = ReadPng(GrayPixelWith(chunks), Limits{});
        ASSERT_TRUE(result.block) << result.failure;
        EXPECT_TRUE(result.skippedChunks);
        EXPECT_EQ(BlockPixels(*result.block).At(0, 0), (std::array<int, 3>{7, 7, 7}));
    }
    // A few small texts are ignored without a word.
    const auto plain = ReadPng(GrayPixelWith({{"tEXt", {'a', 0, 'b'}}}), Limits{});
    ASSERT_TRUE(plain.block) << plain.failure;
    EXPECT_FALSE(plain.skippedChunks);
}

TEST(PngReader, PictureDataInterruptedByAnotherChunkIsRefused)
{
    const auto data = test::Deflate({0, 7});
    const std::size_t half = data.size() / 2;
    std::vector<std::uint8_t> file = test::PngSignature();
    test::PutChunk(file, "IHDR", test::PngHeaderChunk(1, 1, 8, 0, false));
    test::PutChunk(file, "IDAT", {data.begin(), data.begin() + static_cast<std::ptrdiff_t>(half)});
    test::PutChunk(file, "tEXt", {'a', 0, 'b'});
    test::PutChunk(file, "IDAT", {data.begin() + static_cast<std::ptrdiff_t>(half), data.end()});
    test::PutChunk(file, "IEND", {});
    const auto result = ReadPng(file, Limits{});
    EXPECT_FALSE(result.block);
    EXPECT_EQ(result.failure,
              "PNG: the picture data (IDAT chunks) is interrupted by another chunk; the file is damaged");
}

// The photos as libspng itself decodes them to 8-bit RGB.
TEST(PngReader, CorpusPhotosGiveLibspngsOwnPixels)
{
    const auto files = test::CorpusFiles("photos");
    if (files.empty())
        GTEST_SKIP() << "the shared corpus is not beside the checkout";
    int read = 0;
    for (const auto& path : files) {
        if (path.extension() != ".png")
            continue;
        const auto bytes = test::ReadBytes(path);
        const auto result = ReadPng(bytes, Limits{});
        ASSERT_TRUE(result.block) << path << ": " << result.failure;
        std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> context(spng_ctx_new(0), &spng_ctx_free);
        spng_set_png_buffer(context.get(), bytes.data(), bytes.size());
        spng_ihdr ihdr{};
        ASSERT_EQ(spng_get_ihdr(context.get(), &ihdr), 0);
        if (ihdr.bit_depth != 8 || ihdr.color_type != SPNG_COLOR_TYPE_TRUECOLOR)
            continue;
        std::size_t size = 0;
        spng_decoded_image_size(context.get(), SPNG_FMT_RGB8, &size);
        std::vector<std::uint8_t> rgb(size);
        ASSERT_EQ(spng_decode_image(context.get(), rgb.data(), rgb.size(), SPNG_FMT_RGB8, 0), 0);
        const BlockPixels pixels(*result.block);
        for (std::uint32_t y = 0; y < ihdr.height; y += 7)
            for (std::uint32_t x = 0; x < ihdr.width; x += 5) {
                const std::size_t at = (std::size_t{y} * ihdr.width + x) * 3;
                ASSERT_EQ(pixels.At(x, y), (std::array<int, 3>{rgb[at], rgb[at + 1], rgb[at + 2]})) << path;
            }
        ++read;
    }
    EXPECT_GT(read, 0);
}

} // namespace
} // namespace tamr
