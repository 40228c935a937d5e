// How far the working image has moved from the image as loaded.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "image/DibImage.h"
#include "image/QualityFigures.h"
#include "platform/VectorClones.h"

namespace tamr {

namespace {

double ChannelPsnr(double squaredErrors, double pixelCount)
{
    return 20.0 * std::log10(255.0 / std::sqrt(squaredErrors / pixelCount));
}

// The mean of the channels' PSNRs over the channels that changed: a channel
// left as it was would make the mean infinite although the picture changed.
// Infinite only when no channel changed.
double ColourPsnr(double s0, double s1, double s2, double pixelCount)
{
    if (s0 == 0 && s1 == 0 && s2 == 0)
        return ChannelPsnr(0, pixelCount);
    if (s0 != 0 && s1 != 0 && s2 != 0) // the dialog's own order of sums
        return ((ChannelPsnr(s2, pixelCount) + ChannelPsnr(s1, pixelCount)) + ChannelPsnr(s0, pixelCount)) *
               0.3333333333333333;
    double sum = 0;
    int changed = 0;
    for (const double s : {s2, s1, s0}) {
        if (s != 0) {
            sum += ChannelPsnr(s, pixelCount);
            ++changed;
        }
    }
    return sum / changed;
}

// Squared differences per channel and the largest difference over `count`
// pixels of three bytes; count * 255^2 must fit 32 bits.
struct RowErrors {
    std::uint32_t sums[3];
    int largest;
};

TAMR_VECTOR_CLONES RowErrors ColourRowErrors(const std::uint8_t* ref, const std::uint8_t* work, std::size_t count)
{
    std::uint32_t s0 = 0, s1 = 0, s2 = 0;
    int m = 0;
    for (std::size_t x = 0; x < count; ++x) {
        const int d0 = static_cast<int>(ref[3 * x]) - static_cast<int>(work[3 * x]);
        const int d1 = static_cast<int>(ref[3 * x + 1]) - static_cast<int>(work[3 * x + 1]);
        const int d2 = static_cast<int>(ref[3 * x + 2]) - static_cast<int>(work[3 * x + 2]);
        m = std::max(m, std::max(std::abs(d0), std::max(std::abs(d1), std::abs(d2))));
        s0 += static_cast<std::uint32_t>(d0 * d0);
        s1 += static_cast<std::uint32_t>(d1 * d1);
        s2 += static_cast<std::uint32_t>(d2 * d2);
    }
    return {{s0, s1, s2}, m};
}

TAMR_VECTOR_CLONES RowErrors GrayRowErrors(const std::uint8_t* ref, const std::uint8_t* work, std::size_t count)
{
    std::uint32_t s0 = 0;
    int m = 0;
    for (std::size_t x = 0; x < count; ++x) {
        const int d = static_cast<int>(ref[x]) - static_cast<int>(work[x]);
        m = std::max(m, std::abs(d));
        s0 += static_cast<std::uint32_t>(d * d);
    }
    return {{s0, 0, 0}, m};
}

} // namespace

bool DifferenceSums::Add(ConstPixelView reference, ConstPixelView working)
{
    if (bytesPerPixel_ != 1 && bytesPerPixel_ != 3)
        return false;
    if (reference.width != working.width || reference.height != working.height || reference.rowPad != working.rowPad ||
        !HoldsAllRows(reference, bytesPerPixel_) || !HoldsAllRows(working, bytesPerPixel_) || reference.width == 0 ||
        (rows_ > 0 && reference.width != width_))
        return false;
    width_ = reference.width;
    rows_ += static_cast<std::uint64_t>(reference.height);

    // Integer sums are exact; they stand in for the extended-precision sums.
    // Each row is summed in 32-bit chunks short enough never to overflow, so
    // that the loops run on vector registers.
    const std::size_t rowBytes = RowBytes(reference, bytesPerPixel_);
    constexpr std::size_t kChunkPixels = 4096; // 4096 * 255^2 < 2^32
    for (int y = 0; y < reference.height; ++y) {
        const std::uint8_t* ref = reference.bytes.data() + static_cast<std::size_t>(y) * rowBytes;
        const std::uint8_t* work = working.bytes.data() + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t start = 0; start < static_cast<std::size_t>(width_); start += kChunkPixels) {
            const std::size_t end = std::min<std::size_t>(width_, start + kChunkPixels);
            const std::size_t skip = start * static_cast<std::size_t>(bytesPerPixel_);
            const RowErrors errors = bytesPerPixel_ == 3 ? ColourRowErrors(ref + skip, work + skip, end - start)
                                                         : GrayRowErrors(ref + skip, work + skip, end - start);
            for (int k = 0; k < 3; ++k)
                sums_[k] += errors.sums[k];
            largest_ = std::max(largest_, errors.largest);
        }
    }
    return true;
}

QualityFigures DifferenceSums::Figures() const
{
    QualityFigures figures;
    if (rows_ == 0)
        return figures;
    figures.largestDifference = largest_;
    const double pixelCount = static_cast<double>(width_) * static_cast<double>(rows_);
    if (bytesPerPixel_ == 3) {
        const double s0 = static_cast<double>(sums_[0]);
        const double s1 = static_cast<double>(sums_[1]);
        const double s2 = static_cast<double>(sums_[2]);
        figures.meanSquaredError = ((s1 / pixelCount + s2 / pixelCount) + s0 / pixelCount) * 0.3333333333333333;
        figures.psnr = ColourPsnr(s0, s1, s2, pixelCount);
        figures.pooledSquaredError = static_cast<double>(sums_[0] + sums_[1] + sums_[2]) / (3.0 * pixelCount);
    } else {
        figures.meanSquaredError = static_cast<double>(sums_[0]) / (static_cast<double>(rows_) * width_);
        figures.pooledSquaredError = figures.meanSquaredError;
        figures.psnr = 20.0 * std::log10(255.0 / std::sqrt(figures.meanSquaredError));
    }
    return figures;
}

QualityFigures MeasureDifferences(ConstPixelView reference, ConstPixelView working, int bytesPerPixel)
{
    DifferenceSums sums(bytesPerPixel);
    if (reference.height == 0 || !sums.Add(reference, working))
        return {};
    return sums.Figures();
}

QualityFigures CDibImage::MeasureQuality() const
{
    if (ReferencePixels().empty() || Pixels().empty())
        return {};
    return MeasureDifferences(ReferenceView(), WorkingView(), BytesPerPixel());
}

} // namespace tamr
