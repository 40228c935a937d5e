// The JPEG reader against the shared corpus of real files, and its pixels
// against libjpeg-turbo's own djpeg for every file it opens.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "image/JpegReader.h"
#include "platform/ByteReader.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

const std::string kNotSupported = "Progressive JPEG not supported.";
const std::string kNotColour = "Only 24 bit JPEG's are supported.";

#define SKIP_WITHOUT_CORPUS()                                                                                          \
    if (test::CorpusDir().empty())                                                                                     \
    GTEST_SKIP() << "no corpus beside the checkout"

bool HaveDjpeg()
{
    return std::system("command -v djpeg >/dev/null 2>&1") == 0;
}

// The pixel area of djpeg's BMP output with default settings, or nothing when
// djpeg fails (it exits with 2 after warnings about corrupt data, 1 on errors).
std::optional<std::vector<std::uint8_t>> DjpegPixels(const std::filesystem::path& file, const test::ScratchDir& scratch)
{
    const auto output = scratch / "djpeg.bmp";
    std::filesystem::remove(output);
    const std::string command = "djpeg -bmp -outfile '" + output.string() + "' '" + file.string() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 2) ||
        !std::filesystem::exists(output))
        return std::nullopt;
    const auto bmp = test::ReadBytes(output);
    ByteReader reader(bmp);
    reader.Seek(10);
    const std::uint32_t offBits = reader.U32();
    if (reader.Overran() || offBits > bmp.size())
        return std::nullopt;
    return std::vector<std::uint8_t>(bmp.begin() + offBits, bmp.end());
}

TEST(JpegCorpusTest, EveryFileOpensOrGivesTheReadersMessageAndMatchesDjpeg)
{
    SKIP_WITHOUT_CORPUS();
    const auto files = test::CorpusFiles("jpeg");
    ASSERT_FALSE(files.empty());
    const bool compare = HaveDjpeg();
    const test::ScratchDir scratch;
    std::size_t opened = 0;
    std::size_t matched = 0;
    std::map<std::string, std::size_t> refusals;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        ScriptedPrompter prompter;
        const auto block = ReadJpeg(test::ReadBytes(path), prompter, Limits{});
        if (!block) {
            ASSERT_EQ(prompter.Messages().size(), 1u);
            const Message& message = prompter.Messages()[0];
            EXPECT_TRUE(message.text == kNotSupported || message.text == kNotColour) << message.text;
            EXPECT_EQ(message.caption, "ERROR");
            EXPECT_EQ(message.icon, MessageIcon::Error);
            ++refusals[message.text];
            continue;
        }
        EXPECT_TRUE(prompter.Messages().empty());
        ++opened;
        if (!compare)
            continue;
        const auto expected = DjpegPixels(path, scratch);
        ASSERT_TRUE(expected.has_value()) << "djpeg did not decode a file the reader opened";
        const std::vector<std::uint8_t> rows(block->begin() + 44, block->end());
        EXPECT_EQ(rows.size(), expected->size());
        if (rows == *expected)
            ++matched;
        else
            ADD_FAILURE() << "pixels differ from djpeg";
    }
    std::cout << files.size() << " files: " << opened << " open";
    if (compare)
        std::cout << " (" << matched << " equal to djpeg)";
    for (const auto& [text, count] : refusals)
        std::cout << ", " << count << " refused with \"" << text << "\"";
    std::cout << "\n";
    if (!compare)
        GTEST_SKIP() << "djpeg not installed: pixels not compared";
}

TEST(JpegCorpusTest, LargeCameraAndResizedPhotosMatchDjpeg)
{
    // Partial MCUs at both edges, 4:2:2 and 4:4:4, several megapixels.
    SKIP_WITHOUT_CORPUS();
    if (!HaveDjpeg())
        GTEST_SKIP() << "djpeg not installed";
    const test::ScratchDir scratch;
    std::size_t compared = 0;
    for (const auto& path : test::CorpusFiles("photos")) {
        if (path.extension() != ".jpg")
            continue;
        SCOPED_TRACE(path.string());
        ScriptedPrompter prompter;
        const auto block = ReadJpeg(test::ReadBytes(path), prompter, Limits{});
        ASSERT_TRUE(block.has_value());
        const auto expected = DjpegPixels(path, scratch);
        ASSERT_TRUE(expected.has_value());
        EXPECT_TRUE(std::equal(block->begin() + 44, block->end(), expected->begin(), expected->end()));
        ++compared;
    }
    EXPECT_GE(compared, 2u);
}

TEST(JpegCorpusTest, KnownFilesGiveTheirOutcome)
{
    SKIP_WITHOUT_CORPUS();
    // "" for a file that opens.
    const std::map<std::string, std::string> known = {
        {"libjpeg-turbo/testorig.jpg", ""},
        {"libjpeg-turbo/testimgint.jpg", ""},
        {"libjpeg-turbo/testimgari.jpg", kNotSupported},
        {"image-rs/progressive_cat.jpg", kNotSupported},
        {"zune-image/down_sampled_grayscale_prog.jpg", kNotSupported},
        {"pillow/hopper_gray.jpg", kNotColour},
        {"pillow/pil_sample_cmyk.jpg", kNotColour},
        {"pillow/truncated_jpeg.jpg", kNotSupported}, // progressive
        {"rabbit-test-images/pillars-1024x1024-truncated.jpg", ""},
        {"libjpeg-turbo/README.ijg", kNotSupported},
    };
    for (const auto& [name, text] : known) {
        SCOPED_TRACE(name);
        const auto path = test::CorpusDir() / "jpeg" / name;
        ASSERT_TRUE(std::filesystem::exists(path));
        ScriptedPrompter prompter;
        const auto block = ReadJpeg(test::ReadBytes(path), prompter, Limits{});
        EXPECT_EQ(block.has_value(), text.empty());
        if (text.empty())
            EXPECT_TRUE(prompter.Messages().empty());
        else
            EXPECT_EQ(prompter.Messages(),
                      (std::vector<Message>{{text, "ERROR", MessageIcon::Error, MessageButtons::Ok}}));
    }
}

} // namespace
} // namespace tamr
