#include "document/SweepCsv.h"

#include <cmath>

#include "document/CsvText.h"

namespace tamr {
namespace {

// An empty cell for a figure not measured.
std::string Optional(const std::optional<double>& value)
{
    return value ? CsvNumber(*value) : std::string();
}

} // namespace

std::string SweepCsv(const SweepResult& result)
{
    std::string csv = "codec,quality,bytes,bpp,psnr,psnr_y,ssim,mse,largest_difference,psnr_rgb,ms_ssim,butteraugli,"
                      "butteraugli_max,encode_seconds,decode_seconds,error\n";
    for (const SweepPoint& point : result.points) {
        csv += std::string(point.codec->name) + ',' + std::to_string(point.quality) + ',';
        if (point.Failed()) {
            csv += ",,,,,,,,,,,,," + CsvQuoted(point.failure) + '\n';
            continue;
        }
        const PictureMetrics& metrics = point.metrics;
        csv += std::to_string(point.bytes) + ',' + CsvNumber(point.bitsPerPixel) + ',' + CsvNumber(metrics.psnr) + ',' +
               CsvNumber(metrics.psnrY) + ',' + Optional(metrics.ssim) + ',' + CsvNumber(metrics.meanSquaredError) +
               ',' + std::to_string(metrics.largestDifference) + ',' + CsvNumber(metrics.psnrRgb) + ',' +
               Optional(metrics.msSsim) + ',' + Optional(metrics.butteraugli) + ',' + Optional(metrics.butteraugliMax) +
               ',' + CsvNumber(point.encodeSeconds) + ',' + CsvNumber(point.decodeSeconds) + ",\n";
    }
    return csv;
}

} // namespace tamr
