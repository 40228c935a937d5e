#include "document/RateDistortionSweep.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "codec/QualityFactor.h"
#include "document/DocumentMessages.h"
#include "document/TamrDoc.h"
#include "image/peers/PeerJpeg.h"
#include "image/peers/PeerJpeg2000.h"
#include "image/peers/PeerWebp.h"
#include "platform/ParallelTasks.h"

namespace tamr {
namespace {

// A point in flight holds about this many times the picture: the copy it
// codes and decodes into, the codec's planes and transform, the coded and the
// peer's decoded data.
constexpr std::uint64_t kPointBytesPerPictureByte = 6;

struct Context {
    const CTamrDoc& source;
    ConstPixelView original;
    int bytesPerPixel = 0;
    const SweepPointSink& sink;
};

void Measure(SweepPoint& point, const Context& context, ConstPixelView decoded, std::size_t bytes)
{
    point.bytes = bytes;
    point.bitsPerPixel =
        8.0 * static_cast<double>(bytes) / (static_cast<double>(context.original.width) * context.original.height);
    point.metrics = MeasurePictures(context.original, decoded, context.bytesPerPixel, 1);
}

// A copy of the opened picture coded as Compress codes it at the point's quality.
void RunTamrPoint(SweepPoint& point, const Context& context)
{
    CodecSettings settings;
    settings.threads = 1;
    settings.qualityFactor = static_cast<std::int16_t>(point.quality);
    ApplyQualityFactor(settings);
    auto job = context.source.MakeCompressJob(settings);
    if (job)
        CTamrDoc::RunCompressJob(*job);
    if (!job || !job->times) {
        point.failure = "tamr: compressing failed";
        return;
    }
    point.encodeSeconds = job->times->compressSeconds;
    point.decodeSeconds = job->times->decompressSeconds;
    const auto coded = job->codec->WriteHeader(); // the whole COD file
    const ConstPixelView decoded = job->image->WorkingView();
    Measure(point, context, decoded, coded.size());
    if (context.sink)
        context.sink(point, coded, decoded, context.bytesPerPixel);
}

// The layered JPEG 2000 encodes the points cut their files from.
using Jpeg2000Encodes = std::vector<Jpeg2000Encode>;

PeerPicture CutFromEncodes(const Jpeg2000Encodes& encodes, std::size_t targetBytes, const Context& context)
{
    if (targetBytes == 0)
        return PeerFailure("JPEG 2000: no tamr size to aim at");
    for (const Jpeg2000Encode& encode : encodes)
        if (std::binary_search(encode.targets.begin(), encode.targets.end(), targetBytes))
            return CutJpeg2000(encode, targetBytes, context.original, context.bytesPerPixel);
    return PeerFailure("JPEG 2000: no layer aims at that size");
}

void RunPeerPoint(SweepPoint& point, const Context& context, std::size_t targetBytes, const Jpeg2000Encodes& encodes)
{
    PeerPicture picture;
    switch (point.codec) {
    case SweepCodec::Jpeg:
        picture = CodeJpeg(context.original, context.bytesPerPixel, point.quality);
        break;
    case SweepCodec::Webp:
        picture = CodeWebp(context.original, context.bytesPerPixel, point.quality);
        break;
    case SweepCodec::Jpeg2000:
        picture = CutFromEncodes(encodes, targetBytes, context);
        break;
    case SweepCodec::Tamr:
        break;
    }
    if (picture.Failed()) {
        point.failure = picture.failure;
        return;
    }
    point.encodeSeconds = picture.encodeSeconds;
    point.decodeSeconds = picture.decodeSeconds;
    const ConstPixelView decoded{picture.decoded, context.original.width, context.original.height,
                                 context.original.rowPad};
    Measure(point, context, decoded, picture.coded.size());
    if (context.sink)
        context.sink(point, picture.coded, decoded, context.bytesPerPixel);
}

} // namespace

std::string_view SweepCodecName(SweepCodec codec)
{
    switch (codec) {
    case SweepCodec::Tamr:
        return "tamr";
    case SweepCodec::Jpeg:
        return "jpeg";
    case SweepCodec::Jpeg2000:
        return "jp2";
    case SweepCodec::Webp:
        return "webp";
    }
    return "";
}

std::optional<SweepCodec> SweepCodecNamed(std::string_view name)
{
    for (const SweepCodec codec : {SweepCodec::Tamr, SweepCodec::Jpeg, SweepCodec::Jpeg2000, SweepCodec::Webp})
        if (SweepCodecName(codec) == name)
            return codec;
    return std::nullopt;
}

std::optional<SweepResult> RunSweep(const std::filesystem::path& picture, const SweepRequest& request,
                                    Prompter& prompter, const SweepProgress& progress, const SweepPointSink& sink)
{
    // The picture as loaded is what every point codes and is measured against.
    CodecSettings settings;
    DisplaySettings display;
    DocumentEnvironment environment{settings, display, prompter};
    environment.limits = request.limits;
    CTamrDoc source(environment);
    if (!source.OnOpenDocument(picture) || source.SourceType() == FileType::Cod || !source.Image())
        return std::nullopt;
    // Every point's copy of the picture shares this one reference image.
    source.Image()->ShareReference();
    const CDibImage& image = *source.Image();
    SweepResult result;
    result.width = image.Width();
    result.height = image.Height();
    result.bytesPerPixel = image.BytesPerPixel();
    const Context context{source, image.ReferenceView(), image.BytesPerPixel(), sink};

    std::vector<SweepCodec> codecs{SweepCodec::Tamr};
    for (const SweepCodec peer : request.peers)
        if (peer != SweepCodec::Tamr && std::find(codecs.begin(), codecs.end(), peer) == codecs.end())
            codecs.push_back(peer);
    for (const SweepCodec codec : codecs)
        for (const int quality : request.qualities) {
            SweepPoint point;
            point.codec = codec;
            point.quality = quality;
            result.points.push_back(point);
        }
    const std::size_t qualityCount = request.qualities.size();
    if (qualityCount == 0)
        return result;
    auto tamrPoint = [&](std::size_t index) -> const SweepPoint& { return result.points[index % qualityCount]; };

    // Three rounds: tamr's points; then JPEG 2000's layered encodes, which aim
    // at tamr's sizes, beside the other peers' points; then the JPEG 2000
    // points, each cut from an encode.
    std::vector<std::size_t> tamr;
    std::vector<std::size_t> others;
    std::vector<std::size_t> jpeg2000;
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        const SweepCodec codec = result.points[i].codec;
        (codec == SweepCodec::Tamr ? tamr : codec == SweepCodec::Jpeg2000 ? jpeg2000 : others).push_back(i);
    }
    const auto stopped = [&] { return request.stop != nullptr && request.stop->load(); };
    std::size_t done = 0;
    std::mutex progressMutex;
    const int threads = request.limits.PointsInFlight(ResolveThreadCount(request.threads),
                                                      image.ImageSize() * kPointBytesPerPictureByte);
    auto runPoint = [&](std::size_t index, const Jpeg2000Encodes& encodes) {
        SweepPoint& point = result.points[index];
        if (stopped()) {
            point.failure = kSweepStopped;
        } else {
            try {
                if (point.codec == SweepCodec::Tamr) {
                    RunTamrPoint(point, context);
                } else {
                    const SweepPoint& aim = tamrPoint(index);
                    RunPeerPoint(point, context, aim.Failed() ? 0 : aim.bytes, encodes);
                }
            } catch (const std::bad_alloc&) {
                point.failure = std::string(SweepCodecName(point.codec)) + ": out of memory";
            }
        }
        const std::lock_guard lock(progressMutex);
        ++done;
        if (progress)
            progress(done, result.points.size());
    };

    Jpeg2000Encodes encodes;
    RunTasks(threads, tamr.size(), [&](std::size_t task) { runPoint(tamr[task], encodes); });

    std::vector<std::size_t> targets;
    for (const std::size_t index : jpeg2000)
        if (!tamrPoint(index).Failed())
            targets.push_back(tamrPoint(index).bytes);
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    for (std::size_t first = 0; first < targets.size(); first += kMaxJpeg2000Layers) {
        const auto last =
            targets.begin() + static_cast<std::ptrdiff_t>(std::min(targets.size(), first + kMaxJpeg2000Layers));
        encodes.emplace_back().targets.assign(targets.begin() + static_cast<std::ptrdiff_t>(first), last);
    }
    RunTasks(threads, encodes.size() + others.size(), [&](std::size_t task) {
        if (task >= encodes.size()) {
            runPoint(others[task - encodes.size()], encodes);
            return;
        }
        Jpeg2000Encode& encode = encodes[task];
        if (stopped()) {
            encode.failure = kSweepStopped;
            return;
        }
        try {
            encode = EncodeJpeg2000(context.original, context.bytesPerPixel, encode.targets);
        } catch (const std::bad_alloc&) {
            encode.failure = "jp2: out of memory";
        }
    });
    RunTasks(threads, jpeg2000.size(), [&](std::size_t task) { runPoint(jpeg2000[task], encodes); });

    if (source.SourceType() == FileType::Jpeg &&
        std::any_of(tamr.begin(), tamr.end(), [&](std::size_t i) { return !result.points[i].Failed(); }))
        result.notices.push_back("Warning: " + std::string(kJpegSourceWarning));
    return result;
}

} // namespace tamr
