// Compressing a copy of the picture away from the user-interface thread, and
// taking the result as Compress does.

#include <new>

#include "document/TamrDoc.h"

namespace tamr {

std::optional<CTamrDoc::CompressJob> CTamrDoc::MakeCompressJob(const CodecSettings& settings) const
{
    if (!image_ || !codec_ || !image_->HasPixels() || !CodesItsPicture())
        return std::nullopt;
    try {
        return CompressJob{std::make_unique<CDibImage>(*image_),
                           std::make_unique<WaveletCodec>(*codec_),
                           settings,
                           environment_.display,
                           std::nullopt,
                           image_.get()};
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

void CTamrDoc::RunCompressJob(CompressJob& job)
{
    try {
        job.times = CompressImage(*job.image, *job.codec, job.settings, job.display);
    } catch (const std::bad_alloc&) {
        job.times.reset();
    }
}

bool CTamrDoc::AdoptCompressed(CompressJob job)
{
    if (job.source != image_.get() || !job.times || !CodesItsPicture())
        return false;
    WarnIfJpegSource();
    image_ = std::move(job.image);
    codec_ = std::move(job.codec);
    compressSeconds_ = job.times->compressSeconds;
    decompressSeconds_ = job.times->decompressSeconds;
    SetModifiedFlag(true);
    SetTitle(CodTitle(Title()));
    imageEdited_ = false;
    UpdateAllViews();
    return true;
}

} // namespace tamr
