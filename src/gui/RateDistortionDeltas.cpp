#include "gui/RateDistortionDeltas.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "gui/CodecLabel.h"

namespace tamr::qt {

namespace {

std::vector<RatePoint> Curve(const SweepResult& result, const PeerCodec& codec, const SweepMetric& metric)
{
    std::vector<RatePoint> curve;
    for (const SweepPoint& point : result.points)
        if (point.codec == &codec && !point.Failed())
            curve.push_back({point.bitsPerPixel, metric.value(point)});
    return curve;
}

QString Tr(const char* text)
{
    return QCoreApplication::translate("RateDistortionDeltas", text);
}

QString DeltaText(const BjontegaardDelta& delta, const QString& value)
{
    const QString problem = DeltaProblem(delta);
    return problem.isEmpty() ? value : NotAvailableText() + QStringLiteral(" (") + problem + QStringLiteral(")");
}

QString Signed(QString number, double value)
{
    return (value > 0 ? QStringLiteral("+") : QString()) + number;
}

} // namespace

QString DeltaProblem(const BjontegaardDelta& delta)
{
    if (!delta.Measured())
        return QString::fromStdString(delta.problem);
    if (delta.TooLittleOverlap())
        return Tr("%1: %2 % of the anchor's range").arg(TooLittleOverlapText()).arg(std::round(delta.overlap * 100));
    return {};
}

QString NotAvailableText()
{
    return Tr("n/a");
}

QString TooLittleOverlapText()
{
    return Tr("the curves overlap too little");
}

std::vector<CodecDelta> RateDistortionDeltas(const SweepResult& result, const SweepMetric& metric,
                                             const PeerCodec& anchor)
{
    const std::vector<RatePoint> anchorCurve = Curve(result, anchor, metric);
    std::vector<CodecDelta> deltas;
    for (const SweepPoint& point : result.points) {
        if (point.codec == &anchor ||
            std::ranges::any_of(deltas, [&point](const CodecDelta& delta) { return delta.codec == point.codec; }))
            continue;
        const std::vector<RatePoint> testCurve = Curve(result, *point.codec, metric);
        deltas.push_back({point.codec, BdRate(anchorCurve, testCurve, CurveFit::Akima),
                          BdQuality(anchorCurve, testCurve, CurveFit::Akima)});
    }
    return deltas;
}

QString DeltaRateText(const BjontegaardDelta& delta)
{
    return DeltaText(delta, Signed(QString::number(delta.value, 'f', 2), delta.value) + QStringLiteral(" %"));
}

QString DeltaQualityText(const BjontegaardDelta& delta)
{
    // Four digits whatever the figure: SSIM moves in the third decimal, decibels in the first.
    return DeltaText(delta, Signed(QString::number(delta.value, 'g', 4), delta.value));
}

QString CodecDeltaText(const CodecDelta& delta, const SweepMetric& metric)
{
    return Tr("%1: BD-rate %2, BD-%3 %4")
        .arg(CodecLabel(*delta.codec), DeltaRateText(delta.rate),
             QString::fromUtf8(metric.name.data(), static_cast<qsizetype>(metric.name.size())),
             DeltaQualityText(delta.quality));
}

} // namespace tamr::qt
