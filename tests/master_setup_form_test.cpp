// The Master Setup edits as texts: shown on opening, read back on OK and
// "Test Setting", refused with the integer message or the rules' messages.

#include <gtest/gtest.h>

#include "codec/MasterSetupForm.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

using enum MasterSetupField;

class MasterSetupFormTest : public testing::Test {
protected:
    MasterSetupForm form = ToForm(FromSettings(CodecSettings{}));
    ScriptedPrompter prompter;
};

TEST_F(MasterSetupFormTest, ShowsTheValuesOfTheSettings)
{
    EXPECT_EQ(form[TotalLevels], "5");
    EXPECT_EQ(form[QuantizeA], "  6,  6,  0, 12, 12,  6, 24, 24, 24, 30, 30, 30, 40, 40, 40, 50");
    EXPECT_EQ(form[Threshold], " 28, 23, 15, 10,  7,  5");
    EXPECT_EQ(form[DiscardA], "0");
    EXPECT_EQ(form[DiscardB], "2");
    EXPECT_EQ(form[SampleC], "0");
}

TEST_F(MasterSetupFormTest, UnchangedTextsReadBackAsTheValues)
{
    const MasterSetupReading reading = ReadMasterSetupForm(form, prompter);
    ASSERT_TRUE(reading.values);
    EXPECT_EQ(*reading.values, FromSettings(CodecSettings{}));
    EXPECT_TRUE(prompter.Messages().empty());
}

TEST_F(MasterSetupFormTest, IntegerFieldsAreReadFirstAndInOrder)
{
    form[TotalLevels] = "9"; // breaks a rule, but is an integer
    form[DiscardC] = "two";  // the first text that is not an integer
    form[SampleA] = "";      // also refused, but later
    const MasterSetupReading reading = ReadMasterSetupForm(form, prompter);
    EXPECT_FALSE(reading.values);
    EXPECT_EQ(reading.refusedField, DiscardC);
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0],
              (Message{"Please enter an integer.", "", MessageIcon::Warning, MessageButtons::Ok}));

    prompter.Clear();
    form[DiscardC] = " 2 ";
    EXPECT_EQ(ReadMasterSetupForm(form, prompter).refusedField, SampleA);
}

TEST_F(MasterSetupFormTest, RulesAreCheckedOnceEveryFieldIsAnInteger)
{
    form[TotalLevels] = "7";
    form[DiscardA] = "9";
    MasterSetupReading reading = ReadMasterSetupForm(form, prompter);
    EXPECT_FALSE(reading.values);
    EXPECT_FALSE(reading.refusedField);
    form[TotalLevels] = "6";
    ReadMasterSetupForm(form, prompter);
    form[DiscardA] = "6";
    form[SampleB] = "1";
    ReadMasterSetupForm(form, prompter);
    form[SampleC] = "1";
    reading = ReadMasterSetupForm(form, prompter);
    ASSERT_TRUE(reading.values);
    EXPECT_EQ(reading.values->totalLevels, 6);
    EXPECT_EQ(reading.values->discardLevels[kComponentA], 6);

    const std::vector<Message> expected{
        {"Total levels cannot larger than 6", "Error", MessageIcon::Error, MessageButtons::Ok},
        {"A discarded levels cannot larger than total levels", "Error", MessageIcon::Error, MessageButtons::Ok},
        {"B subsample levels must be 0 or 1 and equal to C subsample levels", "Error", MessageIcon::Error,
         MessageButtons::Ok},
    };
    EXPECT_EQ(prompter.Messages(), expected);
}

TEST_F(MasterSetupFormTest, VectorTextsAreCutToTheEditLimit)
{
    form[QuantizeB] = std::string(254, ' ') + "79";
    const MasterSetupReading reading = ReadMasterSetupForm(form, prompter);
    ASSERT_TRUE(reading.values);
    EXPECT_EQ(reading.values->quantizeVectors[kComponentB], std::string(254, ' ') + "7");
    EXPECT_EQ(ToForm(*reading.values)[QuantizeB].size(), 255u);
}

} // namespace
} // namespace tamr
