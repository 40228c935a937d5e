#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "enhance/FilterList.h"
#include "enhance/FiltersSession.h"
#include "support/FilterTestImage.h"
#include "support/ScriptedPrompter.h"

namespace tamr {
namespace {

using test::FilterTestImage;

constexpr int kEdgeDetect = 2;
constexpr int kSmooth = 4;
constexpr int kDespeckle = 7;

// The eight neighbours of the centre sum to 400.
FilterTestImage GrayThreeByThree(int centre)
{
    FilterTestImage image(3, 3, 1);
    image.SetRows({{10, 20, 30}, {40, centre, 60}, {70, 80, 90}});
    return image;
}

std::vector<std::string> Texts(const FiltersSession& session)
{
    return {session.EditTexts().begin(), session.EditTexts().end()};
}

class FiltersSessionTest : public testing::Test {
protected:
    FiltersSession Open(FilterTestImage& image, bool colour = false)
    {
        std::optional<FiltersSession> session = FiltersSession::Open(image.View(), colour, prompter);
        EXPECT_TRUE(session.has_value());
        EXPECT_TRUE(prompter.Messages().empty());
        return std::move(*session);
    }

    ScriptedPrompter prompter;
};

TEST_F(FiltersSessionTest, OpensOnEdgeEnhanceWithItsDefaults)
{
    FilterTestImage image = GrayThreeByThree(50);
    const FiltersSession session = Open(image);
    EXPECT_EQ(session.Selection(), 0);
    EXPECT_EQ(Texts(session),
              (std::vector<std::string>{"-1", "-1", "-1", "-1", "10", "-1", "-1", "-1", "-1", "2", "X"}));
}

TEST_F(FiltersSessionTest, SelectingAnEntryReplacesWhatWasTyped)
{
    FilterTestImage image = GrayThreeByThree(50);
    FiltersSession session = Open(image);
    session.SetEditText(kEditK0, "77");
    session.Select(14);
    EXPECT_EQ(Texts(session), (std::vector<std::string>{"0", "X", "0", "X", "255", "X", "0", "X", "0", "X", "X"}));
    session.Select(kDespeckle);
    EXPECT_EQ(Texts(session), (std::vector<std::string>{"X", "X", "X", "X", "X", "X", "X", "X", "X", "X", "4"}));
}

TEST_F(FiltersSessionTest, EditedCentreIsUsedAndDefaultPutsTheTableValueBack)
{
    FilterTestImage image(3, 3, 1);
    image.Fill(100);
    FiltersSession session = Open(image);
    session.SetEditText(kEditK4, "12");
    session.Apply();
    EXPECT_EQ(image.Get(1, 1), 200); // (1200 - 800) / 2
    session.LoadDefaults();
    EXPECT_EQ(session.EditText(kEditK4), "10");
}

TEST_F(FiltersSessionTest, DivisorZeroOrXCountsAsOne)
{
    for (const char* divisor : {"0", "X", ""}) {
        FilterTestImage image = GrayThreeByThree(60);
        FiltersSession session = Open(image);
        session.Select(kEdgeDetect);
        session.SetEditText(kEditDivisor, divisor);
        session.Apply();
        EXPECT_EQ(image.Get(1, 1), 80) << divisor; // 480 - 400
    }
}

TEST_F(FiltersSessionTest, DespeckleIntensityTextsAreClamped)
{
    struct Case {
        const char* text;
        int centre;
    };
    // Window 10 ... 80 around a bright 200: rank 1 is 10, rank 9 is 200.
    for (const Case& c : {Case{"0", 10}, Case{"X", 10}, Case{"-3", 10}, Case{"12", 200}, Case{"4", 40}}) {
        FilterTestImage image(3, 3, 1);
        image.SetRows({{10, 20, 30}, {40, 200, 50}, {60, 70, 80}});
        FiltersSession session = Open(image);
        session.Select(kDespeckle);
        session.SetEditText(kEditIntensity, c.text);
        session.Apply();
        EXPECT_EQ(image.Get(1, 1), c.centre) << c.text;
    }
}

TEST_F(FiltersSessionTest, AppliesAccumulate)
{
    FilterTestImage image = GrayThreeByThree(200);
    FiltersSession session = Open(image);
    session.Select(kSmooth);
    session.Apply();
    EXPECT_EQ(image.Get(1, 1), 107); // (400 + 1000) / 13
    session.Apply();
    EXPECT_EQ(image.Get(1, 1), 71); // (400 + 535) / 13
    const FiltersClosed closed = session.Ok();
    EXPECT_EQ(closed.end, DialogEnd::Ok);
    EXPECT_EQ(closed.imageEdited, 1);
    EXPECT_TRUE(closed.imageChanged);
    EXPECT_EQ(image.Get(1, 1), 71);
}

TEST_F(FiltersSessionTest, CancelRestoresTheImageExactly)
{
    FilterTestImage image(5, 4, 3);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 5; ++c) {
            for (int b = 0; b < 3; ++b) {
                image.At(r, c, b) = static_cast<std::uint8_t>((r * 37 + c * 11 + b * 101) % 256);
            }
        }
    }
    const std::vector<std::uint8_t> start = image.bytes;
    FiltersSession session = Open(image, true);
    session.Select(kSmooth);
    session.Apply();
    session.Apply();
    session.Apply();
    ASSERT_NE(image.bytes, start);
    const FiltersClosed closed = session.Cancel();
    EXPECT_EQ(closed.end, DialogEnd::Cancel);
    EXPECT_EQ(closed.imageEdited, 1);
    EXPECT_TRUE(closed.imageChanged);
    EXPECT_EQ(image.bytes, start);

    // The dialog is gone: a late Apply changes nothing.
    session.Apply();
    EXPECT_EQ(image.bytes, start);
}

TEST_F(FiltersSessionTest, OkWithoutApplyStillMarksTheImageEdited)
{
    FilterTestImage image = GrayThreeByThree(50);
    const std::vector<std::uint8_t> start = image.bytes;
    FiltersSession session = Open(image);
    const FiltersClosed closed = session.Ok();
    EXPECT_EQ(closed.imageEdited, 1);
    EXPECT_TRUE(closed.imageChanged);
    EXPECT_EQ(image.bytes, start);
}

TEST_F(FiltersSessionTest, NoSelectionConvolvesWithWhatTheEditsHold)
{
    FilterTestImage image = GrayThreeByThree(50);
    FiltersSession session = Open(image);
    session.Select(FiltersSession::kNoSelection);
    EXPECT_EQ(session.Selection(), FiltersSession::kNoSelection);
    EXPECT_EQ(Texts(session), (std::vector<std::string>{"0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "X"}));
    session.SetEditText(kEditK6, "1");
    session.Apply();
    EXPECT_EQ(image.Get(1, 1), 70); // the next row's pixel at x - 1

    session.Select(16);
    EXPECT_EQ(session.Selection(), FiltersSession::kNoSelection);
    session.Apply();
    EXPECT_EQ(image.Get(1, 1), 0); // the all-zero kernel
}

TEST_F(FiltersSessionTest, NoMemoryForTheCopiesTellsTheUserAndChangesNothing)
{
    FilterTestImage image = GrayThreeByThree(50);
    const std::vector<std::uint8_t> start = image.bytes;
    const auto noMemory = [](std::size_t) -> std::optional<ByteBlock> { return std::nullopt; };
    const std::optional<FiltersSession> session = FiltersSession::Open(image.View(), false, prompter, noMemory);
    EXPECT_FALSE(session.has_value());
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0],
              (Message{"Not enough memory to filter image", "Error", MessageIcon::Error, MessageButtons::Ok}));
    EXPECT_EQ(image.bytes, start);
}

} // namespace
} // namespace tamr
