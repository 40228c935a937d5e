// How a dialog's integer field reads its text.

#include <gtest/gtest.h>

#include "platform/DialogInteger.h"

namespace tamr {
namespace {

TEST(DialogIntegerTest, SignedDecimalWithBlanksAround)
{
    EXPECT_EQ(ParseDialogInteger("5"), 5);
    EXPECT_EQ(ParseDialogInteger("  -12 "), -12);
    EXPECT_EQ(ParseDialogInteger("+7"), 7);
    EXPECT_EQ(ParseDialogInteger("007"), 7);
    EXPECT_EQ(ParseDialogInteger("\t2147483647"), 2147483647);
    EXPECT_EQ(ParseDialogInteger("-2147483648"), -2147483647 - 1);
}

TEST(DialogIntegerTest, EverythingElseIsRefused)
{
    for (const char* text : {"", "   ", "5a", "a5", "1 2", "+", "-", "+-3", "--3", "3.0", "0x10", "2147483648",
                             "-2147483649", "99999999999999999999"}) {
        EXPECT_EQ(ParseDialogInteger(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(DialogIntegerTest, RefusalIsAWarningUnderTheApplicationTitle)
{
    EXPECT_EQ(DialogIntegerRefusal(),
              (Message{"Please enter an integer.", "", MessageIcon::Warning, MessageButtons::Ok}));
}

} // namespace
} // namespace tamr
