#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/FileType.h"
#include "image/PackedImageBlock.h"
#include "image/PnmReader.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

std::vector<std::uint8_t> Pnm(const std::string& header, const std::vector<std::uint8_t>& samples)
{
    std::vector<std::uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), samples.begin(), samples.end());
    return file;
}

// The packed block's row y from the top, as stored (gray levels or blue, green, red).
std::vector<std::uint8_t> RowOf(const ByteBlock& block, int y)
{
    ByteReader reader(block);
    const BitmapInfoHeader header = ReadInfoHeader(reader);
    const std::size_t rowBytes = std::size_t(header.biWidth) * (header.biBitCount / 8);
    const std::size_t stride = (rowBytes + 3) / 4 * 4;
    const std::size_t start = PackedRowsOffset(header.biClrUsed) + (std::size_t(header.biHeight) - 1 - y) * stride;
    return {block.begin() + static_cast<std::ptrdiff_t>(start),
            block.begin() + static_cast<std::ptrdiff_t>(start + rowBytes)};
}

TEST(PnmReader, GrayAndColourWithCommentsAndEveryMaxval)
{
    // Comments wherever white space may stand; a single white-space byte before the samples.
    auto result = ReadPnm(Pnm("P5 # gray\n3 # wide\n2\n# max\n255\n", {0, 128, 255, 1, 2, 3}), Limits{});
    ASSERT_TRUE(result.block) << result.failure;
    EXPECT_EQ(RowOf(*result.block, 0), (std::vector<std::uint8_t>{0, 128, 255}));
    EXPECT_EQ(RowOf(*result.block, 1), (std::vector<std::uint8_t>{1, 2, 3}));

    // Red, green, blue in the file; blue, green, red in the block. Maxval 1 scales to 255.
    result = ReadPnm(Pnm("P6\n2 1\n1\n", {1, 0, 0, 0, 1, 1}), Limits{});
    ASSERT_TRUE(result.block) << result.failure;
    EXPECT_EQ(RowOf(*result.block, 0), (std::vector<std::uint8_t>{0, 0, 255, 255, 255, 0}));

    // Two bytes per sample, most significant first, rounded: (v * 255 + 32767) / 65535.
    result = ReadPnm(Pnm("P5\n3 1\n65535\n", {0x00, 0xFF, 0x01, 0xFE, 0xFF, 0xFF}), Limits{});
    ASSERT_TRUE(result.block) << result.failure;
    EXPECT_EQ(RowOf(*result.block, 0), (std::vector<std::uint8_t>{1, 2, 255}));
    result = ReadPnm(Pnm("P5\n1 1\n1000\n", {0x01, 0xF4}), Limits{}); // 500 of 1000
    ASSERT_TRUE(result.block) << result.failure;
    EXPECT_EQ(RowOf(*result.block, 0), (std::vector<std::uint8_t>{128}));
    EXPECT_FALSE(result.composited);
}

TEST(PnmReader, AHandedOverFileGoesBackAsThePictureIsRead)
{
    // 48 MiB of file and as much picture: both far above the sizes the
    // allocator keeps in its own heap, so every page counted is this read's.
    constexpr std::uint32_t side = 4096;
    ByteBlock file = Pnm("P6\n4096 4096\n255\n", {});
    file.resize(file.size() + std::size_t{side} * side * 3);
    for (std::size_t i = 0; i < std::size_t{side} * side * 3; ++i)
        file[file.size() - 1 - i] = static_cast<std::uint8_t>(i * 7);
    const std::size_t lastRow = file.size() - std::size_t{side} * 3;
    const std::vector<std::uint8_t> lastRgb(file.begin() + static_cast<std::ptrdiff_t>(lastRow),
                                            file.begin() + static_cast<std::ptrdiff_t>(lastRow + 3));
    PictureReadResult result;
    const auto growth = test::PeakGrowthKib([&] { result = ReadPnmConsuming(file, Limits{}); });
    if (!growth)
        GTEST_SKIP() << "the system does not let the peak resident set be measured";

    ASSERT_TRUE(result.block) << result.failure;
    EXPECT_TRUE(file.empty());
    // The picture's last row is the file's, turned to blue, green, red.
    const auto last = RowOf(*result.block, side - 1);
    EXPECT_EQ((std::vector<std::uint8_t>{last[2], last[1], last[0]}), lastRgb);
    // The picture grows as the file goes: holding both would add 48 MiB.
    EXPECT_LT(*growth, 12 * 1024) << "KiB over the file";
}

TEST(PnmReader, CommentsRightAfterTheMagicNumberAndAfterMaxvalAsNetpbmReadsThem)
{
    // A comment ending the last number ends with its line; the samples follow it.
    const auto afterMaxval = ReadPnm(Pnm("P5#magic\n2 1\n255# last\n", {9, 200}), Limits{});
    ASSERT_TRUE(afterMaxval.block) << afterMaxval.failure;
    EXPECT_EQ(RowOf(*afterMaxval.block, 0), (std::vector<std::uint8_t>{9, 200}));
    const std::string magicComment = "P6#c\n1 1 255\n";
    EXPECT_EQ(DetectFileType(std::vector<std::uint8_t>(magicComment.begin(), magicComment.end()), "x"), FileType::Pnm);
}

TEST(PnmReader, PamAndFloatingPointFilesAreRecognisedAndRefusedWithTheReason)
{
    for (const std::string kind : {"P7", "PF", "Pf"}) {
        const std::string head = kind + "\n1 1\n";
        const std::vector<std::uint8_t> file(head.begin(), head.end());
        EXPECT_EQ(DetectFileType(file, "x"), FileType::Pnm) << kind;
        const auto result = ReadPnm(file, Limits{});
        EXPECT_FALSE(result.block);
        EXPECT_NE(result.failure.find(kind == "P7" ? "PAM (P7)" : "floating-point PF and Pf"), std::string::npos)
            << result.failure;
    }
}

TEST(PnmReader, OtherKindsAndBadFilesAreRefusedWithTheReason)
{
    const struct {
        std::vector<std::uint8_t> file;
        const char* reason;
    } cases[] = {
        {Pnm("P3\n1 1\n255\n1 2 3\n", {}), "plain (ASCII)"},
        {Pnm("P2\n1 1\n255\n1\n", {}), "plain (ASCII)"},
        {Pnm("P4\n8 1\n", {0xFF}), "1-bit P4"},
        {Pnm("P6\n2 2\n255\n", {1, 2, 3}), "ends before its picture"},
        {Pnm("P5\n2 2\n", {}), "header is incomplete"},
        {Pnm("P5\n0 2\n255\n", {}), "1 to 65535 pixels"},
        {Pnm("P5\n70000 1\n255\n", {}), "above 65535"},
        {Pnm("P5\n1 1\n0\n", {0}), "maximum sample value"},
        {Pnm("P5\n2 1\n100\n", {100, 101}), "larger than the file's maximum"},
        {Pnm("P5\n1 1\n255", {}), "header is incomplete"},
    };
    for (const auto& test : cases) {
        const auto result = ReadPnm(test.file, Limits{});
        EXPECT_FALSE(result.block) << test.reason;
        EXPECT_NE(result.failure.find(test.reason), std::string::npos) << result.failure;
    }
    const auto result = ReadPnm(Pnm("P5\n300 300\n255\n", std::vector<std::uint8_t>(90000)), Limits{.maxPixels = 1000});
    EXPECT_FALSE(result.block);
    EXPECT_NE(result.failure.find("300 x 300 pixels"), std::string::npos) << result.failure;
}

} // namespace
} // namespace tamr
