#pragma once
// Another codec's coding of a picture at the size tamr's coding has, as its
// registry row aims at a size; or a point of the rate-distortion sweep,
// decoded again from its file; each measured against the original.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/PictureMetrics.h"
#include "peers/PeerCodecs.h"

namespace tamr {

struct EqualSizeMatch {
    const PeerCodec* codec = &TamrCodec();
    int quality = 0; // the quality chosen; none for a codec given the size itself (-1)
    PeerPicture picture;
    PictureMetrics metrics; // of the decoded picture against the original
};

// `codec` is one of the peers; a failure of its library is in the match's picture.
EqualSizeMatch MatchPeerSize(ConstPixelView original, int bytesPerPixel, const PeerCodec& codec,
                             std::size_t targetBytes);

// A point of the sweep (its whole file, tamr's COD file or a peer's) decoded
// again by its codec and measured against the original. The quality of a
// codec aimed at tamr's sizes is tamr's, not its own, so its match has none.
EqualSizeMatch DecodeSweepPoint(ConstPixelView original, int bytesPerPixel, const PeerCodec& codec, int quality,
                                std::span<const std::uint8_t> coded);

} // namespace tamr
