#include "image/ComponentValues.h"

#include <algorithm>

#include "platform/VectorClones.h"

namespace tamr {
namespace {

// Pixel rows converted at once; even, so that 2x2 chroma blocks never straddle two bands.
constexpr std::size_t kBandRows = 16;

// Every 16-bit sample is a float exactly; a plain loop, so that it runs on
// vector registers (a converting copy does not).
TAMR_VECTOR_CLONES void WidenRow(const std::int16_t* in, std::size_t count, float* out)
{
    for (std::size_t x = 0; x < count; ++x)
        out[x] = static_cast<float>(in[x]);
}

} // namespace

ComponentRows::ComponentRows(ConstPixelView pixels, std::int16_t offset, std::optional<YiqComponent> component,
                             bool subsampledChroma, std::size_t stride, std::size_t rows)
    : pixels_(pixels), offset_(offset), component_(component), subsampledChroma_(subsampledChroma), stride_(stride),
      rows_(rows)
{
    const bool colour = component.has_value();
    if (!HoldsAllRows(pixels, colour ? 3 : 1))
        return;
    const bool halved = colour && subsampledChroma && *component != YiqComponent::Y;
    const auto half = [](int size) { return (static_cast<std::size_t>(size) + 1) / 2; };
    const std::size_t columns = halved ? half(pixels.width) : static_cast<std::size_t>(pixels.width);
    pictureRows_ = halved ? half(pixels.height) : static_cast<std::size_t>(pixels.height);
    if (stride < columns || rows < pictureRows_)
        return;
    if (columns == 0)
        pictureRows_ = 0; // nothing to convert: the plane is zeros
    planeRowsPerBand_ = halved ? kBandRows / 2 : kBandRows;
    // A colour row is written whole, its padding repeating its last sample; a
    // gray row only over the picture, its padding left as zeros.
    writtenColumns_ = colour ? stride : columns;
    valid_ = true;
}

bool ComponentRows::ConvertBand(std::size_t band)
{
    if (bandHeld_ == band)
        return true;
    const std::size_t top = band * kBandRows;
    const auto height = static_cast<std::size_t>(pixels_.height);
    const std::size_t pixelRows = std::min(kBandRows, height - top);
    const std::size_t rowBytes = RowBytes(pixels_, component_ ? 3 : 1);
    const ConstPixelView pixels{pixels_.bytes.subspan(top * rowBytes), pixels_.width, static_cast<int>(pixelRows),
                                pixels_.rowPad};
    const std::size_t planeRows = std::min(planeRowsPerBand_, pictureRows_ - band * planeRowsPerBand_);
    band_.resize(planeRowsPerBand_ * stride_);
    const PlaneView samples{std::span(band_).first(planeRows * stride_), stride_, planeRows};
    bandHeld_.reset();
    const bool converted = component_ ? RgbToYiqComponent(pixels, offset_, *component_, subsampledChroma_, samples)
                                      : GrayToPlane(pixels, offset_, samples);
    if (converted)
        bandHeld_ = band;
    return converted;
}

bool ComponentRows::Row(std::size_t y, std::span<float> row)
{
    if (!valid_ || y >= rows_ || row.size() < stride_)
        return false;
    // Rows below the picture repeat its last row, or are zeros for gray.
    if (y >= pictureRows_ && (!component_ || pictureRows_ == 0)) {
        std::fill_n(row.begin(), stride_, 0.0f);
        return true;
    }
    const std::size_t source = std::min(y, pictureRows_ - 1);
    const std::size_t band = source / planeRowsPerBand_;
    if (!ConvertBand(band))
        return false;
    const std::int16_t* in = band_.data() + (source - band * planeRowsPerBand_) * stride_;
    WidenRow(in, writtenColumns_, row.data());
    std::fill(row.begin() + static_cast<std::ptrdiff_t>(writtenColumns_),
              row.begin() + static_cast<std::ptrdiff_t>(stride_), 0.0f);
    return true;
}

} // namespace tamr
