#pragma once
// Another codec's coding of a picture at the size tamr's coding has: JPEG and
// WebP at the quality whose file size comes closest (bisection over quality,
// their sizes growing with it), JPEG 2000 at that size directly. Or a point
// of the rate-distortion sweep, decoded again from its file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "document/RateDistortionSweep.h"
#include "image/peers/PeerPicture.h"

namespace tamr {

// The quality 0 to 100 whose size is closest to `targetBytes`, for sizes that
// grow with the quality; of two equally close the smaller file. Nothing when
// a size cannot be had (`sizeAt` gives nothing).
std::optional<int> ClosestQuality(std::size_t targetBytes,
                                  const std::function<std::optional<std::size_t>(int quality)>& sizeAt);

struct EqualSizeMatch {
    SweepCodec codec = SweepCodec::Jpeg;
    int quality = 0; // the quality chosen; none for JPEG 2000 (-1)
    PeerPicture picture;
    PictureMetrics metrics; // of the decoded picture against the original
};

// `codec` is one of the peers; a failure of its library is in the match's picture.
EqualSizeMatch MatchPeerSize(ConstPixelView original, int bytesPerPixel, SweepCodec codec, std::size_t targetBytes);

// A point of the sweep (its whole file, tamr's COD file or a peer's) decoded
// again by its codec and measured against the original. JPEG 2000's quality
// is tamr's, not its own, so its match has none.
EqualSizeMatch DecodeSweepPoint(ConstPixelView original, int bytesPerPixel, SweepCodec codec, int quality,
                                std::span<const std::uint8_t> coded);

} // namespace tamr
