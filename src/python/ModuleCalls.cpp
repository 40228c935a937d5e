#include "python/ModuleCalls.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <new>

#include "cli/CodecLists.h"
#include "cli/FigureOutput.h"
#include "cli/SweepJson.h"
#include "document/DocumentMessages.h"
#include "document/RateDistortionSweep.h"
#include "document/TamrDoc.h"
#include "evaluate/Evaluation.h"
#include "evaluate/EvaluationRecord.h"
#include "evaluate/EvaluationReport.h"
#include "evaluate/ReportOutput.h"
#include "image/ImageCompression.h"
#include "image/MetricNames.h"

namespace tamr {
namespace {

constexpr std::string_view kNotAPicture =
    "tamr takes arrays of H x W x 3 (red, green, blue) or H x W (gray) bytes, each side 1 to 65535";
constexpr std::string_view kDifferentPictures = "the pictures must have the same size and depth";
constexpr std::string_view kCannotSweep = "a picture tamr opens, not a COD file";
constexpr std::string_view kUnknownFit = "the curve fit is akima, pchip or cubic, not ";

// Keeps what the core tells the user; the failure's message is the last
// error or warning, with its detail.
class MessageKeeper : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override
    {
        if (message.icon == MessageIcon::Error || message.icon == MessageIcon::Warning ||
            message.icon == MessageIcon::None)
            last_ = message.text;
        return DefaultAnswer(message.buttons);
    }
    void ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail) override
    {
        ShowError(text, caption);
        if (!detail.empty())
            last_ += ": " + detail;
    }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& /*request*/) override { return std::nullopt; }

    // What was said, or `otherwise` when nothing was.
    std::string Said(std::string_view otherwise) const { return last_.empty() ? std::string(otherwise) : last_; }

private:
    std::string last_;
};

std::optional<ByteBlock> BlockOf(RowsView rows)
{
    return PackedBlockOfRows(rows.samples, rows.width, rows.height, rows.channels);
}

// The picture of rows loaded into the image model as a reader's block is.
Status LoadRows(RowsView rows, CDibImage& image, Prompter& prompter)
{
    auto block = BlockOf(rows);
    if (!block)
        return FailureKind::Unsupported;
    return image.LoadPackedBlock(std::move(*block), prompter, DisplaySettings{}, Limits{});
}

std::string Describe(const CDibImage& image)
{
    return std::to_string(image.Width()) + " x " + std::to_string(image.Height()) +
           (image.BytesPerPixel() == 3 ? " colour" : " gray");
}

} // namespace

Outcome<std::vector<std::uint8_t>> CompressRows(RowsView rows, const CodecOptions& options)
{
    MessageKeeper prompter;
    const auto settings = SettingsFromOptions(options, prompter);
    if (!settings)
        return Outcome<std::vector<std::uint8_t>>::Failed(prompter.Said(kCompressErrorMessage));
    try {
        // As the document codes a picture it opened.
        CDibImage image;
        if (!LoadRows(rows, image, prompter))
            return Outcome<std::vector<std::uint8_t>>::Failed(prompter.Said(kNotAPicture));
        WaveletCodec codec(*settings, image.Width(), image.Height(), image.BitsPerPixel(), image.DetectColour() == 1);
        // Coded as Compress codes it, without the decoding Compress shows.
        if (!EncodeImage(image, codec, *settings))
            return Outcome<std::vector<std::uint8_t>>::Failed(std::string(kCompressErrorMessage));
        return {codec.WriteHeader(), {}};
    } catch (const std::bad_alloc&) {
        return Outcome<std::vector<std::uint8_t>>::Failed(std::string(kCompressErrorMessage));
    }
}

Outcome<PlainPicture> DecompressCod(std::span<const std::uint8_t> file)
{
    try {
        WaveletCodec codec{CodecSettings{}};
        CDibImage image;
        if (!codec.ReadHeader(file, Limits{}) || !DecodeCodImage(image, codec, DisplaySettings{}))
            return Outcome<PlainPicture>::Failed(std::string(kDecompressErrorMessage));
        return {PlainPictureOf(image.WorkingView(), image.BytesPerPixel()), {}};
    } catch (const std::bad_alloc&) {
        return Outcome<PlainPicture>::Failed(std::string(kDecompressErrorMessage));
    }
}

Outcome<PlainPicture> CodHeader(std::span<const std::uint8_t> file)
{
    WaveletCodec codec{CodecSettings{}};
    if (!codec.ReadHeader(file, Limits{}))
        return Outcome<PlainPicture>::Failed(std::string(kDecompressErrorMessage));
    return {PlainPicture{codec.Width(), codec.Height(), codec.IsColour() ? 3 : 1, {}}, {}};
}

Outcome<PlainPicture> ReadPictureFile(const std::filesystem::path& path)
{
    MessageKeeper prompter;
    CodecSettings settings;
    DisplaySettings display;
    DocumentEnvironment environment{settings, display, prompter};
    CTamrDoc document(environment);
    const Status opened = document.OnOpenDocument(path);
    if (opened.IsOverDecodeLimit())
        return Outcome<PlainPicture>::Failed(path.string() + ' ' + DecodeLimitText(environment.limits));
    if (!opened || document.Image() == nullptr || document.Image()->BytesPerPixel() == 0)
        return Outcome<PlainPicture>::Failed(prompter.Said("cannot open " + path.string()));
    const CDibImage& image = *document.Image();
    return {PlainPictureOf(image.WorkingView(), image.BytesPerPixel()), {}};
}

Outcome<std::string> CompareRows(RowsView first, RowsView second, const std::string& metrics)
{
    const MetricListParse parse = ParseMetricList(metrics);
    if (!parse.problem.empty())
        return Outcome<std::string>::Failed(parse.problem);
    MessageKeeper prompter;
    CDibImage a;
    CDibImage b;
    if (!LoadRows(first, a, prompter) || !LoadRows(second, b, prompter))
        return Outcome<std::string>::Failed(prompter.Said(kNotAPicture));
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BytesPerPixel() != b.BytesPerPixel())
        return Outcome<std::string>::Failed(Describe(a) + " and " + Describe(b) + ": " +
                                            std::string(kDifferentPictures));
    const PictureMetrics figures =
        MeasurePictures(a.WorkingView(), b.WorkingView(), a.BytesPerPixel(), 0, parse.selection.Choice());
    nlohmann::json object = {{"width", a.Width()}, {"height", a.Height()}};
    AddMetricsJson(object, figures, parse.selection);
    return {object.dump(), {}};
}

Outcome<std::string> SweepPicture(const SweepCall& call)
{
    const auto qualities = ParseQualities(call.qualities);
    if (!qualities)
        return Outcome<std::string>::Failed(
            "qualities take FIRST:LAST:STEP or Q1,Q2,... with qualities 0 to 100, not \"" + call.qualities + "\"");
    const PeerList peers = ParsePeers(call.peers);
    if (!peers.unknown.empty())
        return Outcome<std::string>::Failed(PeersProblem(call.peers));
    const MetricListParse metrics = ParseMetricList(call.metrics);
    if (!metrics.problem.empty())
        return Outcome<std::string>::Failed(metrics.problem);
    SweepRequest request{*qualities, peers.peers, call.threads, metrics.selection.Choice()};
    MessageKeeper prompter;
    const auto result = RunSweep(call.picture, request, prompter);
    if (!result)
        return Outcome<std::string>::Failed(
            prompter.Said("cannot sweep " + call.picture.string() + " (" + std::string(kCannotSweep) + ")"));
    return {SweepJson(*result, request, metrics.selection, call.picture.filename().string()).dump(), {}};
}

Outcome<std::vector<std::string>> ListEvaluationPictures(const std::vector<std::string>& names)
{
    std::string missing;
    const auto pictures = ListPictures(names, missing);
    if (!missing.empty())
        return Outcome<std::vector<std::string>>::Failed(missing + ": no such file or folder");
    std::vector<std::string> files;
    files.reserve(pictures.size());
    for (const auto& picture : pictures)
        files.push_back(picture.string());
    return {files, {}};
}

std::string EvaluateCallProblem(const EvaluateCall& call)
{
    if (const CodecList codecs = ParseCodecs(call.codecs); !codecs.problem.empty())
        return "codecs: " + codecs.problem;
    if (!ParseQualities(call.qualities))
        return "qualities take FIRST:LAST:STEP or Q1,Q2,... with qualities 0 to 100, not \"" + call.qualities + "\"";
    if (const MetricListParse metrics = ParseMetricList(call.metrics); !metrics.problem.empty())
        return "metrics: " + metrics.problem;
    if (const std::string anchor = AnchorProblem(call.anchor); !anchor.empty())
        return "anchor: " + anchor;
    if (!FindCurveFit(call.bdMethod))
        return std::string(kUnknownFit) + "\"" + call.bdMethod + "\"";
    if (call.pictures.empty())
        return "no pictures to evaluate";
    return {};
}

Outcome<std::string> EvaluateShard(const EvaluateCall& call)
{
    if (const std::string problem = EvaluateCallProblem(call); !problem.empty())
        return Outcome<std::string>::Failed(problem);
    // The anchor is evaluated first when the codecs leave it out, as on the command line.
    CodecList codecs = ParseCodecs(call.codecs);
    const PeerCodec* anchor = FindCodec(call.anchor);
    if (std::find(codecs.codecs.begin(), codecs.codecs.end(), anchor) == codecs.codecs.end())
        codecs.codecs.insert(codecs.codecs.begin(), anchor);
    EvaluationRequest request;
    request.pictures.assign(call.pictures.begin(), call.pictures.end());
    request.codecs = codecs.codecs;
    request.qualities = *ParseQualities(call.qualities);
    request.metrics = ParseMetricList(call.metrics).selection;
    request.threads = call.threads;
    request.programVersion = TAMR_VERSION;
    request.shard = call.shard;
    request.shards = std::max<std::size_t>(call.shards, 1);
    MessageKeeper prompter;
    const EvaluationRun run = RunEvaluation(request, prompter);
    return {EvaluationRecord(run.evaluation).dump(), {}};
}

Outcome<std::string> EvaluationReportOf(const std::vector<std::string>& records, const std::string& anchor,
                                        const std::string& bdMethod)
{
    const auto fit = FindCurveFit(bdMethod);
    if (!fit)
        return Outcome<std::string>::Failed(std::string(kUnknownFit) + "\"" + bdMethod + "\"");
    std::vector<Evaluation> shards;
    std::string problem;
    for (const std::string& record : records) {
        auto evaluation = EvaluationFromRecord(nlohmann::json::parse(record, nullptr, false), problem);
        if (!evaluation)
            return Outcome<std::string>::Failed(problem);
        shards.push_back(std::move(*evaluation));
    }
    const auto merged = MergeEvaluations(shards, problem);
    if (!merged)
        return Outcome<std::string>::Failed("cannot merge: " + problem);
    return {ReportJson(*merged, MakeReport(*merged, anchor, *fit)).dump(), {}};
}

Outcome<double> BdRateOf(std::span<const RatePoint> anchor, std::span<const RatePoint> test, const std::string& method)
{
    const auto fit = FindCurveFit(method);
    if (!fit)
        return Outcome<double>::Failed(std::string(kUnknownFit) + "\"" + method + "\"");
    const BjontegaardDelta delta = BdRate(anchor, test, *fit);
    if (!delta.Measured())
        return Outcome<double>::Failed(delta.problem);
    return {delta.value, {}};
}

} // namespace tamr
