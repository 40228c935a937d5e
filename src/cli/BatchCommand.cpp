#include "cli/BatchCommand.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "cli/CliSession.h"
#include "cli/FigureOutput.h"
#include "cli/ProgressBar.h"
#include "codec/QualityFactor.h"
#include "document/DocumentMessages.h"
#include "document/DocumentStatistics.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

struct BatchResult {
    bool done = false;
    // What the program told the user about this file: the reason of a
    // failure, or notices such as the JPEG warning.
    std::string messages;
    DocumentFigures figures;
};

BatchResult CompressOne(const std::filesystem::path& input, const std::filesystem::path& output, int quality,
                        const Limits& limits, bool anyVariant)
{
    BatchResult result;
    std::ostringstream messages;
    CliSession session(messages, limits);
    session.environment.readPolicy.anyVariant = anyVariant;
    session.settings.qualityFactor = static_cast<std::int16_t>(quality);
    ApplyQualityFactor(session.settings);
    auto document = session.Open(input, messages);
    if (document && document->SourceType() == FileType::Cod)
        messages << "already a COD file\n";
    else if (document && !document->Compress(CTamrDoc::Showing::Measured)) // only the COD file is written
        messages << kCompressErrorMessage << '\n';
    else if (document) {
        // Taken before the save: its figures are those of the compression.
        result.figures = Figures(*document);
        result.done = session.SaveAs(*document, output.string(), "", {input.string()}, messages);
    }
    result.messages = messages.str();
    if (!result.messages.empty() && result.messages.back() == '\n')
        result.messages.pop_back();
    return result;
}

std::string Cell(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

CLI::App* AddBatchCommand(CLI::App& app, BatchOptions& options)
{
    CLI::App* command = app.add_subcommand("batch", "Compress many pictures into COD files, using every core");
    NamesAFile(command->add_option("--out", options.outputFolder, "the folder for the COD files"))->required();
    command->add_option("-q,--quality", options.quality, "quality factor 0..100")->check(CLI::Range(0, 100));
    command->add_option("--threads", options.threads, "worker threads (default: one per core)")
        ->check(CLI::Range(1, 256));
    command->add_flag("--json", options.json, "print the table as one JSON object");
    NamesAFile(command->add_option("FILES", options.files, "the pictures"))->required();
    return command;
}

int RunBatchCommand(const BatchOptions& options, std::ostream& out, std::ostream& err)
{
    // Each COD file is named after its picture's file: standard input has none.
    if (options.outputFolder == kStandardStreamName ||
        std::ranges::find(options.files, std::string(kStandardStreamName)) != options.files.end()) {
        err << "tamr-cli: batch reads and writes named files; - (standard input or output) is not one\n";
        return kUsageError;
    }
    std::error_code error;
    std::filesystem::create_directories(options.outputFolder, error);
    if (!std::filesystem::is_directory(options.outputFolder)) {
        err << "tamr-cli: cannot use the folder " << options.outputFolder << '\n';
        return 1;
    }
    const std::size_t count = options.files.size();
    std::vector<std::filesystem::path> outputs(count);
    std::vector<BatchResult> results(count);
    std::set<std::filesystem::path> taken;
    for (std::size_t i = 0; i < count; ++i) {
        outputs[i] = std::filesystem::path(options.outputFolder) /
                     std::filesystem::path(options.files[i]).filename().replace_extension(".cod");
        if (!taken.insert(outputs[i]).second)
            results[i].messages = "another file of the batch writes " + outputs[i].string();
        else if (std::ranges::any_of(options.files,
                                     [&](const std::string& file) { return SameFile(file, outputs[i]); }))
            results[i].messages = OutputIsInputText(outputs[i].string());
    }

    unsigned threads = options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(count, 1)));
    ProgressBar progress(count, options.console.ShowsProgress());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            if (results[i].messages.empty())
                results[i] = CompressOne(options.files[i], outputs[i], options.quality, options.limits,
                                         options.console.anyVariant);
            progress.Advance();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (unsigned t = 0; t < threads; ++t)
            workers.emplace_back(work);
    }

    int failures = 0;
    nlohmann::json rows = nlohmann::json::array();
    if (!options.json)
        out << "file\tsize\tratio\tPSNR\tcompress s\tdecompress s\n";
    for (std::size_t i = 0; i < count; ++i) {
        const BatchResult& result = results[i];
        if (!result.done) {
            ++failures;
            std::string reason = result.messages;
            std::ranges::replace(reason, '\n', ' '); // one row per file
            if (options.json)
                rows.push_back({{"file", options.files[i]}, {"output", outputs[i].string()}, {"error", reason}});
            else
                out << options.files[i] << "\tfailed: " << reason << '\n';
            continue;
        }
        if (!result.messages.empty() && !options.console.quiet) {
            std::istringstream lines(result.messages);
            for (std::string line; std::getline(lines, line);)
                err << options.files[i] << ": " << line << '\n';
        }
        const DocumentFigures& f = result.figures;
        if (options.json) {
            nlohmann::json row = FiguresJson(f, std::nullopt);
            // The differences were measured: only psnr_y and SSIM are not.
            row["psnr"] = FiniteOrNull(f.psnr);
            row["mse"] = f.meanSquaredError;
            row["largest_difference"] = f.largestDifference;
            row["file"] = options.files[i];
            row["output"] = outputs[i].string();
            row["error"] = nullptr;
            rows.push_back(row);
            continue;
        }
        out << options.files[i] << '\t' << f.compressedSize << '\t' << Cell("%4.1f to 1", f.ratio) << '\t'
            << PsnrText(f.psnr) << '\t' << Cell("%2.2f", f.compressSeconds) << '\t'
            << Cell("%2.2f", f.decompressSeconds) << '\n';
    }
    if (options.json) {
        const nlohmann::json summary = {
            {"files", rows}, {"compressed", count - static_cast<std::size_t>(failures)}, {"failed", failures}};
        out << summary.dump(2) << '\n';
        return failures == 0 ? 0 : 1;
    }
    out << (count - static_cast<std::size_t>(failures)) << " compressed, " << failures << " failed\n";
    return failures == 0 ? 0 : 1;
}

} // namespace tamr
