#include "evaluate/MeanCurves.h"

#include <cmath>

namespace tamr {

std::vector<MeanCurve> MeanCurves(const Evaluation& evaluation, const SweepMetric& metric)
{
    std::vector<MeanCurve> curves;
    for (const EvaluatedCodec& evaluated : evaluation.codecs) {
        const PeerCodec* codec = FindCodec(evaluated.name);
        if (codec == nullptr)
            continue;
        MeanCurve& curve = curves.emplace_back();
        curve.codec = codec;
        for (const int quality : evaluation.qualities) {
            double rate = 0;
            double value = 0;
            std::size_t count = 0;
            for (const EvaluatedPicture& picture : evaluation.pictures)
                for (const SweepPoint& point : picture.points) {
                    const double figure = point.Failed() ? NAN : metric.value(point);
                    if (point.codec == codec && point.quality == quality && std::isfinite(figure)) {
                        rate += point.bitsPerPixel;
                        value += figure;
                        ++count;
                    }
                }
            if (count > 0)
                curve.points.push_back({rate / static_cast<double>(count), value / static_cast<double>(count)});
        }
    }
    return curves;
}

} // namespace tamr
