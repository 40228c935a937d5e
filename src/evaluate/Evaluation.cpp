#include "evaluate/Evaluation.h"

#include <algorithm>
#include <cctype>

#include "evaluate/PointFolder.h"
#include "platform/FileIo.h"
#include "platform/Sha256.h"

namespace tamr {
namespace {

bool NamedAsPicture(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::string_view kExtensions[] = {".bmp",  ".tga",  ".gif",  ".jpg", ".jpeg", ".png",
                                                       ".ppm",  ".pgm",  ".pnm",  ".tif", ".tiff", ".webp",
                                                       ".avif", ".heif", ".heic", ".jxl"};
    return std::find(std::begin(kExtensions), std::end(kExtensions), extension) != std::end(kExtensions);
}

std::vector<SweepPoint> PointsOf(const SweepResult& result, const std::vector<const PeerCodec*>& codecs)
{
    std::vector<SweepPoint> points;
    for (const PeerCodec* codec : codecs)
        for (const SweepPoint& point : result.points)
            if (point.codec == codec)
                points.push_back(point);
    return points;
}

} // namespace

std::vector<std::filesystem::path> ListPictures(const std::vector<std::string>& names, std::string& missing)
{
    std::vector<std::filesystem::path> pictures;
    for (const std::string& name : names) {
        std::error_code error;
        if (std::filesystem::is_directory(name, error)) {
            std::vector<std::filesystem::path> found;
            for (const auto& entry : std::filesystem::directory_iterator(name, error))
                if (entry.is_regular_file(error) && NamedAsPicture(entry.path()))
                    found.push_back(entry.path());
            std::sort(found.begin(), found.end());
            pictures.insert(pictures.end(), found.begin(), found.end());
        } else if (std::filesystem::exists(name, error)) {
            pictures.emplace_back(name);
        } else {
            missing = name;
            return {};
        }
    }
    return pictures;
}

EvaluationRun RunEvaluation(const EvaluationRequest& request, Prompter& prompter, const EvaluationProgress& progress)
{
    EvaluationRun run;
    Evaluation& evaluation = run.evaluation;
    evaluation.programVersion = request.programVersion;
    for (const PeerCodec* codec : request.codecs)
        evaluation.codecs.push_back(
            {std::string(codec->name), std::string(codec->label), codec->describe ? codec->describe() : ""});
    evaluation.qualities = request.qualities;
    for (const std::string_view key : request.metrics.keys)
        evaluation.metrics.emplace_back(key);
    evaluation.pictureCount = request.pictures.size();

    SweepRequest sweep;
    sweep.qualities = request.qualities;
    for (const PeerCodec* codec : request.codecs)
        if (codec != &TamrCodec())
            sweep.peers.push_back(codec);
    sweep.threads = request.threads;
    sweep.metrics = request.metrics.Choice();
    sweep.stop = request.stop;
    sweep.limits = request.limits;
    sweep.readPolicy = request.readPolicy;
    const std::size_t shards = std::max<std::size_t>(request.shards, 1);
    std::vector<std::size_t> chosen;
    for (std::size_t index = request.shard; index < request.pictures.size(); index += shards)
        chosen.push_back(index);
    const std::size_t perPicture = request.qualities.size() * SweepCodecs(sweep).size();
    const std::size_t total = chosen.size() * perPicture;
    std::size_t before = 0;

    for (const std::size_t index : chosen) {
        const std::filesystem::path& path = request.pictures[index];
        EvaluatedPicture& picture = evaluation.pictures.emplace_back();
        picture.name = path.string();
        picture.index = index;
        const auto bytes = ReadFileBytes(path, request.limits);
        if (!bytes) {
            picture.failure = kPictureUnreadable;
            before += perPicture;
            continue;
        }
        picture.sha256 = Sha256Hex(*bytes);
        std::optional<PointFolder> folder;
        if (!request.folder.empty()) {
            folder.emplace(request.folder, request.programVersion, picture.sha256, sweep.metrics);
            sweep.store = &*folder;
        }
        const auto result = RunSweep(path, sweep, prompter, [&](std::size_t done, std::size_t) {
            if (progress)
                progress(before + done, total);
        });
        before += perPicture;
        if (folder) {
            run.pointsFound += folder->Found();
            const auto failures = folder->Failures();
            run.failures.insert(run.failures.end(), failures.begin(), failures.end());
        }
        if (!result) {
            picture.failure = kPictureNotSwept;
            continue;
        }
        picture.width = result->width;
        picture.height = result->height;
        picture.points = PointsOf(*result, request.codecs);
    }
    return run;
}

} // namespace tamr
