// tamr-cli palette: the index image of a picture written as an 8-bit BMP.

#include <gtest/gtest.h>

#include <set>

#include "image/DibImage.h"
#include "image/FixedColourTable.h"
#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using test::Quoted;

std::vector<std::uint8_t> Shaded(int width, int height)
{
    test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x)
            layout.rows.push_back(x < width * 3 ? static_cast<std::uint8_t>((x % 3) * 60 + x + 3 * y) : 0);
    return test::BuildBmp(layout);
}

struct PaletteFile {
    std::uint16_t bits = 0;
    std::vector<RgbQuad> table;
    std::vector<std::uint8_t> indices; // the rows as stored
};

// Reads the written file's header fields, table and rows directly.
PaletteFile ReadPaletteFile(const std::vector<std::uint8_t>& bytes)
{
    PaletteFile file;
    ByteReader reader(bytes);
    const BitmapFileHeader fileHeader = ReadFileHeader(reader);
    const BitmapInfoHeader header = ReadInfoHeader(reader);
    file.bits = header.biBitCount;
    for (int i = 0; i < 256; ++i)
        file.table.push_back(ReadRgbQuad(reader));
    file.indices.assign(bytes.begin() + fileHeader.bfOffBits, bytes.end());
    return file;
}

TEST(CliPaletteTest, WritesTheIndexImageWithItsPaletteForEachChoice)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "p.bmp", Shaded(30, 20));
    const std::string in = Quoted((scratch / "p.bmp").string());
    std::set<std::vector<std::uint8_t>> outputs;
    for (const std::string options : {"", " --dither", " --fixed", " --fixed --dither"}) {
        const auto out = scratch / "p8.bmp";
        const auto run = test::RunCli("palette " + in + " " + Quoted(out.string()) + options, scratch);
        ASSERT_EQ(run.exitCode, 0) << options << ": " << run.err;
        const auto bytes = test::ReadBytes(out);
        const PaletteFile file = ReadPaletteFile(bytes);
        EXPECT_EQ(file.bits, 8);
        EXPECT_EQ(file.indices.size(), 32u * 20u);
        if (options.find("--fixed") != std::string::npos) {
            EXPECT_EQ(file.table[252], (RgbQuad{0, 0, 255, 0}));
            EXPECT_EQ(file.table[249], (RgbQuad{255, 0, 0, 0}));
        }
        outputs.insert(bytes);

        // Read back, the file is the picture in at most 256 colours, close to the original.
        ScriptedPrompter prompter;
        CDibImage original;
        CDibImage shown;
        ASSERT_TRUE(original.ReadBmp(Shaded(30, 20), prompter, DisplaySettings{}, Limits{}));
        ASSERT_TRUE(shown.ReadBmp(bytes, prompter, DisplaySettings{}, Limits{}));
        ASSERT_EQ(shown.Width(), 30);
        ASSERT_EQ(shown.BitsPerPixel(), 24);
        EXPECT_LT(shown.MeasureQuality().largestDifference, 255);
        double difference = 0;
        for (std::size_t i = 0; i < original.Pixels().size(); ++i)
            difference += std::abs(original.Pixels()[i] - shown.Pixels()[i]);
        EXPECT_LT(difference / original.Pixels().size(), 20.0) << options;
    }
    EXPECT_EQ(outputs.size(), 4u); // each choice gives a picture of its own
}

// A name ending in ".png" gets a palette PNG of the same picture, ".ppm" its colours.
TEST(CliPaletteTest, PngAndPnmNamesGetTheSameIndexImage)
{
    test::ScratchDir scratch;
    test::WriteBytes(scratch / "p.bmp", Shaded(30, 20));
    const std::string in = Quoted((scratch / "p.bmp").string());
    std::vector<std::vector<std::uint8_t>> shown;
    for (const std::string name : {"p8.bmp", "p8.png", "p8.ppm"}) {
        const auto run = test::RunCli("palette " + in + " " + Quoted((scratch / name).string()), scratch);
        ASSERT_EQ(run.exitCode, 0) << name << ": " << run.err;
        const auto reopened = test::RunCli("convert " + Quoted((scratch / name).string()) + " " +
                                               Quoted((scratch / (name + ".bmp")).string()),
                                           scratch);
        ASSERT_EQ(reopened.exitCode, 0) << name << ": " << reopened.err;
        ScriptedPrompter prompter;
        CDibImage image;
        ASSERT_TRUE(image.ReadBmp(test::ReadBytes(scratch / (name + ".bmp")), prompter, DisplaySettings{}, Limits{}));
        shown.emplace_back(image.Pixels().begin(), image.Pixels().end());
    }
    EXPECT_EQ(test::ReadBytes(scratch / "p8.png")[25], 3); // colour type: palette
    EXPECT_EQ(shown[1], shown[0]);
    EXPECT_EQ(shown[2], shown[0]);
}

TEST(CliPaletteTest, GrayPicturesAreWrittenAsTheyAreShownAndBadInputFails)
{
    test::ScratchDir scratch;
    test::BmpLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.bits = 8;
    layout.table = test::GrayRamp();
    layout.rows = {0, 50, 100, 150, 200, 250, 255, 1};
    test::WriteBytes(scratch / "g.bmp", test::BuildBmp(layout));
    const auto out = scratch / "g8.bmp";
    auto run = test::RunCli("palette " + Quoted((scratch / "g.bmp").string()) + " " + Quoted(out.string()), scratch);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const PaletteFile file = ReadPaletteFile(test::ReadBytes(out));
    EXPECT_EQ(file.bits, 8);
    EXPECT_EQ(file.table[100], (RgbQuad{100, 100, 100, 0}));
    EXPECT_EQ(file.indices, layout.rows);

    test::WriteBytes(scratch / "junk.bin", {1, 2, 3});
    run = test::RunCli("palette " + Quoted((scratch / "junk.bin").string()) + " " + Quoted(out.string()), scratch);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("There was an error reading the file!!"), std::string::npos) << run.err;
}

} // namespace
} // namespace tamr
