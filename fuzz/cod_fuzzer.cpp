// Feeds arbitrary bytes to the COD reader and builds the picture of whatever
// it accepts, wavelet or lossless, as opening the file does.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "image/ImageCompression.h"

namespace {

// A COD header of a few bytes can describe a large flat picture, which decodes
// correctly but takes its time: the COD target keeps pictures to 2^14 pixels
// (every seed fits), so that a run explores instead of decoding big planes.
tamr::Limits CodFuzzLimits()
{
    tamr::Limits limits = FuzzLimits();
    limits.maxPixels = std::uint64_t{1} << 14;
    limits.maxPlaneSamples = std::uint64_t{1} << 14;
    limits.maxDecodedBytes = std::uint64_t{3} << 14;
    return limits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const tamr::CodecSettings settings;
    tamr::WaveletCodec codec(settings);
    if (!codec.ReadHeader(std::span(data, size), CodFuzzLimits()))
        return 0;
    tamr::CDibImage image;
    (void)tamr::DecodeCodImage(image, codec, tamr::DisplaySettings{});
    return 0;
}
