#include "peers/PeerTamrOptimised.h"

#include "image/OptimisedCompression.h"
#include "image/PlainBmp.h"
#include "platform/SilentPrompter.h"

namespace tamr {

PeerPicture CodeTamrOptimised(ConstPixelView picture, int bytesPerPixel, std::size_t targetBytes)
{
    if (!CodablePicture(picture, bytesPerPixel))
        return PeerFailure("tamr-opt: the picture cannot be coded");
    CDibImage image;
    SilentPrompter prompter;
    if (!image.ReadBmp(PlainBmpFile(picture, bytesPerPixel), prompter, DisplaySettings{}, Limits{}))
        return PeerFailure("tamr-opt: the picture cannot be coded");
    CodecSettings base;
    base.threads = 1; // the sweep runs its points in parallel
    WaveletCodec codec(base, image.Width(), image.Height(), image.BitsPerPixel(), image.IsColour() == 1);
    const OptimisedCompression result = CompressOptimised(
        image, codec, base, SearchGoal{.bytes = targetBytes, .figure = std::nullopt, .measure = SearchFigure::Psnr},
        DisplaySettings{});
    if (result.search.failure == SearchFailure::Unreachable)
        return PeerFailure("tamr-opt: " + std::string(kOptimiseUnreachable));
    if (result.search.Failed() || !result.compressed)
        return PeerFailure("tamr-opt: " + std::string(kOptimiseCodingFailed));
    PeerPicture coded;
    coded.coded = codec.WriteHeader();
    const ConstPixelView decoded = image.WorkingView();
    coded.decoded.assign(decoded.bytes.begin(), decoded.bytes.end());
    coded.encodeSeconds = result.searchSeconds;
    coded.decodeSeconds = result.times.decompressSeconds;
    return coded;
}

std::string DescribeTamrOptimised()
{
    return "settings searched for the best PSNR at the size";
}

} // namespace tamr
