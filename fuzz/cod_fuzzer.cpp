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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const tamr::CodecSettings settings;
    tamr::WaveletCodec codec(settings);
    if (!codec.ReadHeader(std::span(data, size), FuzzLimits()))
        return 0;
    tamr::CDibImage image;
    (void)tamr::DecodeCodImage(image, codec, tamr::DisplaySettings{});
    return 0;
}
