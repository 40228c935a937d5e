#include "image/ImageCompression.h"

#include "platform/Clock.h"

namespace tamr {
namespace {

// A progressive display looks at the planes level by level, so only a
// decode without one leaves the finest level to the conversion's stripes.
FinestLevel FinestLevelFor(const WaveletCodec::LevelCallback& onLevel)
{
    return onLevel ? FinestLevel::Reconstructed : FinestLevel::InRows;
}

Status AllocateFor(CDibImage& image, const WaveletCodec& codec, const DisplaySettings& display,
                   bool workingLater = false)
{
    if (const Status allocated = image.AllocateForCodData(
            static_cast<std::uint16_t>(codec.Width()), static_cast<std::uint16_t>(codec.Height()),
            static_cast<std::uint16_t>(codec.BitsPerPixel()), codec.IsColour(), Limits(), display.paletteDisplay,
            workingLater);
        !allocated)
        return allocated;
    if (display.paletteDisplay)
        image.SetDefaultPalette();
    return {};
}

} // namespace

namespace {

// Codes the reference pixels; the lossless byte planes are written straight
// into the codec's data buffer, each wavelet component's plane is filled
// only when its turn comes.
Status EncodeReference(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings)
{
    if (const Status prepared = codec.PrepareEncode(settings, PlaneAllocation::OnDemand); !prepared)
        return prepared;
    if (settings.qualityFactor == 100)
        return image.EncodeLosslessPlanes(codec) ? Status{} : Status{FailureKind::OutOfMemory};
    const auto fill = [&](std::size_t index, const CodecComponent& component) {
        return image.RowsOfComponent(codec, index, component);
    };
    return codec.EncodeAll(fill);
}

} // namespace

Result<float> EncodeImage(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings)
{
    const TimeStamp t0 = Now();
    if (const Status encoded = EncodeReference(image, codec, settings); !encoded)
        return encoded;
    return ElapsedSeconds(t0, Now());
}

Result<CompressionTimes> CompressImage(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings,
                                       const DisplaySettings& display, const WaveletCodec::LevelCallback& onLevel)
{
    const TimeStamp t0 = Now();
    if (const Status encoded = EncodeReference(image, codec, settings); !encoded)
        return encoded;
    const TimeStamp t1 = Now();
    if (settings.qualityFactor == 100) {
        if (!image.DecodeLosslessPlanes(codec))
            return FailureKind::Corrupt;
        image.BuildDisplayIndexImage(display);
    } else {
        // The decoded picture replaces the working image. While that is still
        // the picture as loaded, it goes into a new block, which takes the
        // working image's place once it is whole; but a progressive display
        // draws each level over the working image, whose pages are then given
        // back first and the picture copied back should decoding fail. An
        // edited working image is kept until it is overwritten.
        const bool asLoaded = image.ReferenceIsWorking();
        const bool intoNewBlock = asLoaded && !onLevel;
        if (asLoaded && onLevel)
            image.DiscardWorkingPixels();
        Status decoded = codec.DecodeAll(onLevel, FinestLevelFor(onLevel));
        if (decoded && !image.ConvertAndDiscardPlanes(
                           codec, display, intoNewBlock ? DecodedPicture::NewBlock : DecodedPicture::OverWorking))
            decoded = FailureKind::Corrupt;
        codec.ReleasePlanes();
        if (!decoded) {
            if (asLoaded && onLevel)
                image.RestoreWorkingPixels();
            return decoded;
        }
    }
    const TimeStamp t2 = Now();
    return CompressionTimes{ElapsedSeconds(t0, t1), ElapsedSeconds(t1, t2)};
}

Result<MeasuredCompression> CompressAndMeasure(CDibImage& image, WaveletCodec& codec, const CodecSettings& settings,
                                               const DisplaySettings& display)
{
    if (settings.qualityFactor == 100) {
        const Result<CompressionTimes> times = CompressImage(image, codec, settings, display);
        if (!times)
            return times.AsStatus();
        return MeasuredCompression{*times, image.MeasureQuality()};
    }
    const TimeStamp t0 = Now();
    if (const Status encoded = EncodeReference(image, codec, settings); !encoded)
        return encoded;
    const TimeStamp t1 = Now();
    Status decoded = codec.DecodeAll({}, FinestLevel::InRows);
    std::optional<QualityFigures> figures;
    if (decoded && !(figures = image.MeasureAndDiscardPlanes(codec)))
        decoded = FailureKind::Corrupt;
    codec.ReleasePlanes();
    if (!decoded)
        return decoded;
    const TimeStamp t2 = Now();
    return MeasuredCompression{{ElapsedSeconds(t0, t1), ElapsedSeconds(t1, t2)}, *figures};
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
    // The picture grows as the rows are converted, while the planes shrink,
    // so that the two are never held whole together. A progressive display
    // draws each level into a picture made first, its pages given back until
    // the converted rows fill them.
    Status decoded = AllocateFor(image, codec, display, !onLevel);
    if (decoded) {
        if (onLevel)
            image.DiscardWorkingPixels();
        decoded = codec.DecodeAll(onLevel, FinestLevelFor(onLevel));
    }
    if (decoded && !image.ConvertAndDiscardPlanes(codec, display,
                                                  onLevel ? DecodedPicture::OverWorking : DecodedPicture::NewBlock))
        decoded = FailureKind::Corrupt;
    codec.ReleasePlanes();
    return decoded;
}

} // namespace tamr
