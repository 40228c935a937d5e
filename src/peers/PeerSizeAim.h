#pragma once
// A peer's coding at the size a tamr file has, by the way its row aims:
// at the quality whose size comes closest (bisection over quality, the sizes
// growing with it), or at the size itself.

#include <cstddef>
#include <functional>
#include <optional>

#include "peers/PeerCodecs.h"

namespace tamr {

// The quality 0 to 100 whose size is closest to `targetBytes`, for sizes that
// grow with the quality; of two equally close the smaller file. Nothing when
// a size cannot be had (`sizeAt` gives nothing).
std::optional<int> ClosestQuality(std::size_t targetBytes,
                                  const std::function<std::optional<std::size_t>(int quality)>& sizeAt);

struct PeerAtSize {
    PeerPicture picture; // a failure of the codec's library is its failure
    int quality = -1;    // the quality chosen; -1 for a codec given the size itself
};

// `codec` is an available peer; tamr's own row and a row left out of the build fail.
PeerAtSize CodeAtSize(const PeerCodec& codec, ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes);

} // namespace tamr
