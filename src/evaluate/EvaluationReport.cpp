#include "evaluate/EvaluationReport.h"

#include <algorithm>
#include <cmath>

#include "document/SweepMetrics.h"

namespace tamr {
namespace {

std::vector<RatePoint> Curve(const EvaluatedPicture& picture, std::string_view codec, const SweepMetric& metric)
{
    std::vector<RatePoint> curve;
    for (const SweepPoint& point : picture.points)
        if (point.codec->name == codec && !point.Failed())
            curve.push_back({point.bitsPerPixel, metric.value(point)});
    return curve;
}

void Count(DeltaMean& mean, const std::string& picture, const BjontegaardDelta& delta, double& sum)
{
    if (!delta.Measured())
        mean.withoutValue.push_back(picture + ": " + delta.problem);
    else if (delta.TooLittleOverlap())
        mean.tooLittleOverlap.push_back(picture);
    else {
        sum += delta.value;
        ++mean.averaged;
    }
}

CodecDeltas Deltas(const Evaluation& evaluation, const std::string& codec, std::string_view anchor,
                   const SweepMetric& metric, CurveFit fit)
{
    CodecDeltas row;
    row.codec = codec;
    row.metric = metric.key;
    double rateSum = 0;
    double qualitySum = 0;
    double logRatioSum = 0;
    for (const EvaluatedPicture& picture : evaluation.pictures) {
        if (!picture.failure.empty()) {
            row.rate.withoutValue.push_back(picture.name + ": " + picture.failure);
            row.quality.withoutValue.push_back(picture.name + ": " + picture.failure);
            continue;
        }
        const std::vector<RatePoint> anchorCurve = Curve(picture, anchor, metric);
        const std::vector<RatePoint> testCurve = Curve(picture, codec, metric);
        PictureDeltas& deltas = row.pictures.emplace_back();
        deltas.picture = picture.name;
        deltas.rate = BdRate(anchorCurve, testCurve, fit);
        deltas.quality = BdQuality(anchorCurve, testCurve, fit);
        const std::size_t averaged = row.rate.averaged;
        Count(row.rate, picture.name, deltas.rate, rateSum);
        if (row.rate.averaged > averaged)
            logRatioSum += std::log1p(deltas.rate.value / 100);
        Count(row.quality, picture.name, deltas.quality, qualitySum);
    }
    if (row.rate.averaged > 0) {
        const auto count = static_cast<double>(row.rate.averaged);
        row.rate.mean = rateSum / count;
        row.geometricRate = std::expm1(logRatioSum / count) * 100;
    }
    if (row.quality.averaged > 0)
        row.quality.mean = qualitySum / static_cast<double>(row.quality.averaged);
    return row;
}

} // namespace

EvaluationReport MakeReport(const Evaluation& evaluation, std::string_view anchor, CurveFit fit)
{
    EvaluationReport report;
    report.anchor = anchor;
    report.fit = fit;
    for (const std::string& key : evaluation.metrics) {
        const SweepMetric* metric = FindSweepMetric(key);
        if (metric == nullptr)
            continue;
        for (const EvaluatedCodec& codec : evaluation.codecs)
            if (codec.name != anchor)
                report.rows.push_back(Deltas(evaluation, codec.name, anchor, *metric, fit));
    }
    return report;
}

} // namespace tamr
