#include "cli/SweepCommand.h"

#include <cstdio>
#include <sstream>

#include "cli/CliSession.h"
#include "cli/CodecLists.h"
#include "cli/FigureOutput.h"
#include "cli/PictureKindsHelp.h"
#include "cli/ProgressBar.h"
#include "cli/StderrPrompter.h"
#include "cli/SweepJson.h"
#include "document/RateDistortionSweep.h"
#include "document/SweepCsv.h"
#include "document/SweepPlot.h"
#include "image/PlainBmp.h"
#include "peers/PeerCodecs.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

std::string Cell(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintCsv(const SweepResult& result, std::ostream& out)
{
    out << SweepCsv(result);
}

void PrintTable(const SweepResult& result, std::ostream& out)
{
    out << "codec  quality      bytes     bpp   PSNR dB  PSNR-Y dB    SSIM  MS-SSIM  encode s  decode s\n";
    for (const SweepPoint& point : result.points) {
        char line[256];
        if (point.Failed()) {
            std::snprintf(line, sizeof line, "%-5s  %7d  failed: %s\n", std::string(point.codec->name).c_str(),
                          point.quality, point.failure.c_str());
        } else {
            std::snprintf(line, sizeof line, "%-5s  %7d  %9zu  %6.3f  %8s  %9s  %6s  %7s  %8.3f  %8.3f\n",
                          std::string(point.codec->name).c_str(), point.quality, point.bytes, point.bitsPerPixel,
                          Cell("%.2f", point.metrics.psnr).c_str(), Cell("%.2f", point.metrics.psnrY).c_str(),
                          point.metrics.ssim ? Cell("%.4f", *point.metrics.ssim).c_str() : "n/a",
                          point.metrics.msSsim ? Cell("%.4f", *point.metrics.msSsim).c_str() : "n/a",
                          point.encodeSeconds, point.decodeSeconds);
        }
        out << line;
    }
}

std::string PointStem(const PeerCodec& codec, int quality)
{
    char stem[32];
    std::snprintf(stem, sizeof stem, "%s-q%03d", std::string(codec.name).c_str(), quality);
    return stem;
}

// Every file the points write into the folder: none may be the picture swept.
bool RefusePointsOverInput(const std::string& input, const std::filesystem::path& folder,
                           const std::vector<int>& qualities, const std::vector<const PeerCodec*>& codecs,
                           std::ostream& err)
{
    for (const PeerCodec* codec : codecs)
        for (const int quality : qualities)
            for (const std::string_view extension : {codec->extension, std::string_view(".bmp")})
                if (RefuseOutputOverInputs({input}, folder / (PointStem(*codec, quality) + std::string(extension)),
                                           err))
                    return true;
    return false;
}

} // namespace

CLI::App* AddSweepCommand(CLI::App& app, SweepOptions& options)
{
    std::string labels;
    const auto peers = AvailablePeers();
    for (std::size_t i = 0; i < peers.size(); ++i)
        labels += std::string(i == 0 ? "" : i + 1 == peers.size() ? " and " : ", ") + std::string(peers[i]->label);
    CLI::App* command = app.add_subcommand("sweep", "Code a picture at many qualities with tamr, " + labels +
                                                        " and measure every point");
    NamesAFile(command->add_option("PICTURE", options.input, PictureArgumentHelp("the picture", false)))->required();
    command->add_option("--qualities", options.qualities, "FIRST:LAST:STEP or a list Q1,Q2,... of quality factors")
        ->capture_default_str();
    command->add_option("--peers", options.peers, "the other codecs: " + PeerNames() + ", separated by commas, or none")
        ->capture_default_str()
        ->check(CLI::Validator(PeersProblem, "", "peers"));
    auto* json = command->add_flag("--json", options.json, "print the points as one JSON object");
    auto* csv = command->add_flag("--csv", options.csv, "print the points as CSV");
    json->excludes(csv);
    NamesAFile(
        command->add_option("--svg", options.svg,
                            "also draw PSNR and SSIM against bits per pixel into an SVG file (- for standard output)"));
    NamesAFile(command->add_option("--out", options.outputFolder,
                                   "also write every point's coded file and decoded picture (BMP) into this folder"));
    command
        ->add_option("--metrics", options.metrics,
                     "the figures measured at every point (as compare --metrics takes them; default: all but "
                     "Butteraugli)")
        ->capture_default_str()
        ->check(CLI::Validator([](const std::string& text) { return ParseMetricList(text).problem; }, "", "metrics"));
    command->add_option("--threads", options.threads, "points coded at once (default: one per core)")
        ->check(CLI::Range(1, 256));
    return command;
}

int RunSweepCommand(const SweepOptions& options, std::ostream& out, std::ostream& err)
{
    const auto qualities = ParseQualities(options.qualities);
    if (!qualities) {
        err << "tamr-cli: --qualities takes FIRST:LAST:STEP or Q1,Q2,... with qualities 0 to 100, not \""
            << options.qualities << "\"\n";
        return kUsageError;
    }
    const PeerList peers = ParsePeers(options.peers);
    if (!peers.unknown.empty()) {
        err << "tamr-cli: --peers: " << PeersProblem(options.peers) << '\n';
        return kUsageError;
    }
    if (options.outputFolder == kStandardStreamName) {
        err << "tamr-cli: --out names a folder, not the standard output\n";
        return kUsageError;
    }
    const MetricSelection selection = ParseMetricList(options.metrics).selection;
    SweepRequest request{*qualities, peers.peers, options.threads, selection.Choice()};
    request.limits = options.limits;
    request.readPolicy.anyVariant = options.console.anyVariant;
    const std::filesystem::path folder = options.outputFolder;
    if (!options.svg.empty() && RefuseOutputOverInputs({options.input}, options.svg, err))
        return 1;
    if (!folder.empty() && RefusePointsOverInput(options.input, folder, *qualities, SweepCodecs(request), err))
        return 1;
    if (!folder.empty() && !MakeOutputFolder(folder, err))
        return 1;

    StderrPrompter prompter(err);
    prompter.KeepNoticesToItself(options.console.quiet);
    const std::size_t total = qualities->size() * SweepCodecs(request).size();
    ProgressBar bar(total, options.console.ShowsProgress());
    std::mutex writeMutex;
    bool written = true;
    SweepPointSink sink;
    if (!folder.empty())
        sink = [&](const SweepPoint& point, std::span<const std::uint8_t> coded, ConstPixelView decoded,
                   int bytesPerPixel) {
            const std::string stem = PointStem(*point.codec, point.quality);
            const auto bmp = PlainBmpFile(decoded, bytesPerPixel);
            std::ostringstream said;
            const bool ok = WriteCommandOutput(folder / (stem + std::string(point.codec->extension)), coded, said) &&
                            WriteCommandOutput(folder / (stem + ".bmp"), bmp, said);
            const std::lock_guard lock(writeMutex);
            err << said.str();
            written = written && ok;
        };
    const auto result = RunSweep(
        InputPath(options.input), request, prompter, [&](std::size_t, std::size_t) { bar.Advance(); }, sink);
    if (!result) {
        err << "tamr-cli: cannot sweep " << options.input << " (a picture tamr opens, not a COD file)\n";
        return 1;
    }
    for (const std::string& notice : result->notices)
        if (!options.console.quiet)
            err << notice << '\n';

    const std::string name = std::filesystem::path(options.input).filename().string();
    if (!options.svg.empty()) {
        const std::string svg = SweepSvg(*result, name);
        written = WriteCommandOutput(options.svg,
                                     std::span(reinterpret_cast<const std::uint8_t*>(svg.data()), svg.size()), err) &&
                  written;
    }
    // An SVG on the standard output keeps it to itself.
    std::ostream& figures = IsStandardOutput(options.svg) ? err : out;
    if (options.json) {
        figures << SweepJson(*result, request, selection, name).dump(2) << '\n';
    } else if (options.csv) {
        PrintCsv(*result, figures);
    } else {
        PrintTable(*result, figures);
    }
    return written ? 0 : 1;
}

} // namespace tamr
