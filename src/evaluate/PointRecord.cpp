#include "evaluate/PointRecord.h"

#include <cmath>
#include <limits>

namespace tamr {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// PSNR of equal pictures is infinite, which JSON cannot hold: null.
nlohmann::json Psnr(double value)
{
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json();
}

double PsnrFrom(const nlohmann::json& value)
{
    return value.is_number() ? value.get<double>() : kInfinity;
}

nlohmann::json Optional(const std::optional<double>& value)
{
    return value ? nlohmann::json(*value) : nlohmann::json();
}

std::optional<double> OptionalFrom(const nlohmann::json& value)
{
    return value.is_number() ? std::optional(value.get<double>()) : std::nullopt;
}

} // namespace

nlohmann::json PointRecord(const SweepPoint& point)
{
    nlohmann::json record = {{"codec", point.codec->name}, {"quality", point.quality}, {"settings", point.settings}};
    if (point.Failed()) {
        record["error"] = point.failure;
        return record;
    }
    const PictureMetrics& metrics = point.metrics;
    record.update({{"bytes", point.bytes},
                   {"bpp", point.bitsPerPixel},
                   {"psnr", Psnr(metrics.psnr)},
                   {"psnr_rgb", Psnr(metrics.psnrRgb)},
                   {"psnr_y", Psnr(metrics.psnrY)},
                   {"mse", metrics.meanSquaredError},
                   {"largest_difference", metrics.largestDifference},
                   {"ssim", Optional(metrics.ssim)},
                   {"ms_ssim", Optional(metrics.msSsim)},
                   {"butteraugli", Optional(metrics.butteraugli)},
                   {"butteraugli_max", Optional(metrics.butteraugliMax)},
                   {"encode_seconds", point.encodeSeconds},
                   {"decode_seconds", point.decodeSeconds}});
    return record;
}

std::optional<SweepPoint> PointFromRecord(const nlohmann::json& record)
{
    if (!record.is_object() || !record.contains("codec") || !record["codec"].is_string() ||
        !record.contains("quality") || !record["quality"].is_number_integer())
        return std::nullopt;
    const PeerCodec* codec = FindCodec(record["codec"].get<std::string>());
    if (codec == nullptr)
        return std::nullopt;
    SweepPoint point;
    point.codec = codec;
    point.quality = record["quality"].get<int>();
    point.settings = record.value("settings", std::string());
    if (record.contains("error")) {
        point.failure = record["error"].is_string() ? record["error"].get<std::string>() : "failed";
        return point;
    }
    if (!record.contains("bytes") || !record["bytes"].is_number_unsigned() || !record.contains("bpp") ||
        !record["bpp"].is_number() || !record.contains("mse") || !record["mse"].is_number())
        return std::nullopt;
    point.bytes = record["bytes"].get<std::size_t>();
    point.bitsPerPixel = record["bpp"].get<double>();
    PictureMetrics& metrics = point.metrics;
    metrics.psnr = PsnrFrom(record.value("psnr", nlohmann::json()));
    metrics.psnrRgb = PsnrFrom(record.value("psnr_rgb", nlohmann::json()));
    metrics.psnrY = PsnrFrom(record.value("psnr_y", nlohmann::json()));
    metrics.meanSquaredError = record["mse"].get<double>();
    metrics.largestDifference = record.value("largest_difference", 0);
    metrics.ssim = OptionalFrom(record.value("ssim", nlohmann::json()));
    metrics.msSsim = OptionalFrom(record.value("ms_ssim", nlohmann::json()));
    metrics.butteraugli = OptionalFrom(record.value("butteraugli", nlohmann::json()));
    metrics.butteraugliMax = OptionalFrom(record.value("butteraugli_max", nlohmann::json()));
    point.encodeSeconds = record.value("encode_seconds", 0.0);
    point.decodeSeconds = record.value("decode_seconds", 0.0);
    return point;
}

nlohmann::json ChoiceRecord(const MetricChoice& choice)
{
    return {{"ssim", choice.ssim}, {"ms_ssim", choice.msSsim}, {"butteraugli", choice.butteraugli}};
}

MetricChoice ChoiceFromRecord(const nlohmann::json& record)
{
    MetricChoice choice{false, false, false};
    if (record.is_object()) {
        choice.ssim = record.value("ssim", false);
        choice.msSsim = record.value("ms_ssim", false);
        choice.butteraugli = record.value("butteraugli", false);
    }
    return choice;
}

bool ChoiceCovers(const MetricChoice& measured, const MetricChoice& wanted)
{
    return (measured.ssim || !wanted.ssim) && (measured.msSsim || !wanted.msSsim) &&
           (measured.butteraugli || !wanted.butteraugli);
}

} // namespace tamr
