#pragma once
// Turning a picture upright as an Exif orientation (1 to 8) says it is stored.

#include <optional>

#include "image/PackedBlockView.h"
#include "platform/ByteBlock.h"

namespace tamr {

// True for the orientations 5 to 8, which exchange width and height.
constexpr bool OrientationTransposes(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// A new block holding the picture of `stored` shown upright: the same header
// and colour table, the rows rearranged. Nothing when there is no memory for it.
std::optional<ByteBlock> TurnUpright(PackedBlockView& stored, int orientation);

} // namespace tamr
