#include "document/RateDistortionSweep.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <new>

#include "codec/QualityFactor.h"
#include "document/TamrDoc.h"
#include "image/peers/PeerJpeg.h"
#include "image/peers/PeerJpeg2000.h"
#include "image/peers/PeerWebp.h"
#include "platform/ParallelTasks.h"

namespace tamr {
namespace {

// A point's own prompter: it keeps tamr's messages for the result and answers
// every question No, so that nothing is ever written or overwritten.
class KeepingPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override
    {
        messages.push_back(message.caption.empty() ? message.text : message.caption + ": " + message.text);
        return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest&) override { return std::nullopt; }

    std::vector<std::string> messages;
};

// One document with settings, display and prompter of its own, so that points share nothing.
struct PointSession {
    CodecSettings settings;
    DisplaySettings display;
    KeepingPrompter prompter;
    DocumentEnvironment environment{settings, display, prompter};
    CTamrDoc document{environment};
};

struct Context {
    const std::filesystem::path& path;
    ConstPixelView original;
    int bytesPerPixel = 0;
    const SweepPointSink& sink;
    std::mutex mutex;
    std::vector<std::string> notices;
    Limits limits;
};

void Measure(SweepPoint& point, const Context& context, ConstPixelView decoded, std::size_t bytes)
{
    point.bytes = bytes;
    point.bitsPerPixel =
        8.0 * static_cast<double>(bytes) / (static_cast<double>(context.original.width) * context.original.height);
    point.metrics = MeasurePictures(context.original, decoded, context.bytesPerPixel, 1);
}

void RunTamrPoint(SweepPoint& point, Context& context)
{
    auto session = std::make_unique<PointSession>();
    session->settings.threads = 1;
    session->environment.limits = context.limits;
    const bool done = session->document.OnOpenDocument(context.path) && [&] {
        session->settings.qualityFactor = static_cast<std::int16_t>(point.quality);
        ApplyQualityFactor(session->settings);
        return session->document.Compress();
    }();
    {
        const std::lock_guard lock(context.mutex);
        for (const auto& message : session->prompter.messages)
            if (std::find(context.notices.begin(), context.notices.end(), message) == context.notices.end())
                context.notices.push_back(message);
    }
    const WaveletCodec* codec = session->document.Codec();
    const CDibImage* image = session->document.Image();
    if (!done || !codec || !image) {
        point.failure = "tamr: compressing failed";
        return;
    }
    point.encodeSeconds = session->document.CompressSeconds();
    point.decodeSeconds = session->document.DecompressSeconds();
    const auto coded = codec->WriteHeader(); // the whole COD file
    Measure(point, context, image->WorkingView(), coded.size());
    if (context.sink)
        context.sink(point, coded, image->WorkingView(), context.bytesPerPixel);
}

void RunPeerPoint(SweepPoint& point, Context& context, std::size_t targetBytes)
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
        picture = targetBytes > 0 ? CodeJpeg2000(context.original, context.bytesPerPixel, targetBytes)
                                  : PeerFailure("JPEG 2000: no tamr size to aim at");
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
    // The picture as loaded is what every point is measured against.
    CodecSettings settings;
    DisplaySettings display;
    DocumentEnvironment environment{settings, display, prompter};
    environment.limits = request.limits;
    CTamrDoc source(environment);
    if (!source.OnOpenDocument(picture) || source.SourceType() == FileType::Cod || !source.Image())
        return std::nullopt;
    const CDibImage& image = *source.Image();
    SweepResult result;
    result.width = image.Width();
    result.height = image.Height();
    result.bytesPerPixel = image.BytesPerPixel();
    Context context{picture, image.ReferenceView(), image.BytesPerPixel(), sink, {}, {}, request.limits};

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

    // JPEG 2000 aims at tamr's sizes, so its points run once tamr's are done.
    std::vector<std::size_t> first;
    std::vector<std::size_t> second;
    for (std::size_t i = 0; i < result.points.size(); ++i)
        (result.points[i].codec == SweepCodec::Jpeg2000 ? second : first).push_back(i);
    std::size_t done = 0;
    std::mutex progressMutex;
    const int threads = ResolveThreadCount(request.threads);
    const std::size_t qualityCount = request.qualities.size();
    auto run = [&](const std::vector<std::size_t>& indices) {
        RunTasks(threads, indices.size(), [&](std::size_t task) {
            SweepPoint& point = result.points[indices[task]];
            if (request.stop != nullptr && request.stop->load()) {
                point.failure = kSweepStopped;
                return;
            }
            try {
                if (point.codec == SweepCodec::Tamr) {
                    RunTamrPoint(point, context);
                } else {
                    const SweepPoint& tamr = result.points[indices[task] % qualityCount];
                    RunPeerPoint(point, context, tamr.Failed() ? 0 : tamr.bytes);
                }
            } catch (const std::bad_alloc&) {
                point.failure = std::string(SweepCodecName(point.codec)) + ": out of memory";
            }
            const std::lock_guard lock(progressMutex);
            ++done;
            if (progress)
                progress(done, result.points.size());
        });
    };
    if (qualityCount > 0) {
        run(first);
        run(second);
    }
    result.notices = std::move(context.notices);
    return result;
}

} // namespace tamr
