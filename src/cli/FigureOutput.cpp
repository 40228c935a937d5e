#include "cli/FigureOutput.h"

#include <cmath>

namespace tamr {

nlohmann::json FiniteOrNull(double value)
{
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json();
}

nlohmann::json OptionalJson(const std::optional<double>& value)
{
    return value ? nlohmann::json(*value) : nlohmann::json();
}

void AddMetricsJson(nlohmann::json& object, const PictureMetrics& metrics, const MetricSelection& selection)
{
    for (const MetricName& name : MetricNames()) {
        const auto value = selection.Has(name.key) ? MetricValue(metrics, name.key) : std::nullopt;
        if (!value)
            object[std::string(name.key)] = nullptr;
        else if (name.key == "largest_difference")
            object[std::string(name.key)] = metrics.largestDifference;
        else
            object[std::string(name.key)] = *value;
    }
}

nlohmann::json FiguresJson(const DocumentFigures& figures, const std::optional<PictureMetrics>& metrics)
{
    // The differences are measured only against the picture as loaded, after
    // compressing (the dialog's "0" before it) and never for a COD file on its own.
    const bool measured = figures.psnrShown && metrics.has_value();
    const auto ifMeasured = [measured](const nlohmann::json& value) { return measured ? value : nlohmann::json(); };
    const double pixels = static_cast<double>(figures.width) * figures.height;
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
        {"psnr", ifMeasured(FiniteOrNull(figures.psnr))},
        {"psnr_rgb", metrics ? FiniteOrNull(metrics->psnrRgb) : nlohmann::json()},
        {"psnr_y", metrics ? FiniteOrNull(metrics->psnrY) : nlohmann::json()},
        {"ssim", metrics ? OptionalJson(metrics->ssim) : nlohmann::json()},
        {"ms_ssim", metrics ? OptionalJson(metrics->msSsim) : nlohmann::json()},
        // Measured on request only (compare and sweep --metrics).
        {"butteraugli", metrics ? OptionalJson(metrics->butteraugli) : nlohmann::json()},
        {"butteraugli_max", metrics ? OptionalJson(metrics->butteraugliMax) : nlohmann::json()},
        {"mse", ifMeasured(figures.meanSquaredError)},
        {"largest_difference", ifMeasured(figures.largestDifference)},
        {"non_zero_before", figures.nonZeroBefore},
        {"non_zero_after", figures.nonZeroAfter},
        // The names and units sweep and compare use for the same figures.
        {"bytes", figures.compressedSize},
        {"bpp", pixels > 0 ? nlohmann::json(8.0 * figures.compressedSize / pixels) : nlohmann::json()},
        {"encode_seconds", figures.compressSeconds},
        {"decode_seconds", figures.decompressSeconds},
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
