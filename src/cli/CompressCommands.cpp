#include "cli/CompressCommands.h"

#include <algorithm>
#include <cmath>

#include "cli/CliSession.h"
#include "cli/FigureOutput.h"
#include "cli/OptimisedOutput.h"
#include "cli/PictureKindsHelp.h"
#include "codec/QualityFactor.h"
#include "document/DocumentMessages.h"
#include "document/DocumentStatistics.h"
#include "document/LowerCase.h"
#include "document/OptimisedTarget.h"
#include "document/TargetQuality.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

constexpr std::string_view kTargetOutOfRange =
    "a target must be a positive number (a size of at least 1 byte, an SSIM of at most 1)";
constexpr std::string_view kOptimiseNeedsTarget =
    "--optimise needs a target: --target-size, --bpp, --target-psnr, --target-psnr-y or --target-ssim";
constexpr std::string_view kTargetNeedsOptimise = "--target-psnr-y, --target-ssim and --bpp are targets of --optimise";
constexpr std::string_view kOptimiseWithRawSettings =
    "--optimise chooses the settings; raw settings cannot be given with it";

void AddInputOutput(CLI::App& command, CompressOptions& options, const char* outputHelp)
{
    NamesAFile(command.add_option("IN", options.input, PictureArgumentHelp("the picture to compress")))->required();
    NamesAFile(command.add_option("OUT", options.output, outputHelp))->required();
    AddFormatOption(command, options.format, "the kind of OUT when its name gives none (- for standard output)");
    command.add_flag("--json", options.json, "print the figures as one JSON object");
    command.add_flag("--yes", options.yes, "answer Yes to the bit-depth warnings");
    AddCodecOptions(command, options.codec);
}

void ShowCompressError(Prompter& prompter)
{
    prompter.ShowMessage(CompressErrorBox());
}

// What --optimise searched, with the figure it judged by.
struct OptimisedChoice {
    SearchOutcome outcome;
    SearchFigure measure = SearchFigure::Psnr;
};

void PrintFigures(const DocumentFigures& figures, const std::optional<PictureMetrics>& metrics, int quality,
                  const std::optional<OptimisedChoice>& optimised, bool json, std::ostream& out)
{
    if (json) {
        auto object = FiguresJson(figures, metrics);
        object["quality"] = quality;
        if (optimised)
            object["optimised"] = OptimisedJson(optimised->outcome, optimised->measure);
        out << object.dump(2) << '\n';
        return;
    }
    if (optimised)
        PrintOptimised(optimised->outcome, optimised->measure, out);
    else
        out << "Quality Factor : " << quality << '\n';
    PrintStatistics(figures, out);
}

bool AnyOptimiseTarget(const CompressOptions& options)
{
    return options.targetSize || options.targetPsnr || options.targetPsnrY || options.targetSsim ||
           options.bitsPerPixel;
}

// The goal of --optimise; the targets were checked by CheckOutputs.
SearchGoal OptimiseGoal(const CompressOptions& options, const CTamrDoc& document)
{
    SearchGoal goal{.bytes = std::nullopt, .figure = std::nullopt, .measure = SearchFigure::Psnr};
    if (options.targetSize) {
        goal.bytes = *options.targetSize;
    } else if (options.bitsPerPixel) {
        const CDibImage& image = *document.Image();
        const double bytes = std::floor(*options.bitsPerPixel * image.Width() * image.Height() / 8.0);
        goal.bytes = static_cast<std::size_t>(std::min(bytes, 4.0e9));
    } else if (options.targetPsnrY) {
        goal.figure = *options.targetPsnrY;
        goal.measure = SearchFigure::PsnrY;
    } else if (options.targetSsim) {
        goal.figure = *options.targetSsim;
        goal.measure = SearchFigure::Ssim;
    } else {
        goal.figure = options.targetPsnr;
    }
    return goal;
}

// --optimise: the settings searched for the target and the document compressed with them.
bool CompressWithSearch(const CompressOptions& options, CliSession& session, CTamrDoc& document,
                        std::optional<OptimisedChoice>& optimised, std::ostream& err)
{
    const SearchGoal goal = OptimiseGoal(options, document);
    OptimisedChoice choice{CompressOptimised(document, session.settings, goal), goal.measure};
    if (choice.outcome.failure == SearchFailure::Unreachable) {
        err << "tamr-cli: " << kOptimiseUnreachable << '\n';
        return false;
    }
    if (choice.outcome.Failed()) {
        ShowCompressError(session.prompter);
        return false;
    }
    optimised = choice;
    return true;
}

// Opens, compresses (searching the quality or the settings when asked) and
// returns the document; `showing` says whether the compression that stays
// decodes the picture (a search of the settings always measures it).
std::unique_ptr<CTamrDoc> OpenAndCompress(const CompressOptions& options, CliSession& session, int& quality,
                                          std::optional<OptimisedChoice>& optimised, std::ostream& err,
                                          CTamrDoc::Showing showing = CTamrDoc::Showing::Decoded)
{
    const auto settings = SettingsFromOptions(options.codec, session.prompter);
    if (!settings)
        return nullptr;
    session.settings = *settings;
    session.prompter.AnswerQuestionsYes(options.yes);
    auto document = session.Open(options.input, err);
    if (!document)
        return nullptr;
    if (document->SourceType() == FileType::Cod && (options.targetSize || options.targetPsnr || options.optimise)) {
        err << "tamr-cli: " << options.input << " is already compressed\n";
        return nullptr;
    }
    quality = session.settings.qualityFactor;
    if (options.optimise) {
        if (!CompressWithSearch(options, session, *document, optimised, err))
            return nullptr;
        quality = optimised->outcome.qualityFactor.quality;
        return document;
    }
    if (options.targetSize || options.targetPsnr) {
        const auto chosen =
            SearchQuality(*document, session.settings, QualityTarget{options.targetSize, options.targetPsnr});
        if (!chosen) {
            err << "tamr-cli: " << kNoQualityMeetsTarget << '\n';
            return nullptr;
        }
        quality = *chosen;
        if (!options.console.quiet)
            err << "tamr-cli: chose quality factor " << quality << '\n';
        if (!CompressAtQuality(*document, session.settings, quality, showing)) {
            ShowCompressError(session.prompter);
            return nullptr;
        }
        return document;
    }
    if (!document->Compress(showing)) {
        ShowCompressError(session.prompter);
        return nullptr;
    }
    return document;
}

// The figures are printed unless --quiet keeps them back (--json asks for
// them all the same); the decoded picture is needed for them and for any
// output that is not a COD file.
bool PrintsFigures(const CompressOptions& options)
{
    return !options.console.quiet || options.json;
}

bool WritesOnlyCod(const CompressOptions& options)
{
    if (!options.decoded.empty())
        return false;
    const auto choice = OutputChoice(options.output, options.format, ".cod");
    if (!choice)
        return false;
    const std::string title =
        choice->extension.empty() ? choice->title + ".cod" : choice->title + "." + choice->extension;
    return CTamrDoc::WriterFor(Lower(title)) == CTamrDoc::Writer::Cod;
}

// Options that cannot go together; OUT may be "-" (with --format), --decoded
// names a file of its own.
int CheckTargets(const CompressOptions& options, std::ostream& err)
{
    const auto positive = [](const std::optional<double>& value) {
        return !value || (std::isfinite(*value) && *value > 0);
    };
    if ((options.targetSize && *options.targetSize == 0) || !positive(options.targetPsnr) ||
        !positive(options.targetPsnrY) || !positive(options.bitsPerPixel) || !positive(options.targetSsim) ||
        (options.targetSsim && *options.targetSsim > 1)) {
        err << "tamr-cli: " << kTargetOutOfRange << '\n';
        return kUsageError;
    }
    if (options.optimise && !AnyOptimiseTarget(options)) {
        err << "tamr-cli: " << kOptimiseNeedsTarget << '\n';
        return kUsageError;
    }
    if (!options.optimise && (options.targetPsnrY || options.targetSsim || options.bitsPerPixel)) {
        err << "tamr-cli: " << kTargetNeedsOptimise << '\n';
        return kUsageError;
    }
    return 0;
}

int CheckOutputs(const CompressOptions& options, std::ostream& err)
{
    if (const int usage = CheckTargets(options, err))
        return usage;
    if (options.optimise && options.codec.HasRawSettings()) {
        err << "tamr-cli: " << kOptimiseWithRawSettings << '\n';
        return kUsageError;
    }
    if ((options.targetSize || options.targetPsnr) && options.codec.HasRawSettings()) {
        err << "tamr-cli: a target size or PSNR chooses the quality factor; raw settings cannot be given with it\n";
        return kUsageError;
    }
    if (options.decoded == kStandardStreamName) {
        err << "tamr-cli: --decoded writes a file; only OUT may be the standard output\n";
        return kUsageError;
    }
    return CheckOutputKind(options.output, options.format, err);
}

} // namespace

CLI::App* AddCompressCommand(CLI::App& app, CompressOptions& options)
{
    CLI::App* command = app.add_subcommand("compress", "Compress a picture into a COD file and print the figures");
    AddInputOutput(*command, options, "the COD (or BMP) file to write, with the Save As rules");
    NamesAFile(command->add_option("--decoded", options.decoded,
                                   "also write the decoded picture as a BMP (or PNG, PPM/PGM) file"));
    auto* size = command->add_option("--target-size", options.targetSize,
                                     "choose the highest quality whose file has at most this many bytes");
    auto* psnr = command->add_option("--target-psnr", options.targetPsnr,
                                     "choose the lowest quality whose PSNR reaches this many dB");
    command->add_flag("--optimise", options.optimise,
                      "search the settings (levels, vectors, discard and sample levels) for the best figure at the "
                      "target size, or the smallest file at the target figure, and print them");
    auto* psnrY = command->add_option("--target-psnr-y", options.targetPsnrY,
                                      "with --optimise: the smallest file whose PSNR-Y reaches this many dB");
    auto* ssim = command->add_option("--target-ssim", options.targetSsim,
                                     "with --optimise: the smallest file whose SSIM reaches this value (0 to 1)");
    auto* bpp = command->add_option("--bpp", options.bitsPerPixel,
                                    "with --optimise: the best PSNR in at most this many bits per pixel");
    const std::vector<CLI::Option*> targets{size, psnr, psnrY, ssim, bpp};
    for (CLI::Option* target : targets)
        for (CLI::Option* other : targets)
            if (target != other)
                target->excludes(other);
    return command;
}

CLI::App* AddRoundtripCommand(CLI::App& app, CompressOptions& options)
{
    CLI::App* command = app.add_subcommand(
        "roundtrip", "Compress a picture and write the decoded result as a BMP (or PNG, PPM/PGM) file");
    AddInputOutput(*command, options, "the BMP, PNG or PPM/PGM file to write");
    return command;
}

CLI::App* AddDecompressCommand(CLI::App& app, DecompressOptions& options)
{
    CLI::App* command = app.add_subcommand("decompress", "Decode a COD file into a BMP (or PNG, PPM/PGM) file");
    NamesAFile(command->add_option("IN", options.input, "the COD file (- for standard input)"))->required();
    NamesAFile(command->add_option("OUT", options.output, "the BMP, PNG or PPM/PGM file to write"))->required();
    AddFormatOption(*command, options.format, "the kind of OUT when its name gives none (- for standard output)");
    command->add_flag("--yes", options.yes, "answer Yes to the bit-depth warnings");
    AddThreadsOption(*command, options.threads);
    return command;
}

CLI::App* AddConvertCommand(CLI::App& app, DecompressOptions& options)
{
    CLI::App* command = app.add_subcommand("convert", "Write any picture tamr opens as a BMP, PNG or PPM/PGM file");
    NamesAFile(command->add_option("IN", options.input, PictureArgumentHelp("the picture")))->required();
    NamesAFile(command->add_option("OUT", options.output, "the BMP, PNG or PPM/PGM file to write"))->required();
    AddFormatOption(*command, options.format, "the kind of OUT when its name gives none (- for standard output)");
    command->add_flag("--yes", options.yes, "answer Yes to the bit-depth warnings");
    return command;
}

CLI::App* AddStatsCommand(CLI::App& app, StatsOptions& options)
{
    CLI::App* command = app.add_subcommand("stats", "Print the Statistics figures of a picture");
    NamesAFile(command->add_option("IN", options.input, "the picture (- for standard input)"))->required();
    command->add_option("-q,--quality", options.quality, "compress at this quality factor first")
        ->check(CLI::Range(0, 100));
    command->add_flag("--json", options.json, "print the figures as one JSON object");
    return command;
}

int RunCompressCommand(const CompressOptions& options, std::ostream& out, std::ostream& err)
{
    CliSession session(err, options.limits, options.console);
    return RunCompressCommand(options, session, out, err);
}

int RunCompressCommand(const CompressOptions& options, CliSession& session, std::ostream& out, std::ostream& err)
{
    if (const int usage = CheckOutputs(options, err))
        return usage;
    const std::vector<std::string> inputs{options.input};
    if (RefuseOutputOverInputs(inputs, options.output, err) ||
        (!options.decoded.empty() && RefuseOutputOverInputs(inputs, options.decoded, err)))
        return 1;
    // Only a picture written out or the figures of --json need the decoded
    // picture whole; the printed figures are measured as its rows come.
    const bool printsFigures = PrintsFigures(options);
    auto showing = CTamrDoc::Showing::Decoded;
    if (WritesOnlyCod(options) && !options.json)
        showing = printsFigures ? CTamrDoc::Showing::Measured : CTamrDoc::Showing::CodedOnly;
    int quality = 0;
    std::optional<OptimisedChoice> optimised;
    auto document = OpenAndCompress(options, session, quality, optimised, err, showing);
    if (!document)
        return 1;
    session.picturesDecoded += document->DecodedCount();
    // Taken before Save As names the document after a BMP file, which would hide the PSNR.
    std::optional<DocumentFigures> figures;
    if (printsFigures)
        figures = Figures(*document);
    const auto metrics = options.json ? Metrics(*document) : std::nullopt;
    if (!session.SaveAs(*document, options.output, options.format, inputs, err))
        return 1;
    if (!options.decoded.empty() && !session.SaveAs(*document, options.decoded, "", inputs, err))
        return 1;
    if (figures)
        PrintFigures(*figures, metrics, quality, optimised, options.json, IsStandardOutput(options.output) ? err : out);
    return 0;
}

int RunRoundtripCommand(const CompressOptions& options, std::ostream& out, std::ostream& err)
{
    if (const int usage = CheckOutputs(options, err))
        return usage;
    const std::vector<std::string> inputs{options.input};
    if (RefuseOutputOverInputs(inputs, options.output, err))
        return 1;
    CliSession session(err, options.limits, options.console);
    int quality = 0;
    std::optional<OptimisedChoice> optimised;
    auto document = OpenAndCompress(options, session, quality, optimised, err);
    if (!document)
        return 1;
    const DocumentFigures figures = Figures(*document);
    const auto metrics = options.json ? Metrics(*document) : std::nullopt;
    if (!session.SaveAs(*document, options.output, options.format, inputs, err))
        return 1;
    PrintFigures(figures, metrics, quality, optimised, options.json, IsStandardOutput(options.output) ? err : out);
    return 0;
}

int RunConvertCommand(const DecompressOptions& options, bool codOnly, std::ostream& err)
{
    if (const int usage = CheckOutputKind(options.output, options.format, err))
        return usage;
    const std::vector<std::string> inputs{options.input};
    if (RefuseOutputOverInputs(inputs, options.output, err))
        return 1;
    CliSession session(err, options.limits, options.console);
    session.prompter.AnswerQuestionsYes(options.yes);
    session.settings.threads = options.threads;
    auto document = session.Open(options.input, err);
    if (!document)
        return 1;
    if (codOnly && document->SourceType() != FileType::Cod) {
        err << "tamr-cli: " << options.input << " is not a COD file\n";
        return 1;
    }
    // The program offers no Save As for a TGA, GIF or JPEG picture before it
    // is compressed; the command line runs it anyway, with the same rules: a
    // ".bmp" name gets the decoded picture, a ".cod" name is refused.
    return session.SaveAs(*document, options.output, options.format, inputs, err) ? 0 : 1;
}

int RunStatsCommand(const StatsOptions& options, std::ostream& out, std::ostream& err)
{
    CliSession session(err, options.limits, options.console);
    auto document = session.Open(options.input, err);
    if (!document)
        return 1;
    if (options.quality) {
        if (!CompressAtQuality(*document, session.settings, *options.quality)) {
            ShowCompressError(session.prompter);
            return 1;
        }
    }
    const DocumentFigures figures = Figures(*document);
    if (options.json)
        out << FiguresJson(figures, Metrics(*document)).dump(2) << '\n';
    else
        PrintStatistics(figures, out);
    return 0;
}

} // namespace tamr
