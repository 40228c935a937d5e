// The GIF reader against giflib: on the shared corpus of real files, on the
// renderings that came with them, and on pictures giflib encodes itself.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "image/GifLzwDecoder.h"
#include "image/GifReader.h"
#include "image/PackedImageBlock.h"
#include "platform/ByteReader.h"
#include "support/GifTestFiles.h"
#include "support/GiflibReference.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::GiflibImage;
using Rgb = std::array<std::uint8_t, 3>;

const DisplaySettings kDisplay{};

bool IsGif(const std::vector<std::uint8_t>& bytes)
{
    return bytes.size() >= 3 && std::toupper(bytes[0]) == 'G' && std::toupper(bytes[1]) == 'I' &&
           std::toupper(bytes[2]) == 'F';
}

// Every GIF of the corpus, by its content.
std::vector<std::filesystem::path> CorpusGifs()
{
    std::vector<std::filesystem::path> gifs;
    for (const auto& path : test::CorpusFiles("gif"))
        if (IsGif(test::ReadBytes(path)))
            gifs.push_back(path);
    return gifs;
}

std::vector<int> StoredRowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    for (const auto& [start, step] : interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                                                : std::vector<std::pair<int, int>>{{0, 1}})
        for (int y = start; y < height; y += step)
            rows.push_back(y);
    return rows;
}

// The first image's values as this system's decoder makes them, top-down; 0
// where the code stream gives out.
std::vector<std::uint8_t> DecodeWithOurDecoder(const std::vector<std::uint8_t>& file, const GiflibImage& reference)
{
    const auto width = static_cast<std::size_t>(reference.width);
    std::vector<std::uint8_t> values(width * static_cast<std::size_t>(reference.height), 0);
    const int codeSize = file[reference.codeSizeOffset];
    if (!GifLzwDecoder::ValidCodeSize(codeSize))
        return values;
    ByteReader reader(file);
    reader.Seek(reference.codeSizeOffset + 1);
    GifLzwDecoder decoder(reader, codeSize);
    for (const int y : StoredRowOrder(reference.height, reference.interlaced))
        for (std::size_t x = 0; x < width; ++x) {
            const int value = decoder.Next();
            if (value < 0)
                return values;
            values[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(value);
        }
    return values;
}

// The rows giflib decoded whole must be the same; returns how many were compared.
int CompareDecodedRows(const GiflibImage& reference, const std::vector<std::uint8_t>& ours)
{
    const auto width = static_cast<std::size_t>(reference.width);
    int compared = 0;
    for (std::size_t y = 0; y < reference.rowDecoded.size(); ++y) {
        if (!reference.rowDecoded[y])
            continue;
        ++compared;
        const auto start = static_cast<std::ptrdiff_t>(y * width);
        const auto end = start + static_cast<std::ptrdiff_t>(width);
        if (!std::equal(ours.begin() + start, ours.begin() + end, reference.values.begin() + start)) {
            ADD_FAILURE() << "row " << y << " differs from giflib";
            return compared;
        }
    }
    return compared;
}

BitmapInfoHeader HeaderOf(const ByteBlock& block)
{
    ByteReader reader(block);
    return ReadInfoHeader(reader);
}

// An 8-bit block's values top-down.
std::vector<std::uint8_t> BlockValues(const ByteBlock& block)
{
    const BitmapInfoHeader header = HeaderOf(block);
    const auto width = static_cast<std::size_t>(header.biWidth);
    const std::size_t stride = (width + 3) / 4 * 4;
    const auto rows = static_cast<std::size_t>(PackedRowsOffset(header.biClrUsed));
    std::vector<std::uint8_t> values;
    for (int y = header.biHeight - 1; y >= 0; --y) {
        const auto start = static_cast<std::ptrdiff_t>(rows + static_cast<std::size_t>(y) * stride);
        values.insert(values.end(), block.begin() + start, block.begin() + start + static_cast<std::ptrdiff_t>(width));
    }
    return values;
}

// The loaded image's colour at (x, y from the top) as red, green, blue.
Rgb ImageColour(const CDibImage& image, std::size_t x, std::size_t y)
{
    const auto pixels = image.Pixels();
    if (image.BitsPerPixel() == 8) {
        const std::uint8_t level = pixels[(image.Height() - 1 - y) * (image.Width() + std::size_t{image.RowPad()}) + x];
        return {level, level, level};
    }
    const std::size_t stride = std::size_t{image.Width()} * 3 + image.RowPad();
    const std::size_t at = (image.Height() - 1 - y) * stride + 3 * x;
    return {pixels[at + 2], pixels[at + 1], pixels[at]};
}

Rgb TableColour(const GiflibImage& reference, std::uint8_t index)
{
    return index < reference.colours.size() ? reference.colours[index] : Rgb{0, 0, 0};
}

#define SKIP_WITHOUT_CORPUS()                                                                                          \
    if (test::CorpusFiles("gif").empty())                                                                              \
    GTEST_SKIP() << "no GIF corpus beside the checkout"

TEST(GifCorpusTest, EveryFileOpensOrFailsCleanlyAndOpensAsGiflibDecodesIt)
{
    SKIP_WITHOUT_CORPUS();
    const std::set<std::string> known = {"Two and four bit GIF files are not supported.",
                                         "The image is too large to be held in memory",
                                         "The file ends long before the end of its picture"};
    int opened = 0;
    int rowsCompared = 0;
    std::map<std::string, int> refusals;
    for (const auto& path : CorpusGifs()) {
        SCOPED_TRACE(path.string());
        const auto file = test::ReadBytes(path);
        ScriptedPrompter prompter;
        const auto block = CGifReader().Read(file, prompter, Limits{});
        if (!block) {
            ASSERT_LE(prompter.Messages().size(), 1u);
            for (const Message& message : prompter.Messages()) {
                EXPECT_TRUE(known.count(message.text)) << message.text;
                EXPECT_EQ(message.caption, "ERROR");
                EXPECT_EQ(message.icon, MessageIcon::Error);
            }
            ++refusals[prompter.Messages().empty() ? std::string("(silent)") : prompter.Messages()[0].text];
            continue;
        }
        EXPECT_TRUE(prompter.Messages().empty());
        const BitmapInfoHeader header = HeaderOf(*block);
        CDibImage image;
        const bool loaded = image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}).Ok();
        if (header.biBitCount != 8 || header.biWidth == 0 || header.biHeight == 0) {
            EXPECT_FALSE(loaded); // the image gives its depth or size message
            continue;
        }
        ASSERT_TRUE(loaded);
        ++opened;

        const auto reference = test::GiflibFirstImage(file);
        ASSERT_TRUE(reference) << "giflib finds no image in a file that opens";
        ASSERT_EQ(reference->width, header.biWidth);
        ASSERT_EQ(reference->height, header.biHeight);
        const auto values = BlockValues(*block);
        rowsCompared += CompareDecodedRows(*reference, values);
        // The colours giflib gives every pixel are the image's colours.
        for (std::size_t y = 0; y < static_cast<std::size_t>(reference->height); ++y)
            for (std::size_t x = 0; x < static_cast<std::size_t>(reference->width); ++x) {
                const std::uint8_t index = values[y * static_cast<std::size_t>(reference->width) + x];
                const Rgb expected =
                    reference->colours.empty() ? Rgb{index, index, index} : TableColour(*reference, index);
                ASSERT_EQ(ImageColour(image, x, y), expected) << x << "," << y;
            }
    }
    std::cout << "GIF corpus: " << opened << " opened, " << rowsCompared << " rows equal to giflib's";
    for (const auto& [text, count] : refusals)
        std::cout << "; " << count << " refused: " << text;
    std::cout << "\n";
    EXPECT_GT(opened, 10);
    EXPECT_GT(rowsCompared, 1000);
}

TEST(GifCorpusTest, DecoderMatchesGiflibOnTheFirstImageOfEveryFile)
{
    // Whatever the colour table, so that every code size and stream of the
    // corpus is compared, not only the pictures the reader accepts.
    SKIP_WITHOUT_CORPUS();
    int images = 0;
    int rows = 0;
    for (const auto& path : CorpusGifs()) {
        SCOPED_TRACE(path.string());
        const auto file = test::ReadBytes(path);
        const auto reference = test::GiflibFirstImage(file);
        if (!reference || reference->width == 0)
            continue;
        ++images;
        rows += CompareDecodedRows(*reference, DecodeWithOurDecoder(file, *reference));
    }
    std::cout << images << " first images, " << rows << " rows equal to giflib's\n";
    EXPECT_GT(images, 100);
    EXPECT_GT(rows, 10000);
}

TEST(GifCorpusTest, StillPicturesMatchTheRenderingsThatCameWithThem)
{
    SKIP_WITHOUT_CORPUS();
    const auto folder = test::CorpusDir() / "gif" / "giflib";
    // The renderings of the animations are all frames drawn on one canvas.
    int compared = 0;
    for (const char* name : {"gifgrid", "porsche", "solid2", "treescap", "treescap-interlaced", "x-trans"}) {
        SCOPED_TRACE(name);
        const auto file = test::ReadBytes(folder / (std::string(name) + ".gif"));
        const auto rendering = test::ReadBytes(folder / "reference-rgb" / (std::string(name) + ".rgb"));
        const auto reference = test::GiflibFirstImage(file);
        ASSERT_TRUE(reference);
        ASSERT_EQ(rendering.size(), 3u * static_cast<std::size_t>(reference->width * reference->height));
        const auto values = DecodeWithOurDecoder(file, *reference);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const Rgb colour = TableColour(*reference, values[i]);
            ASSERT_TRUE(
                std::equal(colour.begin(), colour.end(), rendering.begin() + static_cast<std::ptrdiff_t>(3 * i)))
                << "pixel " << i;
        }
        ++compared;
    }
    EXPECT_EQ(compared, 6);

    // x-trans.gif has a 256-entry table: the document's image shows the same.
    const auto file = test::ReadBytes(folder / "x-trans.gif");
    const auto rendering = test::ReadBytes(folder / "reference-rgb" / "x-trans.rgb");
    ScriptedPrompter prompter;
    const auto block = CGifReader().Read(file, prompter, Limits{});
    ASSERT_TRUE(block);
    CDibImage image;
    ASSERT_TRUE(image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}));
    for (std::size_t y = 0; y < image.Height(); ++y)
        for (std::size_t x = 0; x < image.Width(); ++x) {
            const Rgb colour = ImageColour(image, x, y);
            const auto at = static_cast<std::ptrdiff_t>(3 * (y * image.Width() + x));
            ASSERT_TRUE(std::equal(colour.begin(), colour.end(), rendering.begin() + at)) << x << "," << y;
        }
}

// The value of `key` in a suite description's section, or "".
std::string ConfValue(const std::string& conf, const std::string& section, const std::string& key)
{
    std::istringstream lines(conf);
    std::string line;
    bool inSection = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        if (inSection && line.rfind(key + " =", 0) == 0)
            return line.size() > key.size() + 3 ? line.substr(key.size() + 3) : std::string();
    }
    return {};
}

TEST(GifCorpusTest, FirstFramesMatchTheSuitesExpectedPixels)
{
    SKIP_WITHOUT_CORPUS();
    const auto folder = test::CorpusDir() / "gif" / "pygif-test-suite";
    // Files whose first frame the suite draws from several images.
    const std::set<std::string> composed = {"images-combine.conf", "images-overlap.conf",
                                            "dispose-restore-previous.conf"};
    int compared = 0;
    int throughTheReader = 0;
    for (const auto& path : test::CorpusFiles("gif/pygif-test-suite")) {
        if (path.extension() != ".conf" || composed.count(path.filename().string()))
            continue;
        SCOPED_TRACE(path.filename().string());
        const std::string conf = [&] {
            const auto bytes = test::ReadBytes(path);
            return std::string(bytes.begin(), bytes.end());
        }();
        const std::string frames = ConfValue(conf, "config", "frames");
        const std::string expectedName = ConfValue(conf, "frame0", "pixels");
        if (frames.empty() || expectedName.empty())
            continue; // a file to reject, or an expectation given only as PNG
        const auto file = test::ReadBytes(folder / ConfValue(conf, "config", "input"));
        const auto expected = test::ReadBytes(folder / expectedName);
        const auto reference = test::GiflibFirstImage(file);
        if (!reference || expected.size() != 4u * static_cast<std::size_t>(reference->width * reference->height))
            continue; // frames that do not cover the screen
        const auto values = DecodeWithOurDecoder(file, *reference);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (expected[4 * i + 3] != 255)
                continue; // transparent: the background shows
            const Rgb colour = TableColour(*reference, values[i]);
            EXPECT_TRUE(std::equal(colour.begin(), colour.end(), expected.begin() + static_cast<std::ptrdiff_t>(4 * i)))
                << "pixel " << i;
        }
        ++compared;

        ScriptedPrompter prompter;
        const auto block = CGifReader().Read(file, prompter, Limits{});
        CDibImage image;
        if (!block || !image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}))
            continue;
        ++throughTheReader;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const Rgb colour = ImageColour(image, i % image.Width(), i / image.Width());
            if (expected[4 * i + 3] != 255)
                continue;
            ASSERT_TRUE(std::equal(colour.begin(), colour.end(), expected.begin() + static_cast<std::ptrdiff_t>(4 * i)))
                << "pixel " << i;
        }
    }
    std::cout << compared << " first frames compared, " << throughTheReader << " through the reader\n";
    EXPECT_GT(compared, 30);
    EXPECT_GE(throughTheReader, 5);
}

// Pictures encoded by giflib, read by this system's reader.
TEST(GifGiflibTest, PicturesEncodedByGiflibReadAsGiflibDecodesThem)
{
    std::mt19937 generator(2024);
    for (int round = 0; round < 120; ++round) {
        test::GiflibPicture picture;
        picture.width = 1 + static_cast<int>(generator() % (round < 60 ? 20 : 300));
        picture.height = 1 + static_cast<int>(generator() % (round < 60 ? 20 : 200));
        picture.interlaced = generator() % 2 == 0;
        picture.withExtensions = generator() % 2 == 0;
        picture.screenTable = test::ColourTriples(256);
        int entries = 256;
        if (round % 3 == 1) {
            entries = 1 << (5 + generator() % 4);
            picture.localTable = test::ColourTriples(entries);
        }
        // Runs of values and noise, so that both long and short strings occur.
        const int runs = static_cast<int>(generator() % 50);
        while (picture.values.size() < static_cast<std::size_t>(picture.width * picture.height)) {
            const auto value = static_cast<std::uint8_t>(generator() % static_cast<unsigned>(entries));
            picture.values.insert(picture.values.end(), 1 + generator() % (runs + 1), value);
        }
        picture.values.resize(static_cast<std::size_t>(picture.width * picture.height));
        SCOPED_TRACE(testing::Message() << "round " << round << ": " << picture.width << " x " << picture.height
                                        << (picture.interlaced ? ", interlaced" : "") << ", " << entries << " entries");

        const auto file = test::GiflibEncode(picture);
        const auto reference = test::GiflibFirstImage(file);
        ASSERT_TRUE(reference);
        ASSERT_TRUE(reference->Complete());
        ASSERT_EQ(reference->values, picture.values);

        ScriptedPrompter prompter;
        const auto block = CGifReader().Read(file, prompter, Limits{});
        ASSERT_TRUE(block);
        EXPECT_EQ(HeaderOf(*block).biClrUsed, static_cast<std::uint32_t>(entries));
        EXPECT_EQ(BlockValues(*block), reference->values);
    }
}

TEST(GifGiflibTest, GiflibDecodesTheTestEncodersStreamsAsTheReaderDoes)
{
    // The streams giflib's encoder never writes: a full table kept without a
    // clear, frequent clears, one-byte sub-blocks, no end code.
    const test::LzwOptions variants[] = {{.clearWhenFull = false},
                                         {.extraClearsAtStart = 2, .clearEvery = 50},
                                         {.clearAtStart = false},
                                         {.endCode = false}};
    std::mt19937 generator(99);
    int index = 0;
    for (const test::LzwOptions& options : variants)
        for (const int size : {2, 5, 8}) {
            SCOPED_TRACE(testing::Message() << "variant " << index << ", code size " << size);
            test::GifSpec layout;
            layout.width = 160;
            layout.height = 120;
            layout.minimumCodeSize = size;
            layout.localTable = test::ColourTriples(1 << std::max(size, 5));
            layout.lzw = options;
            layout.blockSize = index % 2 == 0 ? 255 : 1;
            for (int i = 0; i < 160 * 120; ++i)
                layout.pixels.push_back(
                    static_cast<std::uint8_t>((generator() % 5 == 0 ? generator() : i / 97) % (1u << size)));
            const auto file = test::BuildGif(layout);
            const auto reference = test::GiflibFirstImage(file);
            ASSERT_TRUE(reference);
            ASSERT_TRUE(reference->Complete());
            EXPECT_EQ(reference->values, layout.pixels);
            ScriptedPrompter prompter;
            const auto block = CGifReader().Read(file, prompter, Limits{});
            ASSERT_TRUE(block);
            EXPECT_EQ(BlockValues(*block), reference->values);
            ++index;
        }
}

} // namespace
} // namespace tamr
