#include "evaluate/ReportOutput.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "document/CsvText.h"
#include "document/SweepMetrics.h"
#include "evaluate/EvaluationRecord.h"
#include "evaluate/PointRecord.h"
#include "evaluate/ReportCell.h"

namespace tamr {
namespace {

struct Definition {
    std::string_view key;
    std::string_view text;
};

constexpr Definition kDefinitions[] = {
    {"psnr", "the mean over the channels of 20 log10(255 / sqrt(MSE of the channel)), channels that did not change "
             "left out (tamr's Statistics PSNR)"},
    {"psnr_rgb", "10 log10(255^2 / MSE), the MSE pooled over every sample of every channel"},
    {"psnr_y", "PSNR of luma Y = 0.299 R + 0.587 G + 0.114 B in double precision (BT.601 weights, full range)"},
    {"mse", "the Statistics dialog's mean squared error"},
    {"largest_difference", "the largest difference of a sample"},
    {"ssim", "SSIM (Wang et al. 2004): 11 x 11 Gaussian window, sigma 1.5, K1 0.01, K2 0.03, L 255, at every "
             "position wholly inside, per channel (R, G, B), then the mean over the channels"},
    {"ms_ssim", "MS-SSIM (Wang, Simoncelli and Bovik 2003): five scales halved by 2 x 2 means, the SSIM window "
                "above, exponents 0.0448, 0.2856, 0.3001, 0.2363, 0.1333, per channel, then the mean"},
    {"butteraugli", "the 3-norm of the Butteraugli distance map (libjxl), intensity target 80 cd/m²"},
    {"butteraugli_max", "the largest value of the Butteraugli distance map (libjxl), intensity target 80 cd/m²"},
};

nlohmann::json Number(double value)
{
    return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json();
}

nlohmann::json MeanJson(const DeltaMean& mean)
{
    return {{"mean", Number(mean.mean)},
            {"pictures_averaged", mean.averaged},
            {"too_little_overlap", mean.tooLittleOverlap},
            {"without_value", mean.withoutValue}};
}

nlohmann::json DeltaValue(const BjontegaardDelta& delta)
{
    return delta.Measured() ? Number(delta.value) : nlohmann::json();
}

std::string_view LabelOf(std::string_view key)
{
    const SweepMetric* metric = FindSweepMetric(key);
    return metric != nullptr ? metric->name : key;
}

std::string List(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + name;
    return list;
}

} // namespace

std::string_view MetricDefinition(std::string_view key)
{
    for (const Definition& definition : kDefinitions)
        if (definition.key == key)
            return definition.text;
    return {};
}

nlohmann::json ReportJson(const Evaluation& evaluation, const EvaluationReport& report)
{
    nlohmann::json record = EvaluationRecord(evaluation);
    nlohmann::json metrics = nlohmann::json::array();
    for (const std::string& key : evaluation.metrics)
        metrics.push_back({{"key", key}, {"label", LabelOf(key)}, {"definition", MetricDefinition(key)}});
    record["metrics"] = metrics;
    record["anchor"] = report.anchor;
    record["bd_method"] = CurveFitName(report.fit);
    record["least_overlap"] = kLeastOverlap;
    nlohmann::json rows = nlohmann::json::array();
    for (const CodecDeltas& row : report.rows) {
        nlohmann::json pictures = nlohmann::json::array();
        for (const PictureDeltas& deltas : row.pictures)
            pictures.push_back({{"picture", deltas.picture},
                                {"bd_rate", DeltaValue(deltas.rate)},
                                {"bd_rate_overlap", deltas.rate.overlap},
                                {"bd_quality", DeltaValue(deltas.quality)},
                                {"bd_quality_overlap", deltas.quality.overlap},
                                {"bd_rate_problem", deltas.rate.problem},
                                {"bd_quality_problem", deltas.quality.problem}});
        nlohmann::json rate = MeanJson(row.rate);
        rate["geometric_mean"] = Number(row.geometricRate);
        rows.push_back({{"codec", row.codec},
                        {"anchor", report.anchor},
                        {"metric", row.metric},
                        {"bd_rate", rate},
                        {"bd_quality", MeanJson(row.quality)},
                        {"per_picture", pictures}});
    }
    record["bd"] = rows;
    return record;
}

std::string ReportCsv(const EvaluationReport& report)
{
    std::string csv = "metric,codec,anchor,row,picture,bd_rate,bd_rate_overlap,bd_quality,bd_quality_overlap,"
                      "pictures_averaged,problem\n";
    for (const CodecDeltas& row : report.rows) {
        const std::string start = row.metric + ',' + CsvQuoted(row.codec) + ',' + CsvQuoted(report.anchor) + ',';
        for (const PictureDeltas& deltas : row.pictures) {
            const std::string problem = !deltas.rate.Measured() ? deltas.rate.problem : deltas.quality.problem;
            csv += start + "picture," + CsvQuoted(deltas.picture) + ',' +
                   (deltas.rate.Measured() ? CsvNumber(deltas.rate.value) : "") + ',' + CsvNumber(deltas.rate.overlap) +
                   ',' + (deltas.quality.Measured() ? CsvNumber(deltas.quality.value) : "") + ',' +
                   CsvNumber(deltas.quality.overlap) + ",," + (problem.empty() ? "" : CsvQuoted(problem)) + '\n';
        }
        csv += start + "mean,," + CsvNumber(row.rate.mean) + ",," + CsvNumber(row.quality.mean) + ",," +
               std::to_string(row.rate.averaged) + ",\n";
        csv += start + "geometric_mean,," + CsvNumber(row.geometricRate) + ",,,," + std::to_string(row.rate.averaged) +
               ",\n";
    }
    return csv;
}

std::string ReportTable(const Evaluation& evaluation, const EvaluationReport& report)
{
    std::string table = "BD against " + report.anchor + " (" + std::string(CurveFitName(report.fit)) + "), " +
                        std::to_string(evaluation.pictures.size()) + " of " + std::to_string(evaluation.pictureCount) +
                        " pictures\n";
    table += "figure        codec     BD-rate %  geo. mean %  BD-quality  pictures\n";
    std::string leftOut;
    for (const CodecDeltas& row : report.rows) {
        char line[160];
        std::snprintf(line, sizeof line, "%-12s  %-8s  %9s  %11s  %10s  %8zu\n",
                      std::string(LabelOf(row.metric)).c_str(), row.codec.c_str(),
                      ReportCell("%+.2f", row.rate.mean).c_str(), ReportCell("%+.2f", row.geometricRate).c_str(),
                      ReportCell("%+.4f", row.quality.mean).c_str(), row.rate.averaged);
        table += line;
        const std::string what = std::string(LabelOf(row.metric)) + ", " + row.codec;
        if (!row.rate.tooLittleOverlap.empty())
            leftOut += what + ", BD-rate: too little overlap: " + List(row.rate.tooLittleOverlap) + '\n';
        if (!row.quality.tooLittleOverlap.empty())
            leftOut += what + ", BD-quality: too little overlap: " + List(row.quality.tooLittleOverlap) + '\n';
        if (!row.rate.withoutValue.empty())
            leftOut += what + ", no BD-rate: " + List(row.rate.withoutValue) + '\n';
    }
    if (!leftOut.empty())
        table +=
            "Left out of the means (curves sharing under 75 % of the anchor's range, or without a value):\n" + leftOut;
    return table;
}

nlohmann::json CompressAiResults(const Evaluation& evaluation)
{
    nlohmann::json codecs = nlohmann::json::array();
    const std::size_t pictures = evaluation.pictures.size();
    for (const EvaluatedCodec& codec : evaluation.codecs) {
        nlohmann::json results = {{"psnr-rgb", nlohmann::json::array()},
                                  {"ms-ssim-rgb", nlohmann::json::array()},
                                  {"bpp", nlohmann::json::array()},
                                  {"encoding_time", nlohmann::json::array()},
                                  {"decoding_time", nlohmann::json::array()}};
        for (const int quality : evaluation.qualities) {
            // The mean of each figure over the pictures that have it at this quality.
            std::array<double, 5> sums{};
            std::array<std::size_t, 5> counts{};
            for (const EvaluatedPicture& picture : evaluation.pictures)
                for (const SweepPoint& point : picture.points) {
                    if (point.codec->name != codec.name || point.quality != quality || point.Failed())
                        continue;
                    const std::array<double, 5> values{point.metrics.psnrRgb,
                                                       point.metrics.msSsim ? *point.metrics.msSsim : std::nan(""),
                                                       point.bitsPerPixel, point.encodeSeconds, point.decodeSeconds};
                    for (std::size_t i = 0; i < values.size(); ++i)
                        if (std::isfinite(values[i])) {
                            sums[i] += values[i];
                            ++counts[i];
                        }
                }
            const char* keys[] = {"psnr-rgb", "ms-ssim-rgb", "bpp", "encoding_time", "decoding_time"};
            for (std::size_t i = 0; i < sums.size(); ++i)
                results[keys[i]].push_back(counts[i] > 0 ? nlohmann::json(sums[i] / static_cast<double>(counts[i]))
                                                         : nlohmann::json());
        }
        std::string description = "tamr " + evaluation.programVersion + " evaluate, the mean over " +
                                  std::to_string(pictures) + " pictures at qualities";
        for (const int quality : evaluation.qualities)
            description += ' ' + std::to_string(quality);
        if (!codec.library.empty())
            description += "; " + codec.library;
        codecs.push_back({{"name", codec.name}, {"description", description}, {"results", results}});
    }
    return codecs;
}

} // namespace tamr
