#pragma once
// The scroll events of a horizontal scroll bar and the position each one
// moves the bar to, shared by every dialog with a scroll bar.

#include <optional>

namespace tamr {

// The scroll codes a horizontal scroll bar reports, with their platform values.
enum class ScrollCode {
    SB_LINELEFT = 0,
    SB_LINERIGHT = 1,
    SB_PAGELEFT = 2,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_LEFT = 6,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};

// The steps of the dialogs' percent and quality bars.
inline constexpr int kScrollLineStep = 1;
inline constexpr int kScrollPageStep = 5;

// Where a bar at `position` in minimum … maximum goes for one event: a line
// step unless already at that end, a page step clamped to the range, the thumb
// position while the thumb is dragged (kept inside the range). Nothing for a
// line step at the end and for every other code, which leave the bar alone.
std::optional<int> ScrollTarget(ScrollCode code, int position, int minimum, int maximum, int thumbPosition);

} // namespace tamr
