#include "image/OptimisedCompression.h"

#include <algorithm>
#include <cstdlib>

#include "image/ColourSpace.h"
#include "image/PictureMetrics.h"
#include "platform/Clock.h"

namespace tamr {

double GoalFigure(SearchFigure measure, ConstPixelView original, ConstPixelView decoded, int bytesPerPixel, int threads)
{
    if (measure == SearchFigure::Ssim)
        return StructuralSimilarity(original, decoded, bytesPerPixel, threads).value_or(0.0);
    const MetricChoice choice{.ssim = false, .msSsim = false, .butteraugli = false};
    const PictureMetrics metrics = MeasurePictures(original, decoded, bytesPerPixel, threads, choice);
    return measure == SearchFigure::PsnrY ? metrics.psnrY : metrics.psnr;
}

std::array<double, kComponentCount> ComponentErrorCosts(bool colour)
{
    if (!colour)
        return {1.0, 0.0, 0.0};
    // The squared error a unit error of Y, I or Q leaves in R, G and B
    // together, over three: the columns of the inverse of the colour matrix.
    const auto& m = kYiqColourSpace.weights;
    const double scale = kYiqColourSpace.scale;
    std::array<std::array<double, 3>, 3> a{};
    for (std::size_t r = 0; r < 3; ++r)
        for (std::size_t c = 0; c < 3; ++c)
            a[r][c] = m[r][c] / scale;
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    std::array<double, kComponentCount> costs{};
    for (std::size_t c = 0; c < 3; ++c) {
        // Column c of the inverse is the cofactors of row c over the determinant.
        const std::size_t r1 = c == 0 ? 1 : 0;
        const std::size_t r2 = c == 2 ? 1 : 2;
        double sum = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            const std::size_t k1 = k == 0 ? 1 : 0;
            const std::size_t k2 = k == 2 ? 1 : 2;
            const double cofactor = a[r1][k1] * a[r2][k2] - a[r1][k2] * a[r2][k1];
            sum += cofactor * cofactor;
        }
        costs[c] = sum / (det * det) / 3.0;
    }
    return costs;
}

OptimisedCompression CompressOptimised(CDibImage& image, WaveletCodec& codec, const CodecSettings& base,
                                       const SearchGoal& goal, const DisplaySettings& display,
                                       const SearchControl& control)
{
    const TimeStamp start = Now();
    const int threads = ResolveThreadCount(base.threads);
    const auto fill = [&](std::size_t index, const CodecComponent& component) {
        return image.RowsOfComponent(codec, index, component);
    };
    // The last trial leaves its data in the codec (and a measured one its
    // picture in the image): when it is the one chosen, it need not be coded
    // again.
    std::optional<CodecSettings> lastMeasured;
    CompressionTimes lastTimes;
    // The widest range every band showed in the trials: a band thresholded
    // away in one trial shows its range in another.
    BandRanges ranges{};
    const auto noteRanges = [&](const CodecSettings& settings) {
        for (std::size_t c = 0; c < static_cast<std::size_t>(codec.ComponentCount()); ++c) {
            const CodecComponent& component = codec.Component(c);
            if (settings.components[c].sampleLevels != 0)
                continue;
            for (int entry = 0; entry <= 3 * settings.totalLevels; ++entry) {
                int& range = ranges[c][static_cast<std::size_t>(entry)];
                range = std::max({range, std::abs(static_cast<int>(component.Max(entry))),
                                  std::abs(static_cast<int>(component.Min(entry)))});
            }
        }
    };
    SearchTrials trials;
    trials.size = [&](const CodecSettings& settings) -> std::optional<std::size_t> {
        lastMeasured.reset();
        if (!codec.PrepareEncode(settings, PlaneAllocation::OnDemand) || !codec.EncodeAll(fill))
            return std::nullopt;
        noteRanges(settings);
        return codec.CodFile().Size();
    };
    trials.ranges = [&] { return ranges; };
    trials.control = control;
    trials.componentEnergy = ComponentErrorCosts(image.IsColour() == 1);
    trials.measure = [&](const CodecSettings& settings) -> std::optional<TrialFigures> {
        lastMeasured.reset();
        const auto times = CompressImage(image, codec, settings, display);
        if (!times)
            return std::nullopt;
        noteRanges(settings);
        lastMeasured = settings;
        lastTimes = *times;
        const std::size_t bytes = codec.CodFile().Size();
        return TrialFigures{bytes, GoalFigure(goal.measure, image.ReferenceView(), image.WorkingView(),
                                              image.BytesPerPixel(), threads)};
    };
    OptimisedCompression result;
    result.search = SearchSettings(base, goal, trials);
    if (result.search.Failed()) {
        result.searchSeconds = ElapsedSeconds(start, Now());
        return result;
    }
    if (lastMeasured == result.search.settings) {
        result.times = lastTimes;
        result.searchSeconds = ElapsedSeconds(start, Now());
        return result;
    }
    const auto times = CompressImage(image, codec, result.search.settings, display);
    result.searchSeconds = ElapsedSeconds(start, Now());
    if (!times) {
        result.compressed = times.Failure();
        return result;
    }
    result.times = *times;
    return result;
}

} // namespace tamr
