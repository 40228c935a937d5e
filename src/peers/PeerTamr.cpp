#include "peers/PeerTamr.h"

#include "image/ImageCompression.h"

namespace tamr {

PeerPicture DecodeTamr(std::span<const std::uint8_t> coded, ConstPixelView like, int bytesPerPixel)
{
    WaveletCodec codec{CodecSettings{}};
    CDibImage image;
    const auto start = std::chrono::steady_clock::now();
    if (!codec.ReadHeader(coded, Limits{}) || !DecodeCodImage(image, codec, DisplaySettings{}))
        return PeerFailure("tamr: the COD file cannot be decoded");
    const double decodeSeconds = SecondsSince(start);
    if (image.Width() != like.width || image.Height() != like.height || image.RowPad() != like.rowPad ||
        image.BytesPerPixel() != bytesPerPixel)
        return PeerFailure("tamr: the COD file holds another picture");
    PeerPicture picture;
    picture.coded.assign(coded.begin(), coded.end());
    picture.decoded.assign(image.Pixels().begin(), image.Pixels().end());
    picture.decodeSeconds = decodeSeconds;
    return picture;
}

} // namespace tamr
