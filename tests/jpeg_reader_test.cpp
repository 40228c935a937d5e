// The JPEG reader on files made by libjpeg's own compressor.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "image/JpegReader.h"
#include "support/JpegTestFiles.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

using test::JpegKind;
using test::JpegLayout;
using test::MakeJpeg;
using test::Rgb;

const std::string kNotSupported = "Progressive JPEG not supported.";
const std::string kNotColour = "Only 24 bit JPEG's are supported.";
const std::string kMemoryLow = "Memory low";

struct Outcome {
    std::optional<ByteBlock> block;
    std::vector<Message> messages;
};

Outcome Read(const std::vector<std::uint8_t>& file, std::uint64_t maxPixels = Limits{}.maxPixels)
{
    ScriptedPrompter prompter;
    Outcome outcome;
    if (auto block = ReadJpeg(file, prompter, Limits{.maxPixels = maxPixels}))
        outcome.block = std::move(*block);
    outcome.messages = prompter.Messages();
    return outcome;
}

std::vector<Message> ErrorBox(const std::string& text)
{
    return {Message{text, "ERROR", MessageIcon::Error, MessageButtons::Ok}};
}

void ExpectRefused(const std::vector<std::uint8_t>& file, const std::string& text)
{
    const Outcome outcome = Read(file);
    EXPECT_FALSE(outcome.block.has_value());
    EXPECT_EQ(outcome.messages, ErrorBox(text));
}

BitmapInfoHeader HeaderOf(const ByteBlock& block)
{
    ByteReader reader(block);
    return ReadInfoHeader(reader);
}

std::size_t StrideFor(int width)
{
    return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
}

// Blue, green, red of picture pixel (x, y), y = 0 the top row.
Rgb PixelAt(const ByteBlock& block, int x, int y)
{
    const BitmapInfoHeader header = HeaderOf(block);
    const std::size_t row = static_cast<std::size_t>(header.biHeight - 1 - y);
    const std::size_t at = 44 + row * StrideFor(header.biWidth) + static_cast<std::size_t>(x) * 3;
    return Rgb{block.at(at + 2), block.at(at + 1), block.at(at)};
}

// Every pixel of the block against libjpeg's own decoding of the same file.
void ExpectSamePixels(const ByteBlock& block, const test::ReferenceImage& reference, int rows)
{
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < reference.width; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * reference.width + x) * 3;
            const Rgb pixel = PixelAt(block, x, y);
            ASSERT_EQ(pixel.red, reference.rgb[at]) << x << "," << y;
            ASSERT_EQ(pixel.green, reference.rgb[at + 1]) << x << "," << y;
            ASSERT_EQ(pixel.blue, reference.rgb[at + 2]) << x << "," << y;
        }
}

void ExpectNear(const Rgb& pixel, const Rgb& expected, int tolerance)
{
    EXPECT_LE(std::abs(pixel.red - expected.red), tolerance);
    EXPECT_LE(std::abs(pixel.green - expected.green), tolerance);
    EXPECT_LE(std::abs(pixel.blue - expected.blue), tolerance);
}

TEST(JpegReaderTest, BlockHoldsTheDecodedPictureBottomUpInBlueGreenRed)
{
    JpegLayout layout;
    layout.width = 37; // 111 bytes a row, 1 padding byte
    layout.height = 23;
    layout.pixel = [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(x * 7), static_cast<std::uint8_t>(y * 11),
                   static_cast<std::uint8_t>((x * y) % 256)};
    };
    const auto file = MakeJpeg(layout);
    const Outcome outcome = Read(file);
    ASSERT_TRUE(outcome.block.has_value());
    EXPECT_TRUE(outcome.messages.empty());

    const BitmapInfoHeader header = HeaderOf(*outcome.block);
    BitmapInfoHeader expected;
    expected.biSize = 40;
    expected.biWidth = 37;
    expected.biHeight = 23;
    expected.biPlanes = 1;
    expected.biBitCount = 24;
    EXPECT_EQ(header, expected);
    EXPECT_EQ(outcome.block->size(), 44 + 112u * 23);
    ExpectSamePixels(*outcome.block, test::DecodeReference(file), layout.height);
}

TEST(JpegReaderTest, ThreePixelRowsHoldNineBytesAndThreePaddingWithTheTopRowLast)
{
    JpegLayout layout;
    layout.width = 3;
    layout.height = 5;
    layout.quality = 100;
    layout.fullChroma = true;
    layout.pixel = [](int, int y) { return y == 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; };
    const Outcome outcome = Read(MakeJpeg(layout));
    ASSERT_TRUE(outcome.block.has_value());
    ASSERT_EQ(outcome.block->size(), 44 + 12u * 5);
    const ByteBlock& block = *outcome.block;
    // The last row of the block is the white top row, the first row a black one.
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_GE(block[44 + 4 * 12 + i], 200) << i;
        EXPECT_LE(block[44 + i], 55) << i;
    }
}

TEST(JpegReaderTest, PureRedGivesBlueGreenRedBytes0_0_255)
{
    JpegLayout layout;
    layout.width = 24;
    layout.height = 24;
    layout.pixel = [](int, int) { return Rgb{255, 0, 0}; };
    const Outcome outcome = Read(MakeJpeg(layout));
    ASSERT_TRUE(outcome.block.has_value());
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            ExpectNear(PixelAt(*outcome.block, x, y), Rgb{255, 0, 0}, 2);

    // The image model takes the block as a 24-bit colour image.
    ScriptedPrompter prompter;
    CDibImage image;
    ASSERT_TRUE(image.LoadPackedBlock(*outcome.block, prompter, DisplaySettings{}, Limits{}));
    EXPECT_EQ(image.Width(), 24);
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.IsColour(), 1);
    EXPECT_LE(std::abs(image.Pixels()[2] - 255), 2);
}

TEST(JpegReaderTest, ProgressiveAndArithmeticCodedFilesAreRefused)
{
    for (JpegKind kind : {JpegKind::Progressive, JpegKind::Arithmetic}) {
        JpegLayout layout;
        layout.kind = kind;
        ExpectRefused(MakeJpeg(layout), kNotSupported);
    }
    // Still refused when the file is also gray.
    JpegLayout gray;
    gray.kind = JpegKind::Progressive;
    gray.components = 1;
    ExpectRefused(MakeJpeg(gray), kNotSupported);
}

TEST(JpegReaderTest, GrayAndFourComponentFilesAreRefused)
{
    JpegLayout gray;
    gray.components = 1;
    ExpectRefused(MakeJpeg(gray), kNotColour);
    JpegLayout cmyk;
    cmyk.components = 4;
    ExpectRefused(MakeJpeg(cmyk), kNotColour);
}

TEST(JpegReaderTest, NonInterleavedBaselineFileDecodes)
{
    JpegLayout layout;
    layout.kind = JpegKind::NonInterleaved;
    layout.width = 40;
    layout.height = 24;
    const auto file = MakeJpeg(layout);
    const Outcome outcome = Read(file);
    ASSERT_TRUE(outcome.block.has_value());
    ExpectSamePixels(*outcome.block, test::DecodeReference(file), layout.height);
}

TEST(JpegReaderTest, TruncatedFileOpensWithTheDecodedPartIntact)
{
    JpegLayout layout;
    layout.width = 64;
    layout.height = 128;
    layout.pixel = [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(x * 37 + y * 11), static_cast<std::uint8_t>(x * y),
                   static_cast<std::uint8_t>(y * 5)};
    };
    const auto full = MakeJpeg(layout);
    const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(full.size() * 7 / 10));
    const Outcome outcome = Read(cut);
    ASSERT_TRUE(outcome.block.has_value());
    EXPECT_TRUE(outcome.messages.empty());
    EXPECT_EQ(HeaderOf(*outcome.block).biHeight, 128);
    EXPECT_EQ(outcome.block->size(), 44 + 192u * 128);
    // The rows before the cut are those of the whole file; the rest is what the
    // decoder makes of the end marker it is given.
    ExpectSamePixels(*outcome.block, test::DecodeReference(full), 32);
    ExpectSamePixels(*outcome.block, test::DecodeReference(cut), layout.height);

    // Cut right after the scan header: no picture data at all, still a picture.
    const std::size_t scan = test::FindMarker(full, 0xDA);
    ASSERT_LT(scan + 4, full.size());
    const std::size_t dataStart = scan + 2 + (full[scan + 2] << 8 | full[scan + 3]);
    const Outcome empty = Read({full.begin(), full.begin() + static_cast<std::ptrdiff_t>(dataStart)});
    ASSERT_TRUE(empty.block.has_value());
    EXPECT_TRUE(empty.messages.empty());
}

TEST(JpegReaderTest, FilesWithoutAWholeHeaderAreFatal)
{
    const auto full = MakeJpeg(JpegLayout{});
    const std::size_t scan = test::FindMarker(full, 0xDA);
    ExpectRefused({full.begin(), full.begin() + static_cast<std::ptrdiff_t>(scan)}, kNotSupported);
    ExpectRefused({full.begin(), full.begin() + 2}, kNotSupported);
    ExpectRefused({}, kNotSupported); // the decoder's empty-input error
    ExpectRefused(std::vector<std::uint8_t>(5000, 0x41), kNotSupported);
}

TEST(JpegReaderTest, PictureLargerThanThePixelLimitIsRefusedAsMemoryLow)
{
    JpegLayout layout;
    layout.width = 64;
    layout.height = 32;
    const auto file = MakeJpeg(layout);
    EXPECT_TRUE(Read(file, 64 * 32).block.has_value());
    const Outcome refused = Read(file, 64 * 32 - 1);
    EXPECT_FALSE(refused.block.has_value());
    EXPECT_EQ(refused.messages, ErrorBox(kMemoryLow));
}

TEST(JpegReaderTest, LargePictureTheFileCannotHoldIsRefused)
{
    // A small file whose frame header claims a large picture: the decoder would
    // make up nearly all of it from the end marker the source supplies.
    auto file = MakeJpeg(JpegLayout{});
    const std::size_t frame = test::FindMarker(file, 0xC0);
    ASSERT_LT(frame + 9, file.size());
    auto withSize = [&](int width, int height) {
        auto changed = file;
        changed[frame + 5] = static_cast<std::uint8_t>(height >> 8);
        changed[frame + 6] = static_cast<std::uint8_t>(height & 0xFF);
        changed[frame + 7] = static_cast<std::uint8_t>(width >> 8);
        changed[frame + 8] = static_cast<std::uint8_t>(width & 0xFF);
        return changed;
    };
    ExpectRefused(withSize(5000, 5000), "The file ends long before the end of its picture");
    ExpectRefused(withSize(2049, 1024), "The file ends long before the end of its picture");
    // Comments carry no pixels: a megabyte of them before the frame does not
    // make up for the scan data the picture lacks.
    auto padded = withSize(8192, 8192);
    std::vector<std::uint8_t> comment{0xFF, 0xFE, 0xFF, 0xFF};
    comment.resize(2 + 0xFFFF);
    for (int i = 0; i < 16; ++i)
        padded.insert(padded.begin() + 2, comment.begin(), comment.end());
    ExpectRefused(padded, "The file ends long before the end of its picture");
    // Smaller pictures open with whatever the decoder makes of the missing data.
    const Outcome small = Read(withSize(300, 200));
    ASSERT_TRUE(small.block.has_value());
    EXPECT_TRUE(small.messages.empty());
    EXPECT_EQ(small.block->size(), 44 + StrideFor(300) * 200);
}

// A non-interleaved file with extra scans of the first component that hold no
// data: the decoder warns once for each and decodes the whole component again.
std::vector<std::uint8_t> WithEmptyScans(int count)
{
    JpegLayout layout;
    layout.kind = JpegKind::NonInterleaved;
    auto file = MakeJpeg(layout);
    const std::size_t scan = test::FindMarker(file, 0xDA);
    const std::size_t length = static_cast<std::size_t>(file[scan + 2] << 8 | file[scan + 3]);
    const std::vector<std::uint8_t> header(file.begin() + static_cast<std::ptrdiff_t>(scan),
                                           file.begin() + static_cast<std::ptrdiff_t>(scan + 2 + length));
    const auto end = file.end() - 2; // before the end-of-image marker
    std::vector<std::uint8_t> extra;
    for (int i = 0; i < count; ++i)
        extra.insert(extra.end(), header.begin(), header.end());
    file.insert(end, extra.begin(), extra.end());
    return file;
}

TEST(JpegReaderTest, TooManyScansAreFatal)
{
    const Outcome few = Read(WithEmptyScans(10));
    EXPECT_TRUE(few.block.has_value());
    EXPECT_TRUE(few.messages.empty());
    // Three scans of its own, then the extra ones.
    ExpectRefused(WithEmptyScans(kJpegScanLimit - 2), kNotSupported);
}

TEST(JpegReaderTest, RenumberedRestartMarkersDecodeAsTheLibraryDecodesThem)
{
    JpegLayout layout;
    layout.width = 128;
    layout.height = 128;
    layout.fullChroma = true; // 8 x 8 MCUs: 256 of them
    layout.restartInterval = 1;
    auto file = MakeJpeg(layout);
    // Every restart marker one number on: the decoder warns at each and resynchronises.
    int renumbered = 0;
    for (std::size_t at = test::FindMarker(file, 0xDA); at + 1 < file.size(); ++at)
        if (file[at] == 0xFF && file[at + 1] >= 0xD0 && file[at + 1] <= 0xD7) {
            file[at + 1] = static_cast<std::uint8_t>(0xD0 + (file[at + 1] - 0xD0 + 1) % 8);
            ++renumbered;
        }
    ASSERT_GT(renumbered, 200);
    const Outcome outcome = Read(file);
    ASSERT_TRUE(outcome.block.has_value());
    EXPECT_TRUE(outcome.messages.empty());
    ExpectSamePixels(*outcome.block, test::DecodeReference(file), layout.height);
}

TEST(JpegReaderTest, FileCutInsideALongSegmentBetweenScansOpens)
{
    // A 60000-byte comment between the first and second scan, cut in its middle:
    // the skip over it runs past the end of the file, which must end the image
    // rather than produce one warning for every two bytes it could not skip.
    JpegLayout layout;
    layout.kind = JpegKind::NonInterleaved;
    auto file = MakeJpeg(layout);
    const std::size_t second = test::FindMarker(file, 0xDA, test::FindMarker(file, 0xDA) + 2);
    ASSERT_LT(second, file.size());
    std::vector<std::uint8_t> comment = {0xFF, 0xFE, 0xEA, 0x60};
    comment.resize(60000 + 2, 'x');
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(second), comment.begin(), comment.end());
    file.resize(second + 30000);
    const Outcome outcome = Read(file);
    ASSERT_TRUE(outcome.block.has_value());
    EXPECT_TRUE(outcome.messages.empty());
}

} // namespace
} // namespace tamr
