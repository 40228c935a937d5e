#include "gui/MeanCurveChart.h"

#include <QChart>
#include <QCoreApplication>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <limits>

#include "gui/CodecLabel.h"
#include "gui/JobTexts.h"
#include "gui/RoundAxis.h"

namespace tamr::qt {

void DrawMeanCurves(QChart& chart, std::span<const MeanCurve> curves, const SweepMetric& metric)
{
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    const QString name = QString::fromUtf8(metric.name.data(), static_cast<qsizetype>(metric.name.size()));
    chart.setTitle(QCoreApplication::translate("MeanCurveChart", "Mean %1 against bits per pixel").arg(name));
    auto* xAxis = new QValueAxis;
    xAxis->setTitleText(RateAxisTitle());
    auto* yAxis = new QValueAxis;
    yAxis->setTitleText(QString::fromUtf8(metric.title.data(), static_cast<qsizetype>(metric.title.size())));
    chart.addAxis(xAxis, Qt::AlignBottom);
    chart.addAxis(yAxis, Qt::AlignLeft);
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    double widest = 0;
    for (const MeanCurve& curve : curves) {
        if (curve.points.empty())
            continue;
        auto* line = new QLineSeries;
        auto* dots = new QScatterSeries;
        line->setName(CodecLabel(*curve.codec));
        dots->setMarkerSize(8);
        for (const RatePoint& point : curve.points) {
            line->append(point.bitsPerPixel, point.quality);
            dots->append(point.bitsPerPixel, point.quality);
            low = std::min(low, point.quality);
            high = std::max(high, point.quality);
            widest = std::max(widest, point.bitsPerPixel);
        }
        for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(line), static_cast<QAbstractSeries*>(dots)}) {
            chart.addSeries(series);
            series->attachAxis(xAxis);
            series->attachAxis(yAxis);
        }
        // Set once added: adding applies the theme's colours.
        line->setColor(CodecColour(*curve.codec));
        dots->setColor(CodecColour(*curve.codec));
        chart.legend()->markers(dots).front()->setVisible(false);
    }
    if (widest > 0) {
        SetRoundTicks(*xAxis, 0, widest);
        SetRoundTicks(*yAxis, low, high);
    }
}

} // namespace tamr::qt
