// Compressing a copy of the picture away from the user-interface thread, and
// taking the result as Compress does.

#include <new>
#include <utility>

#include "document/TamrDoc.h"

namespace tamr {

std::optional<CTamrDoc::CompressJob> CTamrDoc::MakeCompressJob(const CodecSettings& settings, LevelSink onLevel) const
{
    if (!image_ || !codec_ || !image_->HasPixels() || !CodesItsPicture())
        return std::nullopt;
    try {
        CompressJob job{std::make_unique<CDibImage>(*image_),
                        std::make_unique<WaveletCodec>(*codec_),
                        settings,
                        environment_.display,
                        std::nullopt,
                        generation_,
                        nullptr,
                        {}};
        // Lossless coding has no levels to show.
        if (onLevel && settings.incrementalDisplay && settings.qualityFactor != 100) {
            // Made for the codec's picture before coding starts; without memory
            // for it the coding does not start either.
            job.levelImage = std::make_unique<CDibImage>();
            if (!job.levelImage->AllocateForLevelDisplay(*job.codec))
                return std::nullopt;
            job.onLevel = std::move(onLevel);
        }
        return job;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

void CTamrDoc::SharePicture()
{
    if (image_)
        image_->SharePixels();
}

void CTamrDoc::RunCompressJob(CompressJob& job)
{
    try {
        job.times.reset();
        WaveletCodec::LevelCallback showLevel;
        if (job.levelImage && job.onLevel)
            showLevel = [&job](int level, const WaveletCodec& codec) {
                if (job.levelImage->ShowLevel(codec, level, job.display))
                    job.onLevel(*job.levelImage);
            };
        if (const Result<CompressionTimes> times =
                CompressImage(*job.image, *job.codec, job.settings, job.display, showLevel))
            job.times = *times;
    } catch (const std::bad_alloc&) {
        job.times.reset();
    }
}

bool CTamrDoc::AdoptCompressed(CompressJob job, bool noticeGiven)
{
    if (job.generation != generation_ || InEditSession() || !job.times || !CodesItsPicture())
        return false;
    if (!noticeGiven)
        WarnIfJpegSource(false);
    image_ = std::move(job.image);
    codec_ = std::move(job.codec);
    compressSeconds_ = job.times->compressSeconds;
    decompressSeconds_ = job.times->decompressSeconds;
    decodingLeftOut_ = false;
    measuredDifferences_.reset();
    ++decodedCount_;
    SetModifiedFlag(true);
    SetTitle(CodTitle(Title()));
    imageEdited_ = false;
    ++generation_;
    UpdateAllViews();
    return true;
}

CTamrDoc::EditSession::EditSession(CTamrDoc& document) : document_(&document)
{
    ++document_->editSessions_;
}

CTamrDoc::EditSession::EditSession(EditSession&& other) noexcept
    : document_(std::exchange(other.document_, nullptr)), changed_(other.changed_)
{
}

void CTamrDoc::EditSession::End()
{
    if (document_ == nullptr)
        return;
    --document_->editSessions_;
    if (changed_)
        ++document_->generation_;
    document_ = nullptr;
}

} // namespace tamr
