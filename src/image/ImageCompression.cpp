#include "image/ImageCompression.h"

#include "platform/Clock.h"

namespace tamr {
namespace {

bool AllocateFor(CDibImage& image, const WaveletCodec& codec, const DisplaySettings& display)
{
    if (!image.AllocateForCodData(static_cast<std::uint16_t>(codec.Width()), static_cast<std::uint16_t>(codec.Height()),
                                  static_cast<std::uint16_t>(codec.BitsPerPixel()), codec.IsColour(),
                                  display.paletteDisplay))
        return false;
    if (display.paletteDisplay)
        image.SetDefaultPalette();
    return true;
}

} // namespace

std::optional<CompressionTimes> CompressImage(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings,
                                              const DisplaySettings& display,
                                              const WaveletCodec::LevelCallback& onLevel)
{
    const TimeStamp t0 = Now();
    if (!codec.PrepareEncode(settings))
        return std::nullopt;
    TimeStamp t1;
    if (settings.qualityFactor == 100) {
        if (!image.EncodeLosslessPlanes(codec))
            return std::nullopt;
        t1 = Now();
        if (!image.DecodeLosslessPlanes(codec))
            return std::nullopt;
        image.BuildDisplayIndexImage(display);
    } else {
        if (!image.ConvertToPlanes(codec) || !codec.EncodeAll())
            return std::nullopt;
        t1 = Now();
        const bool decoded = codec.DecodeAll(onLevel) && image.ConvertDecodedPlanes(codec, display);
        codec.ReleasePlanes();
        if (!decoded)
            return std::nullopt;
    }
    const TimeStamp t2 = Now();
    return CompressionTimes{ElapsedSeconds(t0, t1), ElapsedSeconds(t1, t2)};
}

bool DecodeCodImage(CDibImage& image, WaveletCodec& codec, const DisplaySettings& display,
                    const WaveletCodec::LevelCallback& onLevel)
{
    if (codec.Method() == CodingMethod::Lossless) {
        if (!AllocateFor(image, codec, display))
            return false;
        (void)image.DecodeLosslessPlanes(codec);
        image.BuildDisplayIndexImage(display);
        return true;
    }
    const bool decoded =
        codec.DecodeAll(onLevel) && AllocateFor(image, codec, display) && image.ConvertDecodedPlanes(codec, display);
    codec.ReleasePlanes();
    return decoded;
}

} // namespace tamr
