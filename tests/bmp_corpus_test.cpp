// The BMP reader against the shared corpus of real files (BMP Suite and the
// test files of other image libraries).

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "image/DibImage.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

const DisplaySettings kDisplay{};
const std::string kDepth = "The file is not in a 24 bit or 8 bit mode";
const std::string kCompressed = "TAMR does not support compressed format of bitmap";
const std::string kSize = "The width and height of the image must be 1 to 65535 pixels";

struct Outcome {
    bool ok = false;
    CDibImage image;
    std::vector<Message> messages;
};

Outcome Load(const std::filesystem::path& path)
{
    Outcome outcome;
    ScriptedPrompter prompter;
    outcome.ok = outcome.image.ReadBmp(test::ReadBytes(path), prompter, kDisplay, Limits{}).Ok();
    outcome.messages = prompter.Messages();
    return outcome;
}

std::vector<std::uint8_t> Working(const CDibImage& image)
{
    return {image.Pixels().begin(), image.Pixels().end()};
}

std::filesystem::path Suite(const std::string& name)
{
    return test::CorpusDir() / "bmp" / "bmpsuite" / name;
}

// What must hold for every image that loaded.
void ExpectConsistent(const CDibImage& image)
{
    EXPECT_TRUE(image.BitsPerPixel() == 8 || image.BitsPerPixel() == 24);
    EXPECT_EQ(image.IsColour(), image.BitsPerPixel() == 24 ? 1 : 0);
    EXPECT_EQ(image.Pixels().size(), image.ImageSize());
    EXPECT_EQ(Working(image),
              std::vector<std::uint8_t>(image.ReferencePixels().begin(), image.ReferencePixels().end()));
    // Saved and read again, it is the same picture.
    ScriptedPrompter prompter;
    CDibImage again;
    ASSERT_TRUE(again.ReadBmp(image.WriteBmp(), prompter, kDisplay, Limits{}));
    EXPECT_EQ(Working(again), Working(image));
    EXPECT_EQ(again.BitsPerPixel(), image.BitsPerPixel());
}

// A failure either tells the user with one error box or is silent.
void ExpectCleanFailure(const Outcome& outcome)
{
    EXPECT_FALSE(outcome.image.HasPixels());
    ASSERT_LE(outcome.messages.size(), 1u);
    for (const Message& message : outcome.messages) {
        EXPECT_EQ(message.icon, MessageIcon::Error);
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
        EXPECT_EQ(message.caption, "ERROR");
    }
}

#define SKIP_WITHOUT_CORPUS()                                                                                          \
    if (test::CorpusDir().empty())                                                                                     \
    GTEST_SKIP() << "no corpus beside the checkout"

TEST(BmpCorpusTest, GoodSuiteLoadsEveryUncompressed8And24BitFile)
{
    SKIP_WITHOUT_CORPUS();
    const std::set<std::string> loadable = {"pal8-0.bmp",   "pal8.bmp",        "pal8gs.bmp",   "pal8nonsquare.bmp",
                                            "pal8os2.bmp",  "pal8topdown.bmp", "pal8v4.bmp",   "pal8v5.bmp",
                                            "pal8w124.bmp", "pal8w125.bmp",    "pal8w126.bmp", "rgb24.bmp",
                                            "rgb24pal.bmp"};
    const auto files = test::CorpusFiles("bmp/bmpsuite/g");
    ASSERT_EQ(files.size(), 27u);
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const Outcome outcome = Load(path);
        if (loadable.count(name)) {
            ASSERT_TRUE(outcome.ok);
            EXPECT_TRUE(outcome.messages.empty());
            ExpectConsistent(outcome.image);
        } else {
            EXPECT_FALSE(outcome.ok);
            const std::string expected = name == "pal8rle.bmp" ? kCompressed : kDepth; // depth is tested first
            EXPECT_EQ(outcome.messages,
                      (std::vector<Message>{{expected, "ERROR", MessageIcon::Error, MessageButtons::Ok}}));
        }
    }
}

TEST(BmpCorpusTest, EveryStorageOfThe8BitPictureGivesTheSamePixels)
{
    SKIP_WITHOUT_CORPUS();
    const Outcome reference = Load(Suite("g/pal8.bmp"));
    ASSERT_TRUE(reference.ok);
    EXPECT_EQ(reference.image.Width(), 127);
    EXPECT_EQ(reference.image.Height(), 64);
    EXPECT_EQ(reference.image.ExpandedFromIndexed(), 10);
    // Other headers (OS/2 1.x and 2.x, V4, V5), top-down rows, a table of 0 entries
    // meaning 256, a short OS/2 table, a gap before the pixels, a 300-entry table.
    for (const char* name :
         {"g/pal8-0.bmp", "g/pal8os2.bmp", "g/pal8topdown.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp", "q/pal8offs.bmp",
          "q/pal8os2sp.bmp", "q/pal8os2-hs.bmp", "q/pal8os2-sz.bmp", "q/pal8os2v2.bmp", "q/pal8os2v2-16.bmp",
          "q/pal8os2v2-sz.bmp", "q/pal8os2v2-40sz.bmp", "q/pal8oversizepal.bmp"}) {
        SCOPED_TRACE(name);
        const Outcome outcome = Load(Suite(name));
        ASSERT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.image.Width(), 127);
        EXPECT_EQ(outcome.image.Height(), 64);
        EXPECT_EQ(Working(outcome.image), Working(reference.image));
    }
}

TEST(BmpCorpusTest, EveryStorageOfThe24BitPictureGivesTheSamePixels)
{
    SKIP_WITHOUT_CORPUS();
    const Outcome reference = Load(Suite("g/rgb24.bmp"));
    ASSERT_TRUE(reference.ok);
    for (const char* name : {"g/rgb24pal.bmp", "q/rgb24largepal.bmp", "q/rgb24prof.bmp", "q/rgb24lprof.bmp"}) {
        SCOPED_TRACE(name);
        const Outcome outcome = Load(Suite(name));
        ASSERT_TRUE(outcome.ok);
        EXPECT_EQ(Working(outcome.image), Working(reference.image));
    }
}

TEST(BmpCorpusTest, GrayPaletteFileLoadsAsGray)
{
    SKIP_WITHOUT_CORPUS();
    const Outcome gray = Load(Suite("g/pal8gs.bmp"));
    ASSERT_TRUE(gray.ok);
    EXPECT_EQ(gray.image.BitsPerPixel(), 8);
    EXPECT_EQ(gray.image.IsColour(), 0);
}

TEST(BmpCorpusTest, QuestionableAndBadFilesLoadOrFailCleanly)
{
    SKIP_WITHOUT_CORPUS();
    // Where the outcome is known: the message, or "" for a load.
    const std::map<std::string, std::string> known = {
        {"pal8offs.bmp", ""},        {"pal8oversizepal.bmp", ""},     {"rgb24largepal.bmp", ""},
        {"pal8badindex.bmp", ""},    {"badpalettesize.bmp", ""},      {"rgb24jpeg.bmp", kDepth},
        {"rgb24png.bmp", kDepth},    {"rgb24rle24.bmp", kCompressed}, {"pal8rletrns.bmp", kCompressed},
        {"badrle.bmp", kCompressed}, {"rletopdown.bmp", kCompressed}, {"reallybig.bmp", kSize},
        {"badbitcount.bmp", kDepth}, {"shortfile.bmp", kDepth},       {"rgb32h52.bmp", kDepth}};
    auto files = test::CorpusFiles("bmp/bmpsuite/q");
    const auto bad = test::CorpusFiles("bmp/bmpsuite/b");
    files.insert(files.end(), bad.begin(), bad.end());
    ASSERT_EQ(files.size(), 57u);
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const Outcome outcome = Load(path);
        if (outcome.ok)
            ExpectConsistent(outcome.image);
        else
            ExpectCleanFailure(outcome);
        if (const auto it = known.find(name); it != known.end()) {
            EXPECT_EQ(outcome.ok, it->second.empty());
            if (!it->second.empty()) {
                ASSERT_EQ(outcome.messages.size(), 1u);
                EXPECT_EQ(outcome.messages[0].text, it->second);
            }
        }
    }
}

TEST(BmpCorpusTest, OtherLibrariesFilesLoadOrFailCleanly)
{
    SKIP_WITHOUT_CORPUS();
    const std::map<std::string, std::string> known = {
        {"Core_8_Bit.bmp", ""},       {"Info_8_Bit_Top_Down.bmp", ""}, {"Info_R8_G8_B8_Top_Down.bmp", ""},
        {"hopper.bmp", ""},           {"shira_bird8.bmp", ""},         {"vgl_6434_0018a.bmp", ""},
        {"bad_Bad_width.bmp", kSize}, {"bad_Bad_height.bmp", kSize},   {"hopper_rle8.bmp", kCompressed},
        {"l2rgb_read.bmp", kDepth},   {"Core_1_Bit.bmp", kDepth}};
    std::size_t seen = 0;
    for (const char* folder : {"bmp/image-rs", "bmp/pillow", "bmp/libjpeg-turbo"})
        for (const auto& path : test::CorpusFiles(folder)) {
            if (path.extension() != ".bmp")
                continue;
            ++seen;
            const std::string name = path.filename().string();
            SCOPED_TRACE(name);
            const Outcome outcome = Load(path);
            if (outcome.ok)
                ExpectConsistent(outcome.image);
            else
                ExpectCleanFailure(outcome);
            if (const auto it = known.find(name); it != known.end()) {
                EXPECT_EQ(outcome.ok, it->second.empty());
                if (!it->second.empty()) {
                    ASSERT_EQ(outcome.messages.size(), 1u);
                    EXPECT_EQ(outcome.messages[0].text, it->second);
                }
            }
        }
    EXPECT_GT(seen, 30u);
}

TEST(BmpCorpusTest, TopDownTrueColourFileHoldsItsTopRowLast)
{
    SKIP_WITHOUT_CORPUS();
    // The 6x6 file is stored top row first; the image holds it bottom-up, so the
    // file's first row must be the image's last.
    const auto path = test::CorpusDir() / "bmp" / "image-rs" / "Info_R8_G8_B8_Top_Down.bmp";
    const auto bytes = test::ReadBytes(path);
    const Outcome outcome = Load(path);
    ASSERT_TRUE(outcome.ok);
    const std::size_t stride = 6 * 3 + 2;
    const auto pixels = Working(outcome.image);
    ASSERT_EQ(pixels.size(), stride * 6);
    EXPECT_TRUE(std::equal(bytes.begin() + 54, bytes.begin() + 54 + 18, pixels.end() - stride));
    EXPECT_TRUE(std::equal(bytes.begin() + 54 + 5 * stride, bytes.begin() + 54 + 5 * stride + 18, pixels.begin()));
}

} // namespace
} // namespace tamr
