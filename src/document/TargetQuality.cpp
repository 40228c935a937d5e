#include "document/TargetQuality.h"

#include "codec/QualityFactor.h"
#include "document/DocumentStatistics.h"
#include "document/TamrDoc.h"

namespace tamr {

bool CompressAtQuality(CTamrDoc& document, CodecSettings& settings, int quality, CTamrDoc::Showing showing)
{
    settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(settings);
    return document.Compress(showing).Ok();
}

std::optional<int> SearchQuality(CTamrDoc& document, CodecSettings& settings, const QualityTarget& target)
{
    // A size is known once the picture is coded; a PSNR target measures the
    // decoded rows as they come.
    const auto showing = target.size ? CTamrDoc::Showing::CodedOnly : CTamrDoc::Showing::Measured;
    auto meets = [&](int quality) {
        if (!CompressAtQuality(document, settings, quality, showing))
            return false;
        if (target.size)
            return FiguresUnmeasured(document).compressedSize <= *target.size;
        return Figures(document).psnr >= target.psnr.value_or(0);
    };
    int low = 0;
    int high = 100;
    if (target.size) {
        if (!meets(0))
            return std::nullopt;
        while (low < high) {
            const int middle = (low + high + 1) / 2;
            if (meets(middle))
                low = middle;
            else
                high = middle - 1;
        }
    } else {
        if (!meets(100))
            return std::nullopt;
        while (low < high) {
            const int middle = (low + high) / 2;
            if (meets(middle))
                high = middle;
            else
                low = middle + 1;
        }
    }
    return low;
}

} // namespace tamr
