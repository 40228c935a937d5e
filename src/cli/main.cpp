// tamr-cli: the command-line front end of tamr.

#include <CLI/CLI.hpp>

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

#include "cli/BatchCommand.h"
#include "cli/CompareCommand.h"
#include "cli/CompressCommands.h"
#include "cli/EditCommands.h"
#include "cli/EvaluateCommand.h"
#include "cli/InfoCommand.h"
#include "cli/OutputName.h"
#include "cli/PaletteCommand.h"
#include "cli/PictureKindsHelp.h"
#include "cli/Suggestion.h"
#include "cli/SweepCommand.h"
#include "cli/ThumbnailCommand.h"

namespace {

// The version the package carries, from the build (the project's version).
constexpr const char* kVersion = TAMR_VERSION;

int Run(int argc, char** argv)
{
    CLI::App app{"tamr-cli: wavelet image compression from the command line"};
    app.require_subcommand(1);
    app.footer(tamr::PictureKindsFooter());
    app.set_version_flag("--version", std::string("tamr-cli ") + kVersion, "Print the version and exit");
    std::optional<std::uint64_t> maxMegapixels;
    app.add_option("--max-megapixels", maxMegapixels,
                   "decode pictures of up to N million colour pixels (default: 256 MiB of decoded picture)")
        ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1000000}));
    tamr::ConsoleOptions console;
    app.add_flag("--quiet", console.quiet, "print errors only on standard error: no notices, no progress bar");
    app.add_flag("--any-variant", console.anyVariant,
                 "open variants tamr's own readers refuse (progressive JPEG, RLE BMP ...) with the general readers");
    std::string progress = "auto";
    app.add_option("--progress", progress, "the progress bar of batch and sweep: auto (on a terminal), always, never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
        ->capture_default_str();
    tamr::InfoOptions infoOptions;
    CLI::App* info = tamr::AddInfoCommand(app, infoOptions);
    tamr::CompressOptions compressOptions;
    CLI::App* compress = tamr::AddCompressCommand(app, compressOptions);
    tamr::CompressOptions roundtripOptions;
    CLI::App* roundtrip = tamr::AddRoundtripCommand(app, roundtripOptions);
    tamr::DecompressOptions decompressOptions;
    CLI::App* decompress = tamr::AddDecompressCommand(app, decompressOptions);
    tamr::DecompressOptions convertOptions;
    CLI::App* convert = tamr::AddConvertCommand(app, convertOptions);
    tamr::StatsOptions statsOptions;
    CLI::App* stats = tamr::AddStatsCommand(app, statsOptions);
    tamr::BatchOptions batchOptions;
    CLI::App* batch = tamr::AddBatchCommand(app, batchOptions);
    tamr::PaletteOptions paletteOptions;
    CLI::App* palette = tamr::AddPaletteCommand(app, paletteOptions);
    tamr::FilterOptions filterOptions;
    CLI::App* filter = tamr::AddFilterCommand(app, filterOptions);
    tamr::SharpenOptions sharpenOptions;
    CLI::App* sharpen = tamr::AddSharpenCommand(app, sharpenOptions);
    tamr::CompareOptions compareOptions;
    CLI::App* compare = tamr::AddCompareCommand(app, compareOptions);
    tamr::SweepOptions sweepOptions;
    CLI::App* sweep = tamr::AddSweepCommand(app, sweepOptions);
    tamr::EvaluateOptions evaluateOptions;
    evaluateOptions.programVersion = kVersion;
    CLI::App* evaluate = tamr::AddEvaluateCommand(app, evaluateOptions);
    tamr::ThumbnailOptions thumbnailOptions;
    CLI::App* thumbnail = tamr::AddThumbnailCommand(app, thumbnailOptions);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // --help and --version end with 0.
        if (app.exit(error) == 0)
            return 0;
        tamr::SuggestCorrections(app, std::vector<std::string>(argv + 1, argv + argc), std::cerr);
        return tamr::kUsageError;
    }

    tamr::Limits limits;
    if (maxMegapixels)
        limits.maxDecodedBytes = tamr::Limits::DecodedBytesFor(*maxMegapixels);
    infoOptions.limits = compressOptions.limits = roundtripOptions.limits = decompressOptions.limits =
        convertOptions.limits = statsOptions.limits = batchOptions.limits = paletteOptions.limits =
            filterOptions.limits = sharpenOptions.limits = compareOptions.limits = sweepOptions.limits =
                evaluateOptions.limits = thumbnailOptions.limits = limits;
    console.progress = progress == "always"  ? tamr::ProgressMode::Always
                       : progress == "never" ? tamr::ProgressMode::Never
                                             : tamr::ProgressMode::Auto;
    infoOptions.console = compressOptions.console = roundtripOptions.console = decompressOptions.console =
        convertOptions.console = statsOptions.console = batchOptions.console = paletteOptions.console =
            filterOptions.console = sharpenOptions.console = compareOptions.console = sweepOptions.console =
                evaluateOptions.console = thumbnailOptions.console = console;

    if (info->parsed())
        return tamr::RunInfoCommand(infoOptions, std::cout, std::cerr);
    if (compress->parsed())
        return tamr::RunCompressCommand(compressOptions, std::cout, std::cerr);
    if (roundtrip->parsed())
        return tamr::RunRoundtripCommand(roundtripOptions, std::cout, std::cerr);
    if (decompress->parsed())
        return tamr::RunConvertCommand(decompressOptions, true, std::cerr);
    if (convert->parsed())
        return tamr::RunConvertCommand(convertOptions, false, std::cerr);
    if (stats->parsed())
        return tamr::RunStatsCommand(statsOptions, std::cout, std::cerr);
    if (batch->parsed())
        return tamr::RunBatchCommand(batchOptions, std::cout, std::cerr);
    if (palette->parsed())
        return tamr::RunPaletteCommand(paletteOptions, std::cerr);
    if (filter->parsed())
        return tamr::RunFilterCommand(filterOptions, std::cerr);
    if (sharpen->parsed())
        return tamr::RunSharpenCommand(sharpenOptions, std::cerr);
    if (compare->parsed())
        return tamr::RunCompareCommand(compareOptions, std::cout, std::cerr);
    if (sweep->parsed())
        return tamr::RunSweepCommand(sweepOptions, std::cout, std::cerr);
    if (evaluate->parsed())
        return tamr::RunEvaluateCommand(evaluateOptions, std::cout, std::cerr);
    if (thumbnail->parsed())
        return tamr::RunThumbnailCommand(thumbnailOptions, std::cerr);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "tamr-cli: out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "tamr-cli: " << error.what() << '\n';
    }
    return 1;
}
