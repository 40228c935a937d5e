// Where a dialog's scroll bar goes for each scroll event.

#include <gtest/gtest.h>

#include "platform/ScrollCode.h"

namespace tamr {
namespace {

using enum ScrollCode;

TEST(ScrollCodeTest, LineStepsStopAtTheEnds)
{
    EXPECT_EQ(ScrollTarget(SB_LINELEFT, 50, 0, 100, 0), 49);
    EXPECT_EQ(ScrollTarget(SB_LINERIGHT, 50, 0, 100, 0), 51);
    EXPECT_EQ(ScrollTarget(SB_LINELEFT, 0, 0, 100, 0), std::nullopt);
    EXPECT_EQ(ScrollTarget(SB_LINERIGHT, 100, 0, 100, 0), std::nullopt);
    EXPECT_EQ(ScrollTarget(SB_LINERIGHT, 99, 0, 100, 0), 100);
}

TEST(ScrollCodeTest, PageStepsAreClampedToTheRange)
{
    EXPECT_EQ(ScrollTarget(SB_PAGERIGHT, 50, 0, 100, 0), 55);
    EXPECT_EQ(ScrollTarget(SB_PAGERIGHT, 98, 0, 100, 0), 100);
    EXPECT_EQ(ScrollTarget(SB_PAGERIGHT, 100, 0, 100, 0), 100);
    EXPECT_EQ(ScrollTarget(SB_PAGELEFT, 50, 0, 100, 0), 45);
    EXPECT_EQ(ScrollTarget(SB_PAGELEFT, 3, 0, 100, 0), 0);
}

TEST(ScrollCodeTest, ThumbTrackingTakesTheThumbInsideTheRange)
{
    EXPECT_EQ(ScrollTarget(SB_THUMBTRACK, 50, 0, 100, 37), 37);
    EXPECT_EQ(ScrollTarget(SB_THUMBTRACK, 50, 0, 100, 140), 100);
    EXPECT_EQ(ScrollTarget(SB_THUMBTRACK, 50, 0, 100, -3), 0);
    // A bar nobody set up has the empty range 0 … 0.
    EXPECT_EQ(ScrollTarget(SB_THUMBTRACK, 0, 0, 0, 9), 0);
}

TEST(ScrollCodeTest, OtherCodesLeaveTheBarAlone)
{
    for (const ScrollCode code : {SB_THUMBPOSITION, SB_LEFT, SB_RIGHT, SB_ENDSCROLL}) {
        EXPECT_EQ(ScrollTarget(code, 50, 0, 100, 80), std::nullopt) << static_cast<int>(code);
    }
}

} // namespace
} // namespace tamr
