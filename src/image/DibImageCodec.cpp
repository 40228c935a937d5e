// The image's side of coding: its pixels into the codec's planes and back,
// and its lossless byte planes.

#include <algorithm>

#include "codec/WaveletCodec.h"
#include "image/ColourConversion.h"
#include "image/DibImage.h"
#include "image/LosslessPlanes.h"
#include "platform/Clock.h"

namespace tamr {

namespace {

PlaneView PlaneOf(CodecComponent& component)
{
    return {component.Plane(), static_cast<std::size_t>(component.Width()),
            static_cast<std::size_t>(component.Height())};
}

ConstPlaneView PlaneOf(const CodecComponent& component)
{
    return {component.Plane(), static_cast<std::size_t>(component.Width()),
            static_cast<std::size_t>(component.Height())};
}

} // namespace

PixelView CDibImage::WorkingView()
{
    return {Pixels(), width_, height_, rowPad_};
}

ConstPixelView CDibImage::WorkingView() const
{
    return {Pixels(), width_, height_, rowPad_};
}

ConstPixelView CDibImage::ReferenceView() const
{
    return {ReferencePixels(), width_, height_, rowPad_};
}

bool CDibImage::ConvertToPlanes(WaveletCodec& codec) const
{
    const std::int16_t offset = CodecComponent::kSampleOffset;
    if (isColour_ != 1)
        return GrayToPlane(ReferenceView(), offset, PlaneOf(codec.Component(kComponentA)));
    const YiqPlanes planes{PlaneOf(codec.Component(kComponentA)), PlaneOf(codec.Component(kComponentB)),
                           PlaneOf(codec.Component(kComponentC))};
    return codec.ChromaSubsampled() ? RgbToYiqSubsampled(ReferenceView(), offset, planes)
                                    : RgbToYiqFull(ReferenceView(), offset, planes);
}

bool CDibImage::ConvertDecodedPlanes(const WaveletCodec& codec, const DisplaySettings& display)
{
    const std::int16_t offset = CodecComponent::kSampleOffset;
    const TimeStamp start = Now();
    bool converted = false;
    if (isColour_ == 1) {
        const ConstYiqPlanes planes{PlaneOf(codec.Component(kComponentA)), PlaneOf(codec.Component(kComponentB)),
                                    PlaneOf(codec.Component(kComponentC))};
        converted = codec.ChromaSubsampled() ? YiqToRgbSubsampled(planes, offset, WorkingView())
                                             : YiqToRgbFull(planes, offset, WorkingView());
    } else {
        converted = PlaneToGray(PlaneOf(codec.Component(kComponentA)), offset, WorkingView());
    }
    convertSeconds_ = ElapsedSeconds(start, Now());
    if (converted)
        BuildDisplayIndexImage(display);
    return converted;
}

bool CDibImage::ConvertLevelPlanes(const WaveletCodec& codec, int shift, const DisplaySettings& display)
{
    const std::int16_t offset = CodecComponent::kSampleOffset;
    if (isColour_ != 1)
        return LevelPlaneToGray(shift, PlaneOf(codec.Component(kComponentA)), offset, WorkingView());
    // Chroma coded at half resolution has one level less to come back up, and
    // so one factor of 2 less of gain to divide out.
    auto chromaShift = [&](std::size_t component) {
        return std::max(0, shift - codec.Component(component).SampleLevels());
    };
    const ConstYiqPlanes planes{PlaneOf(codec.Component(kComponentA)), PlaneOf(codec.Component(kComponentB)),
                                PlaneOf(codec.Component(kComponentC))};
    const LevelShifts shifts{shift, chromaShift(kComponentB), chromaShift(kComponentC)};
    if (!LevelYiqToRgb(shifts, planes, offset, WorkingView()))
        return false;
    if (display.paletteDisplay)
        (void)BuildIndexImage(display);
    return true;
}

bool CDibImage::EncodeLosslessPlanes(WaveletCodec& codec)
{
    const auto written =
        tamr::EncodeLosslessPlanes(planeCoder_, ReferenceView(), isColour_ == 1, codec.DataBuffer(), codec.Threads());
    if (!written)
        return false;
    codec.SetLosslessData(*written);
    return true;
}

bool CDibImage::DecodeLosslessPlanes(const WaveletCodec& codec)
{
    return tamr::DecodeLosslessPlanes(planeCoder_, codec.CodedData(), isColour_ == 1, WorkingView()).has_value();
}

} // namespace tamr
