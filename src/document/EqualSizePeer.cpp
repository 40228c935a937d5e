#include "document/EqualSizePeer.h"

#include <map>

#include "image/ImageCompression.h"
#include "image/peers/PeerJpeg.h"
#include "image/peers/PeerJpeg2000.h"
#include "image/peers/PeerWebp.h"

namespace tamr {
namespace {

void MeasureMatch(EqualSizeMatch& match, ConstPixelView original, int bytesPerPixel)
{
    if (!match.picture.Failed())
        match.metrics = MeasurePictures(
            original, {match.picture.decoded, original.width, original.height, original.rowPad}, bytesPerPixel);
}

// A COD file decoded as opening it decodes it, into the original's layout.
PeerPicture DecodeCod(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    WaveletCodec codec{CodecSettings{}};
    CDibImage image;
    if (!codec.ReadHeader(coded, Limits{}) || !DecodeCodImage(image, codec, DisplaySettings{}))
        return PeerFailure("tamr: the COD file cannot be decoded");
    if (image.Width() != like.width || image.Height() != like.height || image.RowPad() != like.rowPad ||
        image.BytesPerPixel() != bytesPerPixel)
        return PeerFailure("tamr: the COD file holds another picture");
    PeerPicture picture;
    picture.coded.assign(coded.begin(), coded.end());
    picture.decoded.assign(image.Pixels().begin(), image.Pixels().end());
    return picture;
}

} // namespace

std::optional<int> ClosestQuality(std::size_t targetBytes,
                                  const std::function<std::optional<std::size_t>(int quality)>& sizeAt)
{
    std::map<int, std::size_t> sizes;
    const auto size = [&](int quality) -> std::optional<std::size_t> {
        if (const auto known = sizes.find(quality); known != sizes.end())
            return known->second;
        const auto measured = sizeAt(quality);
        if (measured)
            sizes.emplace(quality, *measured);
        return measured;
    };
    // The first quality whose size reaches the target (100 when none does) ...
    int low = 0;
    int high = 100;
    while (low < high) {
        const int middle = (low + high) / 2;
        const auto middleSize = size(middle);
        if (!middleSize)
            return std::nullopt;
        if (*middleSize >= targetBytes)
            high = middle;
        else
            low = middle + 1;
    }
    // ... or the one below it, whichever is closer.
    const auto above = size(low);
    if (!above)
        return std::nullopt;
    if (low == 0)
        return low;
    const auto below = size(low - 1);
    if (!below)
        return std::nullopt;
    const auto distance = [targetBytes](std::size_t bytes) {
        return bytes > targetBytes ? bytes - targetBytes : targetBytes - bytes;
    };
    return distance(*below) <= distance(*above) ? low - 1 : low;
}

EqualSizeMatch MatchPeerSize(ConstPixelView original, int bytesPerPixel, SweepCodec codec, std::size_t targetBytes)
{
    EqualSizeMatch match;
    match.codec = codec;
    const auto code = [&](int quality) {
        return codec == SweepCodec::Webp ? CodeWebp(original, bytesPerPixel, quality)
                                         : CodeJpeg(original, bytesPerPixel, quality);
    };
    if (codec == SweepCodec::Jpeg2000) {
        match.quality = -1;
        match.picture = CodeJpeg2000(original, bytesPerPixel, targetBytes);
    } else if (codec == SweepCodec::Jpeg || codec == SweepCodec::Webp) {
        std::string failure;
        const auto quality = ClosestQuality(targetBytes, [&](int q) -> std::optional<std::size_t> {
            const PeerPicture picture = code(q);
            if (picture.Failed()) {
                failure = picture.failure;
                return std::nullopt;
            }
            return picture.coded.size();
        });
        match.quality = quality.value_or(0);
        match.picture = quality ? code(*quality) : PeerFailure(failure);
    } else {
        match.picture = PeerFailure("tamr is not a peer");
    }
    MeasureMatch(match, original, bytesPerPixel);
    return match;
}

EqualSizeMatch DecodeSweepPoint(ConstPixelView original, int bytesPerPixel, SweepCodec codec, int quality,
                                std::span<const std::uint8_t> coded)
{
    EqualSizeMatch match;
    match.codec = codec;
    match.quality = codec == SweepCodec::Jpeg2000 ? -1 : quality;
    switch (codec) {
    case SweepCodec::Tamr:
        match.picture = DecodeCod(coded, original, bytesPerPixel);
        break;
    case SweepCodec::Jpeg:
        match.picture = DecodeJpeg(coded, original, bytesPerPixel);
        break;
    case SweepCodec::Jpeg2000:
        match.picture = DecodeJpeg2000(coded, original, bytesPerPixel);
        break;
    case SweepCodec::Webp:
        match.picture = DecodeWebp(coded, original, bytesPerPixel);
        break;
    }
    MeasureMatch(match, original, bytesPerPixel);
    return match;
}

} // namespace tamr
