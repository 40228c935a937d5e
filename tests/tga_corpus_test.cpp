// The TGA reader against the shared corpus of real files (the Truevision
// samples and the test files of other image libraries).

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "image/DibImage.h"
#include "image/TgaReader.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

const DisplaySettings kDisplay{};
const std::string kCompressed = "Compressed TGA not supported.";
const std::string kDepth = "The file is not in a 24 bit or 8 bit mode";
const std::string kSize = "The width and height of the image must be 1 to 65535 pixels";

struct Outcome {
    bool read = false;   // the reader gave a block
    bool loaded = false; // and the image took it
    CDibImage image;
    std::vector<Message> messages;
};

Outcome Open(const std::filesystem::path& path)
{
    Outcome outcome;
    ScriptedPrompter prompter;
    const auto block = CTgaReader().Read(test::ReadBytes(path), prompter, Limits{});
    outcome.read = block.has_value();
    if (block)
        outcome.loaded = outcome.image.LoadPackedBlock(*block, prompter, kDisplay, Limits{}).Ok();
    outcome.messages = prompter.Messages();
    return outcome;
}

std::filesystem::path Tga(const std::string& name)
{
    return test::CorpusDir() / "tga" / name;
}

std::vector<std::uint8_t> Working(const CDibImage& image)
{
    return {image.Pixels().begin(), image.Pixels().end()};
}

// Opens a file that must open and gives its image.
CDibImage MustOpen(const std::string& name)
{
    SCOPED_TRACE(name);
    Outcome outcome = Open(Tga(name));
    EXPECT_TRUE(outcome.loaded);
    EXPECT_TRUE(outcome.messages.empty());
    return std::move(outcome.image);
}

void ExpectSamePicture(const std::string& first, const std::string& second)
{
    SCOPED_TRACE(first + " and " + second);
    const CDibImage a = MustOpen(first);
    const CDibImage b = MustOpen(second);
    ASSERT_TRUE(a.HasPixels());
    ASSERT_TRUE(b.HasPixels());
    EXPECT_EQ(a.Width(), b.Width());
    EXPECT_EQ(a.Height(), b.Height());
    EXPECT_EQ(a.BitsPerPixel(), b.BitsPerPixel());
    EXPECT_EQ(Working(a), Working(b));
}

#define SKIP_WITHOUT_CORPUS()                                                                                          \
    if (test::CorpusFiles("tga").empty())                                                                              \
    GTEST_SKIP() << "no TGA corpus beside the checkout"

TEST(TgaCorpusTest, EveryFileOpensOrFailsCleanly)
{
    SKIP_WITHOUT_CORPUS();
    const std::set<std::string> opening = {"b5-attrib.tga",
                                           "b5-cmap.tga",
                                           "b5-noattrib.tga",
                                           "b5-unused-cmap.tga",
                                           "cmap_offset.tga",
                                           "ubw8.tga",
                                           "ucm8.tga",
                                           "utc16.tga",
                                           "utc24.tga",
                                           "utc32.tga",
                                           "200x32_p_bl_raw_origin.tga",
                                           "1x1_l_bl_raw.tga",
                                           "1x1_l_tl_raw.tga",
                                           "200x32_l_bl_raw.tga",
                                           "200x32_l_tl_raw.tga",
                                           "200x32_la_bl_raw.tga",
                                           "200x32_la_tl_raw.tga",
                                           "200x32_p_bl_raw.tga",
                                           "200x32_p_tl_raw.tga",
                                           "200x32_rgb_bl_raw.tga",
                                           "200x32_rgba_bl_raw.tga",
                                           "200x32_rgba_tl_raw.tga",
                                           "p_16.tga",
                                           "rgba16.tga",
                                           "tga_id_field.tga"};
    // Fuzz-found headers and a header-only file: nothing, and no message (the document reports its read error).
    const std::set<std::string> silent = {
        "bad-color-map.tga",          "flip-zero-height.tga",          "flip-zero-height2.tga",
        "orientation-zero-width.tga", "sixteen-bit-gray-colormap.tga", "p_8.tga"};
    std::size_t tgaFiles = 0;
    for (const auto& path : test::CorpusFiles("tga")) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(path.string());
        const Outcome outcome = Open(path);
        // Whatever the file, at most one of the system's error boxes.
        ASSERT_LE(outcome.messages.size(), 1u);
        for (const Message& message : outcome.messages) {
            EXPECT_TRUE(message.text == kCompressed || message.text == kDepth || message.text == kSize);
            EXPECT_EQ(message.caption, "ERROR");
            EXPECT_EQ(message.icon, MessageIcon::Error);
            EXPECT_EQ(message.buttons, MessageButtons::Ok);
        }
        if (outcome.loaded) {
            EXPECT_TRUE(outcome.messages.empty());
            EXPECT_EQ(outcome.image.IsColour(), outcome.image.BitsPerPixel() == 24 ? 1 : 0);
            EXPECT_EQ(Working(outcome.image), std::vector<std::uint8_t>(outcome.image.ReferencePixels().begin(),
                                                                        outcome.image.ReferencePixels().end()));
        } else {
            EXPECT_FALSE(outcome.image.HasPixels());
        }
        if (path.extension() != ".tga")
            continue;
        ++tgaFiles;
        if (opening.count(name))
            EXPECT_TRUE(outcome.loaded);
        else if (silent.count(name))
            EXPECT_TRUE(!outcome.read && outcome.messages.empty());
        else // every other sample is run-length encoded
            EXPECT_EQ(outcome.messages, (std::vector<Message>{{kCompressed, "ERROR", MessageIcon::Error}}));
    }
    EXPECT_EQ(tgaFiles, 61u);
}

TEST(TgaCorpusTest, TopLeftAndBottomLeftTwinsGiveTheSamePicture)
{
    SKIP_WITHOUT_CORPUS();
    for (const char* stem : {"1x1_l", "200x32_l", "200x32_la", "200x32_p", "200x32_rgba"})
        ExpectSamePicture(std::string("pillow/common/") + stem + "_bl_raw.tga",
                          std::string("pillow/common/") + stem + "_tl_raw.tga");
}

TEST(TgaCorpusTest, RunLengthTwinsAreRefusedWhereTheRawOnesOpen)
{
    SKIP_WITHOUT_CORPUS();
    for (const char* stem : {"1x1_l_bl", "1x1_l_tl", "200x32_l_bl", "200x32_l_tl", "200x32_la_bl", "200x32_la_tl",
                             "200x32_p_bl", "200x32_p_tl", "200x32_rgb_bl", "200x32_rgba_bl", "200x32_rgba_tl"}) {
        const std::string common = std::string("pillow/common/") + stem;
        SCOPED_TRACE(common);
        EXPECT_TRUE(MustOpen(common + "_raw.tga").HasPixels());
        const Outcome rle = Open(Tga(common + "_rle.tga"));
        EXPECT_FALSE(rle.read);
        ASSERT_EQ(rle.messages.size(), 1u);
        EXPECT_EQ(rle.messages[0].text, kCompressed);
    }
}

TEST(TgaCorpusTest, StoragesOfOnePictureAgree)
{
    SKIP_WITHOUT_CORPUS();
    // Alpha bytes and bits are dropped; the gray byte of gray-with-alpha is kept.
    ExpectSamePicture("pillow/common/200x32_rgb_bl_raw.tga", "pillow/common/200x32_rgba_bl_raw.tga");
    ExpectSamePicture("pillow/common/200x32_l_bl_raw.tga", "pillow/common/200x32_la_bl_raw.tga");
    ExpectSamePicture("image-rs-testsuite/utc24.tga", "image-rs-testsuite/utc32.tga");
    // A 256-entry 16-bit colour map holds the same colours as 16-bit pixels.
    ExpectSamePicture("image-rs-testsuite/utc16.tga", "image-rs-testsuite/ucm8.tga");
    // With and without the attribute bit, with a map it does not use, and a
    // bottom-up 15-bit colour-mapped storage of the top-down picture.
    ExpectSamePicture("image-rs-testsuite/b5-noattrib.tga", "image-rs-testsuite/b5-attrib.tga");
    ExpectSamePicture("image-rs-testsuite/b5-noattrib.tga", "image-rs-testsuite/b5-unused-cmap.tga");
    ExpectSamePicture("image-rs-testsuite/b5-noattrib.tga", "image-rs-testsuite/b5-cmap.tga");
    // The origin fields are not used.
    ExpectSamePicture("pillow/common/200x32_p_bl_raw.tga", "pillow/200x32_p_bl_raw_origin.tga");
}

TEST(TgaCorpusTest, SixteenBitSampleIsTheTwentyFourBitOneCutToFiveBits)
{
    SKIP_WITHOUT_CORPUS();
    const CDibImage full = MustOpen("image-rs-testsuite/utc24.tga");
    const CDibImage cut = MustOpen("image-rs-testsuite/utc16.tga");
    auto expected = Working(full);
    ASSERT_FALSE(expected.empty());
    for (std::uint8_t& byte : expected)
        byte = static_cast<std::uint8_t>(byte & 0xF8);
    EXPECT_EQ(Working(cut), expected);
}

TEST(TgaCorpusTest, GraySamplesLoadAsGray)
{
    SKIP_WITHOUT_CORPUS();
    for (const char* name :
         {"image-rs-testsuite/ubw8.tga", "pillow/common/200x32_l_tl_raw.tga", "pillow/common/200x32_la_tl_raw.tga"}) {
        SCOPED_TRACE(name);
        const CDibImage image = MustOpen(name);
        EXPECT_EQ(image.BitsPerPixel(), 8);
        EXPECT_EQ(image.IsColour(), 0);
    }
}

} // namespace
} // namespace tamr
