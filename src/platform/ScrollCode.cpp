#include "platform/ScrollCode.h"

#include <algorithm>

namespace tamr {

std::optional<int> ScrollTarget(ScrollCode code, int position, int minimum, int maximum, int thumbPosition)
{
    switch (code) {
    case ScrollCode::SB_LINELEFT:
        if (position <= minimum) {
            return std::nullopt;
        }
        return position - kScrollLineStep;
    case ScrollCode::SB_LINERIGHT:
        if (position >= maximum) {
            return std::nullopt;
        }
        return position + kScrollLineStep;
    case ScrollCode::SB_PAGELEFT:
        return std::max(minimum, position - kScrollPageStep);
    case ScrollCode::SB_PAGERIGHT:
        return std::min(maximum, position + kScrollPageStep);
    case ScrollCode::SB_THUMBTRACK:
        // A real thumb never leaves the range; a bar's position cannot either.
        return std::clamp(thumbPosition, minimum, std::max(minimum, maximum));
    default:
        return std::nullopt;
    }
}

} // namespace tamr
