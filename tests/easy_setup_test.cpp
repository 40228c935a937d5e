// The Image Setup dialog's logic: the edit's rule, the bar and the edit
// following each other, Reset, and what reaches the settings.

#include <gtest/gtest.h>

#include "codec/EasySetup.h"
#include "codec/QualityFactor.h"

namespace tamr {
namespace {

using enum ScrollCode;

TEST(EasySetupTest, QualityTextRule)
{
    EXPECT_EQ(ParseQualityText("0"), 0);
    EXPECT_EQ(ParseQualityText("100"), 100);
    EXPECT_EQ(ParseQualityText("007"), 7);
    EXPECT_EQ(ParseQualityText(""), 0);
    for (const char* text : {"101", "5a", "-1", "+5", " 5", "0100", "1000", "999"}) {
        EXPECT_EQ(ParseQualityText(text), std::nullopt) << text;
    }
}

TEST(EasySetupTest, OpensOnTheSettingsQuality)
{
    CodecSettings settings;
    settings.qualityFactor = 73;
    const EasySetupSession session(settings);
    EXPECT_EQ(session.Quality(), 73);
    EXPECT_EQ(session.ScrollPosition(), 73);
    EXPECT_EQ(session.EditText(), "73");
}

TEST(EasySetupTest, RefusedEditTextIsReplacedByThePreviousQuality)
{
    EasySetupSession session{CodecSettings{}};
    session.OnEditUpdate("30");
    EXPECT_EQ(session.Quality(), 30);
    EXPECT_EQ(session.ScrollPosition(), 30);

    session.OnEditUpdate("101");
    EXPECT_EQ(session.EditText(), "30");
    EXPECT_EQ(session.Quality(), 30);
    session.OnEditUpdate("5a");
    EXPECT_EQ(session.EditText(), "30");
    EXPECT_EQ(session.ScrollPosition(), 30);

    session.OnEditUpdate("007");
    EXPECT_EQ(session.EditText(), "007"); // accepted as typed
    EXPECT_EQ(session.Quality(), 7);
    EXPECT_EQ(session.ScrollPosition(), 7);

    session.OnEditUpdate("");
    EXPECT_EQ(session.EditText(), "");
    EXPECT_EQ(session.Quality(), 0);
    EXPECT_EQ(session.ScrollPosition(), 0);
    session.OnEditUpdate("x");
    EXPECT_EQ(session.EditText(), "0");
}

TEST(EasySetupTest, ScrollingWritesTheEditAndMovesTheQuality)
{
    EasySetupSession session{CodecSettings{}};
    EXPECT_TRUE(session.OnHScroll(SB_LINERIGHT, 0));
    EXPECT_EQ(session.EditText(), "51");
    EXPECT_EQ(session.Quality(), 51);
    EXPECT_TRUE(session.OnHScroll(SB_PAGELEFT, 0));
    EXPECT_EQ(session.Quality(), 46);

    EXPECT_TRUE(session.OnHScroll(SB_THUMBTRACK, 98));
    EXPECT_TRUE(session.OnHScroll(SB_PAGERIGHT, 0));
    EXPECT_EQ(session.Quality(), 100);
    EXPECT_EQ(session.ScrollPosition(), 100);
    EXPECT_EQ(session.EditText(), "100");
    EXPECT_FALSE(session.OnHScroll(SB_LINERIGHT, 0));
    EXPECT_FALSE(session.OnHScroll(SB_LEFT, 0));
    EXPECT_FALSE(session.OnHScroll(SB_THUMBPOSITION, 3));
    EXPECT_EQ(session.Quality(), 100);

    EXPECT_TRUE(session.OnHScroll(SB_THUMBTRACK, 2));
    EXPECT_TRUE(session.OnHScroll(SB_PAGELEFT, 0));
    EXPECT_EQ(session.Quality(), 0);
    EXPECT_FALSE(session.OnHScroll(SB_LINELEFT, 0));
}

TEST(EasySetupTest, ResetAndCopy)
{
    CodecSettings settings;
    EasySetupSession session(settings);
    session.OnEditUpdate("12");
    session.Reset();
    EXPECT_EQ(session.Quality(), 50);
    EXPECT_EQ(session.EditText(), "50");
    EXPECT_EQ(session.ScrollPosition(), 50);

    session.OnEditUpdate("85");
    session.CopyTo(settings);
    CodecSettings expected;
    expected.qualityFactor = 85;
    ApplyQualityFactor(expected);
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(settings.components[kComponentC].discardLevels, 2);
}

TEST(EasySetupTest, QualityHundredKeepsTheRawSettings)
{
    CodecSettings settings;
    settings.qualityFactor = 20;
    ApplyQualityFactor(settings);
    CodecSettings expected = settings;
    EasySetupSession session(settings);
    session.OnEditUpdate("100");
    session.CopyTo(settings);
    expected.qualityFactor = 100;
    EXPECT_EQ(settings, expected);
}

} // namespace
} // namespace tamr
