// The image's side of coding: its pixels into the codec's planes and back,
// and its lossless byte planes.

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>

#include "codec/DecodedRows.h"
#include "codec/WaveletCodec.h"
#include "image/ColourConversion.h"
#include "image/ComponentValues.h"
#include "image/DibImage.h"
#include "image/LosslessPlanes.h"
#include "platform/Clock.h"
#include "platform/DiscardPages.h"

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

ForwardRowSource CDibImage::RowsOfComponent(const WaveletCodec& codec, std::size_t index,
                                            const CodecComponent& component) const
{
    constexpr YiqComponent kComponents[] = {YiqComponent::Y, YiqComponent::I, YiqComponent::Q};
    std::optional<YiqComponent> yiq;
    if (isColour_ == 1) {
        if (index >= std::size(kComponents))
            return {};
        yiq = kComponents[index];
    }
    ComponentRows rows(ReferenceView(), CodecComponent::kSampleOffset, yiq, isColour_ == 1 && codec.ChromaSubsampled(),
                       static_cast<std::size_t>(component.Width()), static_cast<std::size_t>(component.Height()));
    if (!rows.Valid())
        return {};
    return [rows = std::move(rows)](int y, std::span<float> row) mutable {
        return y >= 0 && rows.Row(static_cast<std::size_t>(y), row);
    };
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

namespace {

// Rows of pixels converted at once; even, so that subsampled chroma rows split with them.
constexpr int kConvertBand = 64;

ConstPlaneView ViewOf(const DecodedStripe& stripe)
{
    return {stripe.samples, stripe.stride, stripe.rows};
}

} // namespace

void CDibImage::DiscardWorkingPixels()
{
    if (sharedPixels_) {
        // Its pixels are of no more use here: a block of its own, not a copy.
        DetachReference();
        pixelBlock_ = ByteBlock(workingBytes_);
        workingOffset_ = 0;
        sharedPixels_.reset();
    }
    DiscardPagesOf(Pixels());
}

void CDibImage::RestoreWorkingPixels()
{
    const auto reference = ReferencePixels();
    const auto working = Pixels();
    if (reference.size() == working.size())
        std::copy(reference.begin(), reference.end(), working.begin());
}

bool CDibImage::ConvertPlaneBands(WaveletCodec& codec, const std::function<PixelView(int row, int rows)>& bandAt,
                                  const std::function<bool(int row, const PixelView& band)>& converted)
{
    const std::int16_t offset = CodecComponent::kSampleOffset;
    const bool colour = isColour_ == 1;
    const bool subsampled = colour && codec.ChromaSubsampled();
    DecodedRows rowsA(codec.Component(kComponentA));
    std::optional<DecodedRows> rowsB;
    std::optional<DecodedRows> rowsC;
    if (colour) {
        rowsB.emplace(codec.Component(kComponentB));
        rowsC.emplace(codec.Component(kComponentC));
    }
    for (int row = 0; row < height_; row += kConvertBand) {
        const int rows = std::min(kConvertBand, height_ - row);
        const PixelView band = bandAt(row, rows);
        const int chromaRows = subsampled ? (row + rows + 1) / 2 - row / 2 : rows;
        const ConstPlaneView y = ViewOf(rowsA.Next(rows));
        bool done = false;
        if (colour) {
            const ConstYiqPlanes planes{y, ViewOf(rowsB->Next(chromaRows)), ViewOf(rowsC->Next(chromaRows))};
            done = subsampled ? YiqToRgbSubsampled(planes, offset, band) : YiqToRgbFull(planes, offset, band);
        } else {
            done = PlaneToGray(y, offset, band);
        }
        if (!done || !converted(row, band))
            return false;
    }
    return true;
}

bool CDibImage::ConvertAndDiscardPlanes(WaveletCodec& codec, const DisplaySettings& display, DecodedPicture into)
{
    const TimeStamp start = Now();
    const int bytesPerPixel = BytesPerPixel();
    // A new block only grows as bands are converted, so that no page of it
    // is touched before its rows are written.
    const bool newBlock = into == DecodedPicture::NewBlock;
    ByteBlock block;
    if (newBlock) {
        try {
            block.reserve(workingBytes_);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    const PixelView pixels =
        newBlock ? PixelView{std::span(block.data(), workingBytes_), width_, height_, rowPad_} : WorkingView();
    const std::size_t rowBytes = RowBytes(pixels, bytesPerPixel);
    if (!HoldsAllRows(pixels, bytesPerPixel))
        return false;
    const auto bandAt = [&](int row, int rows) {
        if (newBlock)
            block.resize(std::min(workingBytes_, static_cast<std::size_t>(row + rows) * rowBytes));
        return PixelView{
            pixels.bytes.subspan(static_cast<std::size_t>(row) * rowBytes, static_cast<std::size_t>(rows) * rowBytes),
            width_, rows, rowPad_};
    };
    const bool converted = ConvertPlaneBands(codec, bandAt, [](int, const PixelView&) { return true; });
    // The row padding comes back from the picture as loaded, as a copy would have it.
    const auto reference = ReferencePixels();
    if (converted && rowPad_ > 0 && reference.size() == pixels.bytes.size()) {
        const std::size_t rowStart = static_cast<std::size_t>(width_) * static_cast<std::size_t>(bytesPerPixel);
        for (int y = 0; y < height_; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * rowBytes + rowStart;
            std::copy_n(reference.begin() + static_cast<std::ptrdiff_t>(at), rowPad_,
                        pixels.bytes.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    if (converted && newBlock) {
        block.resize(workingBytes_);
        if (referenceIsWorking_) {
            // The picture as loaded becomes the reference image where it lies.
            reference_ = sharedPixels_ ? sharedPixels_ : std::make_shared<const ByteBlock>(std::move(pixelBlock_));
            referenceOffset_ = workingOffset_;
            referenceIsWorking_ = false;
        }
        pixelBlock_ = std::move(block);
        workingOffset_ = 0;
        sharedPixels_.reset();
    }
    convertSeconds_ = ElapsedSeconds(start, Now());
    if (converted)
        BuildDisplayIndexImage(display);
    return converted;
}

std::optional<QualityFigures> CDibImage::MeasureAndDiscardPlanes(WaveletCodec& codec)
{
    const TimeStamp start = Now();
    const int bytesPerPixel = BytesPerPixel();
    const ConstPixelView reference = ReferenceView();
    if (!HoldsAllRows(reference, bytesPerPixel))
        return std::nullopt;
    const std::size_t rowBytes = RowBytes(reference, bytesPerPixel);
    ByteBlock band(static_cast<std::size_t>(std::min(kConvertBand, static_cast<int>(height_))) * rowBytes);
    DifferenceSums sums(bytesPerPixel);
    const auto bandAt = [&](int, int rows) {
        return PixelView{std::span(band.data(), static_cast<std::size_t>(rows) * rowBytes), width_, rows, rowPad_};
    };
    const auto measure = [&](int row, const PixelView& decoded) {
        const ConstPixelView original{reference.bytes.subspan(static_cast<std::size_t>(row) * rowBytes,
                                                              static_cast<std::size_t>(decoded.height) * rowBytes),
                                      width_, decoded.height, rowPad_};
        return sums.Add(original, decoded);
    };
    const bool measured = ConvertPlaneBands(codec, bandAt, measure);
    convertSeconds_ = ElapsedSeconds(start, Now());
    return measured ? std::optional(sums.Figures()) : std::nullopt;
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
