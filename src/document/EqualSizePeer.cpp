#include "document/EqualSizePeer.h"

#include <string>

#include "peers/PeerSizeAim.h"

namespace tamr {
namespace {

void MeasureMatch(EqualSizeMatch& match, ConstPixelView original, int bytesPerPixel)
{
    if (!match.picture.Failed())
        match.metrics = MeasurePictures(
            original, {match.picture.decoded, original.width, original.height, original.rowPad}, bytesPerPixel);
}

} // namespace

EqualSizeMatch MatchPeerSize(ConstPixelView original, int bytesPerPixel, const PeerCodec& codec,
                             std::size_t targetBytes)
{
    EqualSizeMatch match;
    match.codec = &codec;
    PeerAtSize coded = CodeAtSize(codec, original, bytesPerPixel, targetBytes);
    match.quality = coded.quality;
    match.picture = std::move(coded.picture);
    MeasureMatch(match, original, bytesPerPixel);
    return match;
}

EqualSizeMatch DecodeSweepPoint(ConstPixelView original, int bytesPerPixel, const PeerCodec& codec, int quality,
                                std::span<const std::uint8_t> coded)
{
    EqualSizeMatch match;
    match.codec = &codec;
    match.quality = codec.aim == SizeAim::Bytes ? -1 : quality;
    match.picture = codec.decode != nullptr ? codec.decode(coded, original, bytesPerPixel)
                                            : PeerFailure(std::string(codec.label) + " is not in this build");
    MeasureMatch(match, original, bytesPerPixel);
    return match;
}

} // namespace tamr
