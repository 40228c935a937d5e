#include "document/RateDistortionSweep.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <new>

#include "codec/QualityFactor.h"
#include "document/DocumentMessages.h"
#include "document/TamrDoc.h"
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
    MetricChoice metrics;
};

void Measure(SweepPoint& point, const Context& context, ConstPixelView decoded, std::size_t bytes)
{
    point.bytes = bytes;
    point.bitsPerPixel =
        8.0 * static_cast<double>(bytes) / (static_cast<double>(context.original.width) * context.original.height);
    point.metrics = MeasurePictures(context.original, decoded, context.bytesPerPixel, 1, context.metrics);
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

// The ladders of one codec: encodes of up to its ladderSizes sizes each,
// which its points are cut from.
struct Ladder {
    const PeerCodec* codec = nullptr;
    std::vector<std::size_t> targets; // ascending
    std::unique_ptr<SizeLadder> encode;
    std::string failure; // the encode did not run

    bool Holds(std::size_t targetBytes) const
    {
        return std::binary_search(targets.begin(), targets.end(), targetBytes);
    }
};
using Ladders = std::vector<Ladder>;

PeerPicture CutFromLadders(const PeerCodec& codec, const Ladders& ladders, std::size_t targetBytes,
                           const Context& context)
{
    for (const Ladder& ladder : ladders)
        if (ladder.codec == &codec && ladder.Holds(targetBytes)) {
            if (!ladder.failure.empty() || !ladder.encode)
                return PeerFailure(ladder.failure);
            return ladder.encode->Cut(targetBytes, context.original, context.bytesPerPixel);
        }
    return PeerFailure(std::string(codec.label) + ": no layer aims at that size");
}

PeerPicture CodePeerPoint(const SweepPoint& point, const Context& context, std::size_t targetBytes,
                          const Ladders& ladders)
{
    const PeerCodec& codec = *point.codec;
    if (!codec.available)
        return PeerFailure(std::string(codec.label) + " is not in this build");
    switch (codec.aim) {
    case SizeAim::Quality:
        return codec.codeAtQuality(context.original, context.bytesPerPixel, point.quality);
    case SizeAim::Bytes:
        if (targetBytes == 0)
            return PeerFailure(std::string(codec.label) + ": no tamr size to aim at");
        if (codec.encodeLadder != nullptr)
            return CutFromLadders(codec, ladders, targetBytes, context);
        return codec.codeAtBytes(context.original, context.bytesPerPixel, targetBytes);
    case SizeAim::Reference:
        break;
    }
    return PeerFailure(std::string(codec.label) + " is not a peer");
}

// What a point's coding depends on beside the picture.
std::string PointSettings(const SweepPoint& point, std::size_t targetBytes, const Ladders& ladders)
{
    const PeerCodec& codec = *point.codec;
    std::string settings = codec.describe ? codec.describe() + "; " : std::string();
    if (codec.aim != SizeAim::Bytes)
        return settings + "quality " + std::to_string(point.quality);
    settings += "aimed at " + std::to_string(targetBytes) + " bytes";
    for (const Ladder& ladder : ladders)
        if (ladder.codec == &codec && ladder.Holds(targetBytes)) {
            settings += " in one encode aimed at";
            for (const std::size_t target : ladder.targets)
                settings += " " + std::to_string(target);
        }
    return settings;
}

void RunPeerPoint(SweepPoint& point, const Context& context, std::size_t targetBytes, const Ladders& ladders)
{
    const PeerPicture picture = CodePeerPoint(point, context, targetBytes, ladders);
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

bool CutFromLadder(const SweepPoint& point)
{
    return point.codec->aim == SizeAim::Bytes && point.codec->encodeLadder != nullptr && point.codec->available;
}

// The ladders the points of ladder codecs are cut from: tamr's measured sizes
// of those points, ascending, in groups of the codec's ladderSizes.
Ladders PlanLadders(const std::vector<const PeerCodec*>& codecs, const std::vector<std::size_t>& cutPoints,
                    const SweepResult& result, const std::function<const SweepPoint&(std::size_t)>& tamrPoint)
{
    Ladders ladders;
    for (const PeerCodec* codec : codecs) {
        std::vector<std::size_t> targets;
        for (const std::size_t index : cutPoints)
            if (result.points[index].codec == codec && !tamrPoint(index).Failed())
                targets.push_back(tamrPoint(index).bytes);
        std::sort(targets.begin(), targets.end());
        targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
        const std::size_t size = std::max<std::size_t>(codec->ladderSizes, 1);
        for (std::size_t first = 0; first < targets.size(); first += size) {
            Ladder& ladder = ladders.emplace_back();
            ladder.codec = codec;
            const auto last = targets.begin() + static_cast<std::ptrdiff_t>(std::min(targets.size(), first + size));
            ladder.targets.assign(targets.begin() + static_cast<std::ptrdiff_t>(first), last);
        }
    }
    return ladders;
}

} // namespace

std::vector<const PeerCodec*> SweepCodecs(const SweepRequest& request)
{
    std::vector<const PeerCodec*> codecs{&TamrCodec()};
    for (const PeerCodec* peer : request.peers)
        if (peer != nullptr && std::find(codecs.begin(), codecs.end(), peer) == codecs.end())
            codecs.push_back(peer);
    return codecs;
}

std::optional<SweepResult> RunSweep(const std::filesystem::path& picture, const SweepRequest& request,
                                    Prompter& prompter, const SweepProgress& progress, const SweepPointSink& sink)
{
    // The picture as loaded is what every point codes and is measured against.
    CodecSettings settings;
    DisplaySettings display;
    DocumentEnvironment environment{settings, display, prompter};
    environment.limits = request.limits;
    environment.readPolicy = request.readPolicy;
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
    const Context context{source, image.ReferenceView(), image.BytesPerPixel(), sink, request.metrics};

    const std::vector<const PeerCodec*> codecs = SweepCodecs(request);
    for (const PeerCodec* codec : codecs)
        for (const int quality : request.qualities) {
            SweepPoint point;
            point.codec = codec;
            point.quality = quality;
            result.points.push_back(point);
        }
    const std::size_t qualityCount = request.qualities.size();
    if (qualityCount == 0)
        return result;
    std::function<const SweepPoint&(std::size_t)> tamrPoint = [&](std::size_t index) -> const SweepPoint& {
        return result.points[index % qualityCount];
    };

    // Three rounds: tamr's points and those of the peers coded at a
    // quality, taken quality by quality, so that a sweep stopped early has
    // every codec at its first qualities; then the ladder encodes, which aim
    // at tamr's sizes, beside the points of the other peers aimed at them;
    // then the points cut from the ladders.
    std::vector<std::size_t> first;
    std::vector<std::size_t> others;
    std::vector<std::size_t> cut;
    for (std::size_t q = 0; q < qualityCount; ++q)
        for (std::size_t c = 0; c < codecs.size(); ++c) {
            const std::size_t i = c * qualityCount + q;
            const SweepPoint& point = result.points[i];
            const bool atQuality = point.codec == &TamrCodec() || point.codec->aim == SizeAim::Quality;
            (atQuality ? first : CutFromLadder(point) ? cut : others).push_back(i);
        }
    const auto stopped = [&] { return request.stop != nullptr && request.stop->load(); };
    std::size_t done = 0;
    std::mutex progressMutex;
    const int threads = request.limits.PointsInFlight(ResolveThreadCount(request.threads),
                                                      image.ImageSize() * kPointBytesPerPictureByte);
    Ladders ladders;
    const auto targetOf = [&](std::size_t index) -> std::size_t {
        const SweepPoint& aim = tamrPoint(index);
        return aim.Failed() ? 0 : aim.bytes;
    };
    // Points the store has are taken as they are; the others are kept there once measured.
    std::vector<char> known(result.points.size(), 0);
    const auto settingsOf = [&](std::size_t index) {
        return PointSettings(result.points[index], targetOf(index), ladders);
    };
    const auto findKnown = [&](std::size_t index) {
        if (request.store == nullptr || known[index] != 0)
            return;
        SweepPoint& point = result.points[index];
        if (point.codec->aim == SizeAim::Bytes && targetOf(index) == 0)
            return;
        if (auto found = request.store->Find(point, settingsOf(index))) {
            found->codec = point.codec;
            found->quality = point.quality;
            found->settings = settingsOf(index);
            point = std::move(*found);
            known[index] = 1;
        }
    };
    auto runPoint = [&](std::size_t index) {
        SweepPoint& point = result.points[index];
        findKnown(index);
        if (known[index] == 0)
            point.settings = settingsOf(index);
        if (known[index] == 0 && stopped()) {
            point.failure = kSweepStopped;
        } else if (known[index] == 0) {
            try {
                if (point.codec == &TamrCodec()) {
                    RunTamrPoint(point, context);
                } else {
                    RunPeerPoint(point, context, targetOf(index), ladders);
                }
                if (request.store != nullptr && !point.Failed())
                    request.store->Keep(point, point.settings);
            } catch (const std::bad_alloc&) {
                point.failure = std::string(point.codec->name) + ": out of memory";
            }
        }
        const std::lock_guard lock(progressMutex);
        ++done;
        if (progress)
            progress(done, result.points.size());
    };

    RunTasks(threads, first.size(), [&](std::size_t task) { runPoint(first[task]); });

    ladders = PlanLadders(codecs, cut, result, tamrPoint);
    // A ladder whose every point is known is not encoded.
    for (const std::size_t index : cut)
        findKnown(index);
    const auto needed = [&](const Ladder& ladder) {
        return std::any_of(cut.begin(), cut.end(), [&](std::size_t index) {
            return known[index] == 0 && result.points[index].codec == ladder.codec && ladder.Holds(targetOf(index));
        });
    };
    RunTasks(threads, ladders.size() + others.size(), [&](std::size_t task) {
        if (task >= ladders.size()) {
            runPoint(others[task - ladders.size()]);
            return;
        }
        Ladder& ladder = ladders[task];
        if (!needed(ladder))
            return;
        if (stopped()) {
            ladder.failure = kSweepStopped;
            return;
        }
        try {
            ladder.encode = ladder.codec->encodeLadder(context.original, context.bytesPerPixel, ladder.targets);
        } catch (const std::bad_alloc&) {
            ladder.failure = std::string(ladder.codec->name) + ": out of memory";
        }
    });
    RunTasks(threads, cut.size(), [&](std::size_t task) { runPoint(cut[task]); });

    if (source.SourceType() == FileType::Jpeg &&
        std::any_of(result.points.begin(), result.points.begin() + static_cast<std::ptrdiff_t>(qualityCount),
                    [](const SweepPoint& point) { return !point.Failed(); }))
        result.notices.push_back("Warning: " + std::string(kJpegSourceWarning));
    return result;
}

} // namespace tamr
