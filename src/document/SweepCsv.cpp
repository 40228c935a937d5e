#include "document/SweepCsv.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tamr {
namespace {

// The shortest text that reads back as the same double.
std::string Number(double value)
{
    if (!std::isfinite(value))
        return "";
    std::array<char, 40> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    return {text.data(), end};
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// An empty cell for a figure not measured.
std::string Optional(const std::optional<double>& value)
{
    return value ? Number(*value) : std::string();
}

} // namespace

std::string SweepCsv(const SweepResult& result)
{
    std::string csv = "codec,quality,bytes,bpp,psnr,psnr_y,ssim,mse,largest_difference,psnr_rgb,ms_ssim,butteraugli,"
                      "butteraugli_max,encode_seconds,decode_seconds,error\n";
    for (const SweepPoint& point : result.points) {
        csv += std::string(point.codec->name) + ',' + std::to_string(point.quality) + ',';
        if (point.Failed()) {
            csv += ",,,,,,,,,,,,," + Quoted(point.failure) + '\n';
            continue;
        }
        const PictureMetrics& metrics = point.metrics;
        csv += std::to_string(point.bytes) + ',' + Number(point.bitsPerPixel) + ',' + Number(metrics.psnr) + ',' +
               Number(metrics.psnrY) + ',' + Optional(metrics.ssim) + ',' + Number(metrics.meanSquaredError) + ',' +
               std::to_string(metrics.largestDifference) + ',' + Number(metrics.psnrRgb) + ',' +
               Optional(metrics.msSsim) + ',' + Optional(metrics.butteraugli) + ',' + Optional(metrics.butteraugliMax) +
               ',' + Number(point.encodeSeconds) + ',' + Number(point.decodeSeconds) + ",\n";
    }
    return csv;
}

} // namespace tamr
