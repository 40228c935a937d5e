#include "cli/FigureOutput.h"

#include <cmath>

namespace tamr {

nlohmann::json FiniteOrNull(double value)
{
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json();
}

nlohmann::json SsimJson(const std::optional<double>& ssim)
{
    return ssim ? nlohmann::json(*ssim) : nlohmann::json();
}

nlohmann::json FiguresJson(const DocumentFigures& figures, const std::optional<PictureMetrics>& metrics)
{
    return {
        {"compressed_size", figures.compressedSize},
        {"original_size", figures.originalSize},
        {"ratio", figures.ratio},
        {"width", figures.width},
        {"height", figures.height},
        {"compress_seconds", figures.compressSeconds},
        {"decompress_seconds", figures.decompressSeconds},
        {"entropy_seconds", figures.entropySeconds},
        {"transform_seconds", figures.transformSeconds},
        {"convert_seconds", figures.convertSeconds},
        {"quantise_seconds", figures.quantiseSeconds},
        {"psnr", FiniteOrNull(figures.psnr)},
        {"psnr_y", metrics ? FiniteOrNull(metrics->psnrY) : nlohmann::json()},
        {"ssim", metrics ? SsimJson(metrics->ssim) : nlohmann::json()},
        {"mse", figures.meanSquaredError},
        {"largest_difference", figures.largestDifference},
        {"non_zero_before", figures.nonZeroBefore},
        {"non_zero_after", figures.nonZeroAfter},
    };
}

void PrintStatistics(const DocumentFigures& figures, std::ostream& out)
{
    const ImageStatisticsTexts texts = StatisticsTexts(figures);
    out << "Original Dimensions : " << texts.originalDimensions << '\n'
        << "Compressed Image Size : " << texts.compressedSize << '\n'
        << "Original Image Size : " << texts.originalSize << '\n'
        << "Compression Ratios : " << texts.compressionRatio << '\n'
        << "Compression Time : " << texts.compressionTime << '\n'
        << "Decompression Time : " << texts.decompressionTime << '\n'
        << "Entropy Decode : " << texts.entropyDecode << '\n'
        << "Wavelet Trans. : " << texts.waveletTransform << '\n'
        << "Color Transformation : " << texts.colourTransformation << '\n'
        << "Color Quantization : " << texts.colourQuantisation << '\n'
        << "PSNR : " << texts.psnr << '\n'
        << "MSE : " << texts.meanSquaredError << '\n'
        << "Max Pixel Difference : " << texts.largestDifference << '\n'
        << "Non zero elements : " << texts.nonZeroBefore << '\n'
        << "Non zeros after quant. : " << texts.nonZeroAfter << '\n';
}

} // namespace tamr
