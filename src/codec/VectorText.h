#pragma once
// The text form of the settings vectors as the Master Setup dialog edits them:
// numbers separated by anything that is not a digit.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamr {

// Reads `count` entries left to right: non-digits are skipped, a run of digits
// is one decimal number (no sign). Once the text runs out, the remaining entries
// repeat the last number read, or are 0 when there was none. A number too large
// for 16 bits reads as 32767, so that range checks afterwards still see it as
// too large instead of a wrapped-around small value.
std::vector<std::int16_t> ParseVector(std::string_view text, int count);

// Each entry right-aligned in three columns, entries separated by commas:
// 4, 4, 0 gives "  4,  4,  0".
std::string FormatVector(std::span<const std::int16_t> entries);

} // namespace tamr
