#pragma once
// The integer fields of a dialog: how their text is read when the dialog's
// values are taken, and what the user is told when a text is not an integer.

#include <optional>
#include <string_view>

#include "platform/Prompter.h"

namespace tamr {

// Shown with the warning icon and the application's title; the field then
// gets the focus with its text selected.
inline constexpr std::string_view kDialogIntegerMessage = "Please enter an integer.";

// A decimal integer with an optional sign, blanks allowed before and after;
// nothing for an empty text, any other character or a value outside int.
std::optional<int> ParseDialogInteger(std::string_view text);

// The box that refuses a field's text.
Message DialogIntegerRefusal();

} // namespace tamr
