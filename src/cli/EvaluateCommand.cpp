#include "cli/EvaluateCommand.h"

#include <algorithm>
#include <optional>

#include "cli/CodecLists.h"
#include "cli/OutputName.h"
#include "cli/ProgressBar.h"
#include "cli/StderrPrompter.h"
#include "evaluate/EvaluationRecord.h"
#include "evaluate/ReportHtml.h"
#include "evaluate/ReportOutput.h"
#include "evaluate/Thumbnail.h"
#include "peers/PeerCodecs.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

// "K/N" with 1 <= K <= N: the shard's index from 0 and the count.
std::optional<std::pair<std::size_t, std::size_t>> ParseShard(const std::string& text)
{
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const std::string k = text.substr(0, slash);
    const std::string n = text.substr(slash + 1);
    const auto digits = [](const std::string& part) {
        return !part.empty() && part.size() <= 6 && part.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(k) || !digits(n))
        return std::nullopt;
    const std::size_t index = std::stoul(k);
    const std::size_t count = std::stoul(n);
    if (index < 1 || index > count)
        return std::nullopt;
    return std::pair(index - 1, count);
}

std::string ShardProblem(const std::string& text)
{
    return ParseShard(text) ? std::string() : "takes K/N, the K-th of N shards (1 <= K <= N), not \"" + text + "\"";
}

std::span<const std::uint8_t> Bytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::optional<Evaluation> ReadShards(const std::vector<std::string>& folders, std::ostream& err)
{
    std::vector<Evaluation> shards;
    for (const std::string& folder : folders) {
        const std::filesystem::path path = std::filesystem::path(folder) / kEvaluationFile;
        const auto bytes = ReadFileBytes(path);
        if (!bytes) {
            err << "tamr-cli: cannot read " << path.string() << " (a folder evaluate --out wrote)\n";
            return std::nullopt;
        }
        std::string problem;
        auto evaluation =
            EvaluationFromRecord(nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false), problem);
        if (!evaluation) {
            err << "tamr-cli: " << path.string() << ": " << problem << '\n';
            return std::nullopt;
        }
        shards.push_back(std::move(*evaluation));
    }
    std::string problem;
    auto merged = MergeEvaluations(shards, problem);
    if (!merged)
        err << "tamr-cli: cannot merge: " << problem << '\n';
    else if (merged->pictures.size() < merged->pictureCount)
        err << "tamr-cli: the folders hold " << merged->pictures.size() << " of the " << merged->pictureCount
            << " pictures; the report is of those\n";
    return merged;
}

// Prints the report, and writes its HTML page when asked; false when the page was not written.
bool PrintReport(const Evaluation& evaluation, const EvaluateOptions& options, std::ostream& out, std::ostream& err)
{
    const EvaluationReport report = MakeReport(evaluation, options.anchor, *FindCurveFit(options.bdMethod));
    bool written = true;
    if (!options.reportFile.empty()) {
        std::vector<std::string> inputs;
        inputs.reserve(evaluation.pictures.size());
        for (const EvaluatedPicture& picture : evaluation.pictures)
            inputs.push_back(picture.name);
        // Pictures of shards run elsewhere may not be here: no thumbnail for them.
        std::vector<std::string> thumbnails;
        thumbnails.reserve(evaluation.pictures.size());
        for (const EvaluatedPicture& picture : evaluation.pictures)
            thumbnails.push_back(picture.failure.empty() ? ThumbnailDataUri(picture.name, options.limits,
                                                                            ReadPolicy{options.console.anyVariant})
                                                         : std::string());
        const std::string page = ReportHtml(evaluation, report, thumbnails);
        written = !RefuseOutputOverInputs(inputs, options.reportFile, err) &&
                  WriteCommandOutput(options.reportFile, Bytes(page), err);
    }
    if (options.jsonSchema == "compressai")
        out << CompressAiResults(evaluation).dump(2) << '\n';
    else if (options.json)
        out << ReportJson(evaluation, report).dump(2) << '\n';
    else if (options.csv)
        out << ReportCsv(report);
    else
        out << ReportTable(evaluation, report);
    return written;
}

} // namespace

CLI::App* AddEvaluateCommand(CLI::App& app, EvaluateOptions& options)
{
    CLI::App* command = app.add_subcommand(
        "evaluate", "Code many pictures with many codecs and give each codec's BD-rate against an anchor");
    command->add_option("PICTURES", options.inputs, "pictures, and folders whose pictures are all taken");
    command->add_option("--codecs", options.codecs, "the codecs: " + CodecNames() + ", separated by commas")
        ->capture_default_str()
        ->check(CLI::Validator([](const std::string& text) { return ParseCodecs(text).problem; }, "", "codecs"));
    command->add_option("--qualities", options.qualities, "FIRST:LAST:STEP or a list Q1,Q2,... of quality factors")
        ->capture_default_str();
    command
        ->add_option("--metrics", options.metrics,
                     "the figures measured at every point and compared (as sweep --metrics takes them)")
        ->capture_default_str()
        ->check(CLI::Validator([](const std::string& text) { return ParseMetricList(text).problem; }, "", "metrics"));
    command->add_option("--anchor", options.anchor, "the codec the others are measured against")
        ->capture_default_str()
        ->check(CLI::Validator(AnchorProblem, "", "anchor"));
    command->add_option("--bd-method", options.bdMethod, "the curve fit: akima, pchip or cubic")
        ->capture_default_str()
        ->check(CLI::IsMember({"akima", "pchip", "cubic"}));
    NamesAFile(command->add_option("--out", options.outputFolder,
                                   "keep every point and the evaluation in this folder; a rerun codes only what is "
                                   "missing"));
    NamesAFile(command->add_option("--report", options.reportFile,
                                   "also write the report as one HTML page (curves, tables, each picture's curves)"));
    auto* json = command->add_flag("--json", options.json, "print the report as one JSON object");
    auto* csv = command->add_flag("--csv", options.csv, "print the deltas as CSV");
    json->excludes(csv);
    command
        ->add_option("--json-schema", options.jsonSchema,
                     "tamr, or compressai: the mean curves in its results "
                     "schema")
        ->capture_default_str()
        ->check(CLI::IsMember({"tamr", "compressai"}))
        ->excludes(csv);
    command->add_option("--threads", options.threads, "points coded at once (default: one per core)")
        ->check(CLI::Range(1, 256));
    command->add_option("--shard", options.shard, "K/N: evaluate every N-th picture from the K-th")
        ->check(CLI::Validator(ShardProblem, "", "shard"));
    command->add_option("--merge", options.merge, "make one report of the folders of shards (their --out)")
        ->expected(1, -1);
    return command;
}

int RunEvaluateCommand(const EvaluateOptions& options, std::ostream& out, std::ostream& err)
{
    if (!options.merge.empty()) {
        if (!options.inputs.empty() || !options.outputFolder.empty() || !options.shard.empty()) {
            err << "tamr-cli: evaluate --merge takes folders only, no pictures, --out or --shard\n";
            return kUsageError;
        }
        const auto merged = ReadShards(options.merge, err);
        if (!merged)
            return 1;
        if (std::none_of(merged->codecs.begin(), merged->codecs.end(),
                         [&](const EvaluatedCodec& codec) { return codec.name == options.anchor; })) {
            err << "tamr-cli: --anchor " << options.anchor << " is not among the codecs evaluated\n";
            return kUsageError;
        }
        return PrintReport(*merged, options, out, err) ? 0 : 1;
    }
    if (options.inputs.empty()) {
        err << "tamr-cli: evaluate needs pictures or folders (or --merge FOLDERS)\n";
        return kUsageError;
    }
    const auto qualities = ParseQualities(options.qualities);
    if (!qualities) {
        err << "tamr-cli: --qualities takes FIRST:LAST:STEP or Q1,Q2,... with qualities 0 to 100, not \""
            << options.qualities << "\"\n";
        return kUsageError;
    }
    if (options.outputFolder == kStandardStreamName) {
        err << "tamr-cli: --out names a folder, not the standard output\n";
        return kUsageError;
    }
    CodecList codecs = ParseCodecs(options.codecs);
    const PeerCodec* anchor = FindCodec(options.anchor);
    if (std::find(codecs.codecs.begin(), codecs.codecs.end(), anchor) == codecs.codecs.end())
        codecs.codecs.insert(codecs.codecs.begin(), anchor);
    std::string missing;
    const auto pictures = ListPictures(options.inputs, missing);
    if (!missing.empty()) {
        err << "tamr-cli: " << missing << ": no such file or folder\n";
        return 1;
    }

    EvaluationRequest request;
    request.pictures = pictures;
    request.codecs = codecs.codecs;
    request.qualities = *qualities;
    request.metrics = ParseMetricList(options.metrics).selection;
    request.threads = options.threads;
    request.limits = options.limits;
    request.readPolicy.anyVariant = options.console.anyVariant;
    request.programVersion = options.programVersion;
    request.folder = options.outputFolder;
    if (!options.shard.empty()) {
        const auto shard = *ParseShard(options.shard);
        request.shard = shard.first;
        request.shards = shard.second;
    }
    const std::filesystem::path folder = options.outputFolder;
    std::vector<std::string> inputs;
    inputs.reserve(pictures.size());
    for (const auto& picture : pictures)
        inputs.push_back(picture.string());
    if (!folder.empty()) {
        if (RefuseOutputOverInputs(inputs, folder / kEvaluationFile, err) || !MakeOutputFolder(folder, err))
            return 1;
    }

    StderrPrompter prompter(err);
    prompter.KeepNoticesToItself(true);
    std::size_t sweptCodecs = codecs.codecs.size();
    if (std::find(codecs.codecs.begin(), codecs.codecs.end(), &TamrCodec()) == codecs.codecs.end())
        ++sweptCodecs;
    const std::size_t shards = std::max<std::size_t>(request.shards, 1);
    const std::size_t chosen = (pictures.size() + shards - 1 - request.shard) / shards;
    ProgressBar bar(chosen * qualities->size() * sweptCodecs, options.console.ShowsProgress());
    const EvaluationRun run = RunEvaluation(request, prompter, [&](std::size_t, std::size_t) { bar.Advance(); });

    bool ok = true;
    for (const EvaluatedPicture& picture : run.evaluation.pictures)
        if (!picture.failure.empty()) {
            err << "tamr-cli: " << picture.name << ": " << picture.failure << '\n';
            ok = false;
        }
    for (const std::string& failure : run.failures) {
        err << "tamr-cli: a point was not kept: " << failure << '\n';
        ok = false;
    }
    if (!folder.empty()) {
        if (!options.console.quiet)
            err << "evaluate: " << run.pointsFound << " points taken from " << folder.string() << '\n';
        const std::string record = EvaluationRecord(run.evaluation).dump(1) + '\n';
        ok = WriteCommandOutput(folder / kEvaluationFile, Bytes(record), err) && ok;
    }
    ok = PrintReport(run.evaluation, options, out, err) && ok;
    return ok ? 0 : 1;
}

} // namespace tamr
