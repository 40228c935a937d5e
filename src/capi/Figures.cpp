// The figures of a decoded picture against its original.

#include <cmath>
#include <limits>

#include "capi/CapiMessages.h"
#include "capi/ErrorReport.h"
#include "capi/PictureHandle.h"
#include "image/Butteraugli.h"
#include "image/PictureMetrics.h"

namespace tamr::capi {
namespace {

constexpr unsigned kKnownMetrics = TAMR_METRIC_SSIM | TAMR_METRIC_MS_SSIM | TAMR_METRIC_BUTTERAUGLI;

double OrNan(const std::optional<double>& value)
{
    return value.value_or(std::numeric_limits<double>::quiet_NaN());
}

tamr_figures FiguresOf(const PictureMetrics& metrics)
{
    return tamr_figures{metrics.meanSquaredError,
                        metrics.psnr,
                        metrics.psnrRgb,
                        metrics.psnrY,
                        OrNan(metrics.ssim),
                        OrNan(metrics.msSsim),
                        OrNan(metrics.butteraugli),
                        OrNan(metrics.butteraugliMax),
                        metrics.largestDifference};
}

} // namespace
} // namespace tamr::capi

using namespace tamr;
using namespace tamr::capi;

extern "C" {

tamr_status tamr_compare(const tamr_picture* original, const tamr_picture* decoded, unsigned metrics,
                         tamr_figures* figures, tamr_error* error)
{
    return Guarded(error, [&] {
        if (original == nullptr || decoded == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoPicture);
        if (figures == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoResultPlace);
        if ((metrics & ~kKnownMetrics) != 0)
            return Report(error, TAMR_INVALID_ARGUMENT, kUnknownMetrics);
        if ((metrics & TAMR_METRIC_BUTTERAUGLI) != 0 && !ButteraugliAvailable())
            return Report(error, TAMR_UNAVAILABLE,
                          std::string("Butteraugli is ") + std::string(kButteraugliUnavailable));
        const CDibImage* first = original->document.Image();
        const CDibImage* second = decoded->document.Image();
        if (first == nullptr || second == nullptr)
            return Report(error, TAMR_INVALID_ARGUMENT, kNoPicture);
        if (first->Width() != second->Width() || first->Height() != second->Height() ||
            first->BytesPerPixel() != second->BytesPerPixel())
            return Report(error, TAMR_INVALID_ARGUMENT, kDifferentPictures);
        const MetricChoice choice{(metrics & TAMR_METRIC_SSIM) != 0, (metrics & TAMR_METRIC_MS_SSIM) != 0,
                                  (metrics & TAMR_METRIC_BUTTERAUGLI) != 0};
        *figures =
            FiguresOf(MeasurePictures(first->WorkingView(), second->WorkingView(), first->BytesPerPixel(), 0, choice));
        return Succeed(error);
    });
}
}
