// tamr-cli filter and sharpen, run as the built program: the same pixels as
// the dialogs give, the texts of the edits read as the dialog reads them, and
// the Save As rules on the way out.

#include <gtest/gtest.h>

#include "enhance/FilterKernel.h"
#include "enhance/FilterList.h"
#include "enhance/Sharpen.h"
#include "support/BmpTestFiles.h"
#include "support/CliRunner.h"
#include "support/FilterTestImage.h"

namespace tamr {
namespace {

using test::Quoted;

constexpr int kWidth = 13;
constexpr int kHeight = 9;

std::vector<std::uint8_t> Rows(int bytesPerPixel)
{
    return test::RandomRows(kWidth, kHeight, bytesPerPixel, 21);
}

std::vector<std::uint8_t> Picture(int bytesPerPixel, std::uint16_t reserved = 0)
{
    test::BmpLayout layout;
    layout.width = kWidth;
    layout.height = kHeight;
    layout.reserved1 = reserved;
    if (bytesPerPixel == 1) {
        layout.bits = 8;
        layout.table = test::GrayRamp();
    }
    layout.rows = Rows(bytesPerPixel);
    return test::BuildBmp(layout);
}

// The pixel rows of a written BMP, from the offset its file header gives.
std::vector<std::uint8_t> RowsOf(const std::vector<std::uint8_t>& bmp)
{
    if (bmp.size() < 14)
        return {};
    const std::size_t offset = bmp[10] | bmp[11] << 8 | bmp[12] << 16 | static_cast<std::size_t>(bmp[13]) << 24;
    if (bmp.size() < offset)
        return {};
    return {bmp.begin() + static_cast<std::ptrdiff_t>(offset), bmp.end()};
}

// The rows as the filter functions see them: padded, bottom-up.
PixelView ViewOf(std::vector<std::uint8_t>& rows, int bytesPerPixel)
{
    const int pad = (4 - kWidth * bytesPerPixel % 4) % 4;
    return {rows, kWidth, kHeight, pad};
}

class CliEditTest : public testing::Test {
protected:
    std::string In(int bytesPerPixel, std::uint16_t reserved = 0)
    {
        const auto path = scratch / ("in" + std::to_string(bytesPerPixel) + "-" + std::to_string(reserved) + ".bmp");
        test::WriteBytes(path, Picture(bytesPerPixel, reserved));
        return Quoted(path.string());
    }
    std::string Out(const std::string& name) const { return Quoted((scratch / name).string()); }
    std::vector<std::uint8_t> Written(const std::string& name) const { return RowsOf(test::ReadBytes(scratch / name)); }
    test::CliRun Run(const std::string& arguments) const { return test::RunCli(arguments, scratch); }

    test::ScratchDir scratch;
};

TEST_F(CliEditTest, SmoothAppliedThreeTimesAccumulates)
{
    const auto run = Run("filter " + In(3) + " " + Out("out.bmp") + " --name Smooth --times 3");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    auto expected = Rows(3);
    FilterKernel smooth;
    smooth.k = {1, 1, 1, 1, 5, 1, 1, 1, 1};
    smooth.divisor = 13;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(RunFilter(FilterOperation::Convolve, ViewOf(expected, 3), true, {smooth, 0}));
    EXPECT_EQ(Written("out.bmp"), expected);
}

TEST_F(CliEditTest, KernelDivisorAndIntensityAreReadAsTheDialogReadsThem)
{
    // "X" and an empty text count as 0, a divisor of 0 as 1, and numbers beyond
    // the range are clamped; on a gray picture.
    auto run = Run("filter " + In(1) + " " + Out("k.bmp") +
                   " --name 'edge detect' --kernel=-1,X,,' 2',300,-1abc,0,0,0 --divisor 0");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto expected = Rows(1);
    FilterKernel kernel;
    kernel.k = {-1, 0, 0, 2, 255, -1, 0, 0, 0};
    ASSERT_TRUE(RunFilter(FilterOperation::Convolve, ViewOf(expected, 1), false, {kernel, 0}));
    EXPECT_EQ(Written("k.bmp"), expected);

    run = Run("filter " + In(1) + " " + Out("d.bmp") + " --name Despeckle --intensity 12");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expected = Rows(1);
    ASSERT_TRUE(RunFilter(FilterOperation::Despeckle, ViewOf(expected, 1), false, {{}, 9}));
    EXPECT_EQ(Written("d.bmp"), expected);
}

TEST_F(CliEditTest, BadFilterRequestsAreRefusedBeforeAnythingIsWritten)
{
    auto run = Run("filter " + In(3) + " " + Out("x.bmp") + " --name Blur");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no filter is named \"Blur\""), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\"Fill angles\""), std::string::npos);
    run = Run("filter " + In(3) + " " + Out("x.bmp") + " --name Smooth --kernel 1,1,1");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("nine multipliers"), std::string::npos) << run.err;
    run = Run("filter " + In(3) + " " + Out("x.bmp") + " --name Smooth --times -1");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(scratch / "x.bmp"));
}

TEST_F(CliEditTest, EditedPictureIsSavedWithTheSaveAsRules)
{
    // A bitmap is saved as BMP only.
    auto run = Run("filter " + In(3) + " " + Out("x.cod") + " --name Negative");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Error: The file is not this type!!"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "x.cod"));
    // The depth warning is answered No unless --yes is given.
    run = Run("filter " + In(3, 4) + " " + Out("deep.bmp") + " --name Negative");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Warning!: File will be saved as 24 bit!"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "deep.bmp"));
    run = Run("sharpen " + In(3, 1) + " " + Out("deep.bmp") + " --amount 50");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Warning!: File will be saved as 8 bit!"), std::string::npos) << run.err;
    run = Run("sharpen " + In(3, 1) + " " + Out("deep.bmp") + " --amount 50 --yes");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(scratch / "deep.bmp"));
    // Neither kind of name.
    run = Run("filter " + In(3) + " " + Out("x.txt") + " --name Negative");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("The file is not this type!!"), std::string::npos) << run.err;
    // A PNG name gets the edited picture as PNG.
    run = Run("filter " + In(3) + " " + Out("x.png") + " --name Negative");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(scratch / "x.png"));
}

TEST_F(CliEditTest, SharpenBarsFollowTheDialog)
{
    // The bars are the dialog's, top to bottom: the first sharpens byte 0 (blue).
    auto run = Run("sharpen " + In(3) + " " + Out("s.bmp") + " --amounts 80,20,0");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto expected = Rows(3);
    ASSERT_TRUE(SharpenColour(ViewOf(expected, 3), 80 * 0.01f, 20 * 0.01f, 0.0f));
    EXPECT_EQ(Written("s.bmp"), expected);

    run = Run("sharpen " + In(1) + " " + Out("g.bmp") + " --amount 70");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    expected = Rows(1);
    ASSERT_TRUE(SharpenGray(ViewOf(expected, 1), 70 * 0.01f));
    EXPECT_EQ(Written("g.bmp"), expected);

    // 1 % leaves a gray picture as it was.
    run = Run("sharpen " + In(1) + " " + Out("one.bmp") + " --amount 1");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Written("one.bmp"), Rows(1));
}

TEST_F(CliEditTest, SharpenAmountsAreChecked)
{
    for (const char* amounts : {"--amounts 80,20", "--amounts 80,20,101", "--amounts 8x,1,1", "--amount 101", ""}) {
        const auto run = Run("sharpen " + In(3) + " " + Out("s.bmp") + " " + amounts);
        EXPECT_EQ(run.exitCode, 2) << amounts;
    }
    auto run = Run("sharpen " + In(3) + " " + Out("s.bmp") + " --amount 5 --amounts 1,2,3");
    EXPECT_EQ(run.exitCode, 2);
    // A gray picture has one bar.
    run = Run("sharpen " + In(1) + " " + Out("s.bmp") + " --amounts 10,20,30");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is gray and has one amount"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(scratch / "s.bmp"));
}

} // namespace
} // namespace tamr
