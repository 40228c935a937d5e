// The Sharpen Image command without its widgets: opening, the scroll rules,
// Apply from the start state, and the end with OK or Cancel.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "enhance/SharpenSession.h"
#include "image/DibImage.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

// 3 × 3 pixels, centre `centre`, neighbours 100; row stride 4 (gray) or 12 (colour).
struct CentreImage {
    CentreImage(bool colour, std::uint8_t centre) : bytesPerPixel(colour ? 3 : 1)
    {
        const int stride = colour ? 12 : 4;
        bytes.assign(static_cast<std::size_t>(stride * 3), 0);
        for (int y = 0; y < 3; ++y) {
            for (int i = 0; i < 3 * bytesPerPixel; ++i) {
                bytes[static_cast<std::size_t>(y * stride + i)] = 100;
            }
        }
        for (int b = 0; b < bytesPerPixel; ++b) {
            CentreByte(b) = centre;
        }
    }
    std::uint8_t& CentreByte(int b = 0)
    {
        const int stride = bytesPerPixel == 3 ? 12 : 4;
        return bytes[static_cast<std::size_t>(stride + bytesPerPixel + b)];
    }
    PixelView View() { return {bytes, 3, 3, bytesPerPixel == 3 ? 3 : 1}; }

    int bytesPerPixel;
    std::vector<std::uint8_t> bytes;
};

class SharpenSessionTest : public ::testing::Test {
protected:
    SharpenSession Open(CentreImage& image, bool colour)
    {
        auto session = SharpenSession::Open(image.View(), colour, prompter, [this] { ++notices; });
        EXPECT_TRUE(session.has_value());
        EXPECT_TRUE(prompter.Messages().empty());
        return std::move(*session);
    }

    ScriptedPrompter prompter;
    int notices = 0;
};

void ExpectRow(const SharpenRowState& row, const char* label, bool enabled, int minimum, int maximum, int position,
               const char* percentText)
{
    EXPECT_EQ(row.label, label);
    EXPECT_EQ(row.enabled, enabled) << label;
    EXPECT_EQ(row.minimum, minimum) << label;
    EXPECT_EQ(row.maximum, maximum) << label;
    EXPECT_EQ(row.position, position) << label;
    EXPECT_EQ(row.percentText, percentText) << label;
}

// ---- Opening ----------------------------------------------------------------

TEST_F(SharpenSessionTest, ColourImageOpensWithThreeBarsAtFiftyPercent)
{
    CentreImage image(true, 200);
    const std::vector<std::uint8_t> before = image.bytes;
    const SharpenSession session = Open(image, true);
    ExpectRow(session.Row(SharpenBar::Top), "Red", true, 0, 100, 50, "50%");
    ExpectRow(session.Row(SharpenBar::Middle), "Green", true, 0, 100, 50, "50%");
    ExpectRow(session.Row(SharpenBar::Bottom), "Blue", true, 0, 100, 50, "50%");
    EXPECT_EQ(session.RedPercent(), 50);
    EXPECT_EQ(session.GreenPercent(), 50);
    EXPECT_EQ(session.BluePercent(), 50);
    EXPECT_EQ(session.GrayPercent(), 50);
    EXPECT_EQ(image.bytes, before);
    EXPECT_EQ(notices, 0);
}

TEST_F(SharpenSessionTest, GrayImageDisablesTheLowerTwoRows)
{
    CentreImage image(false, 200);
    const SharpenSession session = Open(image, false);
    ExpectRow(session.Row(SharpenBar::Top), "Gray scale", true, 0, 100, 50, "50%");
    ExpectRow(session.Row(SharpenBar::Middle), "Green", false, 0, 0, 0, "50%");
    ExpectRow(session.Row(SharpenBar::Bottom), "Blue", false, 0, 0, 0, "50%");
}

TEST_F(SharpenSessionTest, OpensOnADocumentImage)
{
    CDibImage image;
    ASSERT_TRUE(image.AllocateForCodData(3, 3, 8, false));
    const std::span<std::uint8_t> pixels = image.Pixels();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            pixels[static_cast<std::size_t>(y * 4 + x)] = 100;
        }
    }
    pixels[5] = 200;
    auto session = SharpenSession::Open(image, prompter, [this] { ++notices; });
    ASSERT_TRUE(session.has_value());
    EXPECT_FALSE(session->IsColour());
    EXPECT_TRUE(session->Apply());
    EXPECT_EQ(image.Pixels()[5], 250);
}

// ---- Scrolling --------------------------------------------------------------

TEST_F(SharpenSessionTest, LineStepsStopAtTheEnds)
{
    CentreImage image(true, 200);
    SharpenSession session = Open(image, true);
    EXPECT_TRUE(session.OnHScroll(SharpenBar::Top, ScrollCode::SB_LINELEFT, 0));
    ExpectRow(session.Row(SharpenBar::Top), "Red", true, 0, 100, 49, "49%");
    EXPECT_TRUE(session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 0));
    EXPECT_FALSE(session.OnHScroll(SharpenBar::Top, ScrollCode::SB_LINELEFT, 0));
    EXPECT_EQ(session.Row(SharpenBar::Top).position, 0);
    EXPECT_TRUE(session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 100));
    EXPECT_FALSE(session.OnHScroll(SharpenBar::Top, ScrollCode::SB_LINERIGHT, 0));
    EXPECT_EQ(session.Row(SharpenBar::Top).position, 100);
    EXPECT_EQ(session.Row(SharpenBar::Top).percentText, "100%");
}

TEST_F(SharpenSessionTest, PageStepsAreFiveAndClampToTheRange)
{
    CentreImage image(true, 200);
    SharpenSession session = Open(image, true);
    session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_THUMBTRACK, 98);
    EXPECT_TRUE(session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_PAGERIGHT, 0));
    EXPECT_EQ(session.Row(SharpenBar::Middle).position, 100); // not 103
    EXPECT_EQ(session.GreenPercent(), 100);
    session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_THUMBTRACK, 7);
    session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_PAGELEFT, 0);
    EXPECT_EQ(session.Row(SharpenBar::Middle).position, 2);
    session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_PAGELEFT, 0);
    EXPECT_EQ(session.Row(SharpenBar::Middle).position, 0);
    EXPECT_EQ(session.Row(SharpenBar::Middle).percentText, "0%");
}

TEST_F(SharpenSessionTest, OnlyTheThumbTrackTakesTheThumbPosition)
{
    CentreImage image(true, 200);
    SharpenSession session = Open(image, true);
    for (const ScrollCode code :
         {ScrollCode::SB_THUMBPOSITION, ScrollCode::SB_LEFT, ScrollCode::SB_RIGHT, ScrollCode::SB_ENDSCROLL}) {
        EXPECT_FALSE(session.OnHScroll(SharpenBar::Bottom, code, 80));
        ExpectRow(session.Row(SharpenBar::Bottom), "Blue", true, 0, 100, 50, "50%");
    }
    EXPECT_TRUE(session.OnHScroll(SharpenBar::Bottom, ScrollCode::SB_THUMBTRACK, 37));
    ExpectRow(session.Row(SharpenBar::Bottom), "Blue", true, 0, 100, 37, "37%");
    EXPECT_EQ(session.BluePercent(), 37);
    // A thumb position outside the range is held at its end, as a bar's position is.
    session.OnHScroll(SharpenBar::Bottom, ScrollCode::SB_THUMBTRACK, 140);
    EXPECT_EQ(session.BluePercent(), 100);
}

TEST_F(SharpenSessionTest, EachBarSetsItsOwnAmount)
{
    CentreImage image(true, 200);
    SharpenSession session = Open(image, true);
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 10);
    session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_THUMBTRACK, 20);
    session.OnHScroll(SharpenBar::Bottom, ScrollCode::SB_THUMBTRACK, 30);
    EXPECT_EQ(session.RedPercent(), 10);
    EXPECT_EQ(session.GrayPercent(), 10); // follows the top bar
    EXPECT_EQ(session.GreenPercent(), 20);
    EXPECT_EQ(session.BluePercent(), 30);
}

TEST_F(SharpenSessionTest, GrayImageMovesOnlyTheTopBar)
{
    CentreImage image(false, 200);
    SharpenSession session = Open(image, false);
    EXPECT_FALSE(session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_THUMBTRACK, 90));
    EXPECT_FALSE(session.OnHScroll(SharpenBar::Bottom, ScrollCode::SB_PAGERIGHT, 0));
    EXPECT_EQ(session.GreenPercent(), 50);
    EXPECT_EQ(session.BluePercent(), 50);
    EXPECT_TRUE(session.OnHScroll(SharpenBar::Top, ScrollCode::SB_PAGERIGHT, 0));
    EXPECT_EQ(session.GrayPercent(), 55);
    EXPECT_EQ(session.RedPercent(), 55);
    ExpectRow(session.Row(SharpenBar::Top), "Gray scale", true, 0, 100, 55, "55%");
}

TEST_F(SharpenSessionTest, ScrollingAppliesNothing)
{
    CentreImage image(false, 200);
    const std::vector<std::uint8_t> before = image.bytes;
    SharpenSession session = Open(image, false);
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 100);
    EXPECT_EQ(image.bytes, before);
    EXPECT_EQ(notices, 0);
}

// ---- Apply ------------------------------------------------------------------

TEST_F(SharpenSessionTest, ApplyUsesTheGrayAmount)
{
    CentreImage image(false, 200);
    SharpenSession session = Open(image, false);
    EXPECT_TRUE(session.Apply());
    EXPECT_EQ(image.CentreByte(), 250); // 50 %: 50 + 200.5
    EXPECT_EQ(notices, 1);
}

TEST_F(SharpenSessionTest, AppliesDoNotAccumulate)
{
    CentreImage image(false, 200);
    SharpenSession session = Open(image, false);
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 80);
    session.Apply();
    EXPECT_EQ(image.CentreByte(), 255); // f·800 ≈ 80: 280.5
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 20);
    session.Apply();
    // 20 × 0.01f ties down to 0.19999999, f·800 = 19.999998, + 200 rounds to
    // 220.0, v = 220.5 → 220. Sharpening the 255 again would stay at 255.
    EXPECT_EQ(image.CentreByte(), 220);
    EXPECT_EQ(notices, 2);

    CentreImage fresh(false, 200);
    SharpenSession single = Open(fresh, false);
    single.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 20);
    single.Apply();
    EXPECT_EQ(fresh.bytes, image.bytes);
}

TEST_F(SharpenSessionTest, RedBarSharpensTheFirstStoredByte)
{
    // Stored bytes are blue, green, red: "Red" drives byte 0, "Blue" byte 2.
    CentreImage image(true, 200);
    SharpenSession session = Open(image, true);
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 50);
    session.OnHScroll(SharpenBar::Middle, ScrollCode::SB_THUMBTRACK, 0);
    session.OnHScroll(SharpenBar::Bottom, ScrollCode::SB_THUMBTRACK, 100);
    ASSERT_TRUE(session.Apply());
    EXPECT_EQ(image.CentreByte(0), 250);
    EXPECT_EQ(image.CentreByte(1), 200);
    EXPECT_EQ(image.CentreByte(2), 255);
}

// ---- The end of the command -------------------------------------------------

TEST_F(SharpenSessionTest, CancelRestoresTheStartAndStillMarksTheImageEdited)
{
    CentreImage image(true, 200);
    const std::vector<std::uint8_t> before = image.bytes;
    SharpenSession session = Open(image, true);
    session.Apply();
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 100);
    session.Apply();
    ASSERT_NE(image.bytes, before);
    const SharpenFinished finished = session.Finish(SharpenEnding::Cancel);
    EXPECT_EQ(image.bytes, before);
    EXPECT_EQ(finished.imageEdited, 1);
    EXPECT_EQ(notices, 3);
}

TEST_F(SharpenSessionTest, OkKeepsTheLastApply)
{
    CentreImage image(false, 200);
    SharpenSession session = Open(image, false);
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 100);
    session.Apply();
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 20);
    session.Apply();
    session.OnHScroll(SharpenBar::Top, ScrollCode::SB_THUMBTRACK, 100); // not applied
    const SharpenFinished finished = session.Finish(SharpenEnding::Ok);
    EXPECT_EQ(image.CentreByte(), 220);
    EXPECT_EQ(finished.imageEdited, 1);
}

TEST_F(SharpenSessionTest, OkWithoutApplyChangesNothingButMarksTheImageEdited)
{
    CentreImage image(false, 200);
    const std::vector<std::uint8_t> before = image.bytes;
    SharpenSession session = Open(image, false);
    const SharpenFinished finished = session.Finish(SharpenEnding::Ok);
    EXPECT_EQ(image.bytes, before);
    EXPECT_EQ(finished.imageEdited, 1);
    EXPECT_EQ(notices, 1); // the view still rebuilds and repaints
}

TEST_F(SharpenSessionTest, NothingHappensAfterTheEnd)
{
    CentreImage image(false, 200);
    SharpenSession session = Open(image, false);
    session.Apply();
    session.Finish(SharpenEnding::Ok);
    const std::vector<std::uint8_t> after = image.bytes;
    image.CentreByte() = 7; // edited by someone else after the command
    EXPECT_FALSE(session.OnHScroll(SharpenBar::Top, ScrollCode::SB_LINELEFT, 0));
    EXPECT_FALSE(session.Apply());
    session.Finish(SharpenEnding::Cancel);
    EXPECT_EQ(image.CentreByte(), 7);
    EXPECT_EQ(notices, 2);
    EXPECT_TRUE(session.IsFinished());
}

} // namespace
} // namespace tamr
