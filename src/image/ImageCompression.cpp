#include "image/ImageCompression.h"

#include "platform/Clock.h"

namespace tamr {
namespace {

Status AllocateFor(CDibImage& image, const WaveletCodec& codec, const DisplaySettings& display)
{
    if (const Status allocated = image.AllocateForCodData(
            static_cast<std::uint16_t>(codec.Width()), static_cast<std::uint16_t>(codec.Height()),
            static_cast<std::uint16_t>(codec.BitsPerPixel()), codec.IsColour(), Limits(), display.paletteDisplay);
        !allocated)
        return allocated;
    if (display.paletteDisplay)
        image.SetDefaultPalette();
    return {};
}

} // namespace

Result<CompressionTimes> CompressImage(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings,
                                       const DisplaySettings& display, const WaveletCodec::LevelCallback& onLevel)
{
    const TimeStamp t0 = Now();
    if (const Status prepared = codec.PrepareEncode(settings); !prepared)
        return prepared;
    TimeStamp t1;
    if (settings.qualityFactor == 100) {
        if (!image.EncodeLosslessPlanes(codec))
            return FailureKind::OutOfMemory;
        t1 = Now();
        if (!image.DecodeLosslessPlanes(codec))
            return FailureKind::Corrupt;
        image.BuildDisplayIndexImage(display);
    } else {
        if (!image.ConvertToPlanes(codec))
            return FailureKind::Corrupt;
        if (const Status encoded = codec.EncodeAll(); !encoded)
            return encoded;
        t1 = Now();
        Status decoded = codec.DecodeAll(onLevel);
        if (decoded && !image.ConvertDecodedPlanes(codec, display))
            decoded = FailureKind::Corrupt;
        codec.ReleasePlanes();
        if (!decoded)
            return decoded;
    }
    const TimeStamp t2 = Now();
    return CompressionTimes{ElapsedSeconds(t0, t1), ElapsedSeconds(t1, t2)};
}

Status DecodeCodImage(CDibImage& image, WaveletCodec& codec, const DisplaySettings& display,
                      const WaveletCodec::LevelCallback& onLevel)
{
    if (codec.Method() == CodingMethod::Lossless) {
        if (const Status allocated = AllocateFor(image, codec, display); !allocated)
            return allocated;
        (void)image.DecodeLosslessPlanes(codec);
        image.BuildDisplayIndexImage(display);
        return {};
    }
    Status decoded = codec.DecodeAll(onLevel);
    if (decoded)
        decoded = AllocateFor(image, codec, display);
    if (decoded && !image.ConvertDecodedPlanes(codec, display))
        decoded = FailureKind::Corrupt;
    codec.ReleasePlanes();
    return decoded;
}

} // namespace tamr
