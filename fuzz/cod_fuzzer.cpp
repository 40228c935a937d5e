// Feeds arbitrary bytes to the COD reader and decodes whatever it accepts.

#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzLimits.h"
#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const tamr::CodecSettings settings;
    tamr::WaveletCodec codec(settings);
    if (!codec.ReadHeader(std::span(data, size), FuzzLimits()))
        return 0;
    if (codec.Method() == tamr::CodingMethod::Wavelet)
        (void)codec.DecodeAll();
    return 0;
}
