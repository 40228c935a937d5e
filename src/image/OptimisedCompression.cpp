#include "image/OptimisedCompression.h"

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

OptimisedCompression CompressOptimised(CDibImage& image, WaveletCodec& codec, const CodecSettings& base,
                                       const SearchGoal& goal, const DisplaySettings& display)
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
    SearchTrials trials;
    trials.size = [&](const CodecSettings& settings) -> std::optional<std::size_t> {
        lastMeasured.reset();
        if (!codec.PrepareEncode(settings, PlaneAllocation::OnDemand) || !codec.EncodeAll(fill))
            return std::nullopt;
        return codec.CodFile().Size();
    };
    trials.measure = [&](const CodecSettings& settings) -> std::optional<TrialFigures> {
        lastMeasured.reset();
        const auto times = CompressImage(image, codec, settings, display);
        if (!times)
            return std::nullopt;
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
