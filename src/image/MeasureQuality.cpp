// How far the working image has moved from the image as loaded.

#include <cmath>
#include <cstdlib>

#include "image/DibImage.h"

namespace tamr {

namespace {

double ChannelPsnr(double squaredErrors, double pixelCount)
{
    return 20.0 * std::log10(255.0 / std::sqrt(squaredErrors / pixelCount));
}

} // namespace

QualityFigures CDibImage::MeasureQuality() const
{
    QualityFigures figures;
    const auto reference = ReferencePixels();
    const auto working = Pixels();
    if (reference.empty() || working.empty() || width_ == 0 || height_ == 0)
        return figures;
    const int bytesPerPixel = isColour_ == 1 ? 3 : (isColour_ == 0 ? 1 : 0);
    if (bytesPerPixel == 0)
        return figures;

    // Integer sums are exact; they stand in for the extended-precision sums.
    std::uint64_t sums[3] = {0, 0, 0};
    std::size_t offset = 0;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            for (int k = 0; k < bytesPerPixel; ++k, ++offset) {
                const int difference = static_cast<int>(reference[offset]) - static_cast<int>(working[offset]);
                figures.largestDifference = std::max(figures.largestDifference, std::abs(difference));
                sums[k] += static_cast<std::uint64_t>(difference * difference);
            }
        }
        offset += rowPad_;
    }
    const double pixelCount = static_cast<double>(width_) * static_cast<double>(height_);
    if (bytesPerPixel == 3) {
        const double s0 = static_cast<double>(sums[0]);
        const double s1 = static_cast<double>(sums[1]);
        const double s2 = static_cast<double>(sums[2]);
        figures.meanSquaredError = ((s1 / pixelCount + s2 / pixelCount) + s0 / pixelCount) * 0.3333333333333333;
        figures.psnr = ((ChannelPsnr(s2, pixelCount) + ChannelPsnr(s1, pixelCount)) + ChannelPsnr(s0, pixelCount)) *
                       0.3333333333333333;
    } else {
        figures.meanSquaredError = static_cast<double>(sums[0]) / (static_cast<double>(height_) * width_);
        figures.psnr = 20.0 * std::log10(255.0 / std::sqrt(figures.meanSquaredError));
    }
    return figures;
}

} // namespace tamr
