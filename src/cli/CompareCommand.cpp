#include "cli/CompareCommand.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "cli/CliSession.h"
#include "cli/FigureOutput.h"
#include "cli/PictureKindsHelp.h"
#include "image/Butteraugli.h"
#include "image/DifferenceMaps.h"
#include "image/DifferencePicture.h"
#include "image/MetricNames.h"
#include "image/PictureProbe.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

std::string Describe(int width, int height, bool colour)
{
    return std::to_string(width) + " x " + std::to_string(height) + (colour ? " colour" : " gray");
}

std::string Describe(const CDibImage& image)
{
    return Describe(image.Width(), image.Height(), image.BytesPerPixel() == 3);
}

int RefuseDifferentPictures(const CompareOptions& options, const std::string& first, const std::string& second,
                            std::ostream& err)
{
    err << "tamr-cli: cannot compare " << options.first << " (" << first << ") with " << options.second << " ("
        << second << "): the pictures must have the same size and depth\n";
    return 1;
}

std::string Fixed(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string FigureText(const PictureMetrics& metrics, std::string_view key)
{
    if (key == "psnr")
        return PsnrText(metrics.psnr);
    if (key == "psnr_rgb")
        return PsnrText(metrics.psnrRgb);
    if (key == "psnr_y")
        return PsnrText(metrics.psnrY);
    if (key == "mse")
        return Fixed("%3.2f", metrics.meanSquaredError);
    if (key == "largest_difference")
        return std::to_string(metrics.largestDifference);
    const auto value = MetricValue(metrics, key);
    return value ? Fixed("%.4f", *value) : std::string("n/a");
}

void PrintMetrics(const PictureMetrics& metrics, const MetricSelection& selection, std::ostream& out)
{
    for (const MetricName& name : MetricNames())
        if (selection.Has(name.key))
            out << name.label << " : " << FigureText(metrics, name.key) << '\n';
}

// Writes the map as a heat picture; the value drawn white, or none after saying why.
std::optional<double> WriteMap(const CTamrDoc& firstDocument, const CDibImage& first, const CDibImage& second,
                               const CompareOptions& options, std::ostream& err)
{
    const auto output = ResolvePictureOutput(options.mapOut, options.format, firstDocument.TitleExtension(), err);
    if (!output || RefuseOutputOverInputs({options.first, options.second}, output->target, err))
        return std::nullopt;
    const MapKind kind = FindMapKind(options.map).value_or(MapKind::Absolute);
    const auto map = ComputeDifferenceMap(kind, first.WorkingView(), second.WorkingView(), first.BytesPerPixel(), 0);
    if (!map) {
        err << "tamr-cli: no " << options.map << " map of these pictures: "
            << (kind == MapKind::Butteraugli && !ButteraugliAvailable()
                    ? std::string("Butteraugli is ") + std::string(kButteraugliUnavailable)
                : kind == MapKind::Butteraugli && !ButteraugliSizeAllowed(first.Width(), first.Height())
                    ? std::string("Butteraugli is ") + std::string(kButteraugliTooLarge)
                    : std::string("they are too small"))
            << '\n';
        return std::nullopt;
    }
    const auto heat = HeatPicture(*map);
    const ConstPixelView view{heat, map->width, map->height, HeatRowPad(map->width)};
    if (!WriteCommandOutput(output->target, PlainPictureFile(view, 3, output->kind), err))
        return std::nullopt;
    return map->top;
}

bool WriteDifference(const CTamrDoc& firstDocument, const CDibImage& first, const CDibImage& second,
                     const CompareOptions& options, std::ostream& err)
{
    const auto output = ResolvePictureOutput(options.diff, options.format, firstDocument.TitleExtension(), err);
    if (!output || RefuseOutputOverInputs({options.first, options.second}, output->target, err))
        return false;
    const int bytesPerPixel = first.BytesPerPixel();
    const auto difference =
        AmplifiedDifference(first.WorkingView(), second.WorkingView(), bytesPerPixel, options.amplify);
    const ConstPixelView view{difference, first.Width(), first.Height(), first.RowPad()};
    return WriteCommandOutput(output->target, PlainPictureFile(view, bytesPerPixel, output->kind), err);
}

} // namespace

CLI::App* AddCompareCommand(CLI::App& app, CompareOptions& options)
{
    CLI::App* command = app.add_subcommand(
        "compare", "Print PSNR, PSNR-Y, MSE, largest difference, SSIM and more of two pictures of one size and depth");
    NamesAFile(command->add_option("A", options.first, PictureArgumentHelp("the first picture")))->required();
    NamesAFile(command->add_option("B", options.second, "the second picture"))->required();
    command->add_flag("--json", options.json, "print the figures as one JSON object");
    NamesAFile(command->add_option("--diff", options.diff,
                                   "also write the amplified difference |A - B| as a BMP (or PNG, PPM/PGM) file"));
    AddFormatOption(*command, options.format, "the kind of the --diff file when its name gives none (-)");
    command->add_option("--amplify", options.amplify, "how many times the difference is amplified (1 to 64)")
        ->check(CLI::Range(kMinAmplify, kMaxAmplify))
        ->capture_default_str();
    std::string metricNames;
    for (const MetricName& name : MetricNames())
        metricNames += std::string(metricNames.empty() ? "" : ", ") + std::string(name.key);
    command
        ->add_option("--metrics", options.metrics,
                     "the figures to print: " + metricNames +
                         ", separated by commas; default (all but Butteraugli) or all")
        ->capture_default_str()
        ->check(CLI::Validator([](const std::string& text) { return ParseMetricList(text).problem; }, "", "metrics"));
    std::string mapKinds;
    std::vector<std::string> mapNames;
    for (const MapKindName& kind : MapKindNames()) {
        mapKinds += std::string(mapKinds.empty() ? "" : ", ") + std::string(kind.name);
        mapNames.emplace_back(kind.name);
    }
    auto* mapOut = NamesAFile(command->add_option(
        "--map-out", options.mapOut, "also write where the pictures differ as a heat picture (BMP, PNG or PPM)"));
    command->add_option("--map", options.map, "what the --map-out picture shows: " + mapKinds)
        ->capture_default_str()
        ->check(CLI::IsMember(mapNames))
        ->needs(mapOut);
    return command;
}

int RunCompareCommand(const CompareOptions& options, std::ostream& out, std::ostream& err)
{
    if (options.first == kStandardStreamName && options.second == kStandardStreamName) {
        err << "tamr-cli: standard input (-) can be only one of the pictures\n";
        return kUsageError;
    }
    if (IsStandardOutput(options.diff) && IsStandardOutput(options.mapOut)) {
        err << "tamr-cli: standard output (-) can take only one of --diff and --map-out\n";
        return kUsageError;
    }
    for (const std::string& output : {options.diff, options.mapOut}) {
        if (output.empty())
            continue;
        if (const int usage = CheckOutputKind(output, options.format, err))
            return usage;
        if (RefuseOutputOverInputs({options.first, options.second}, output, err))
            return 1;
    }
    const MetricSelection selection = ParseMetricList(options.metrics).selection;
    CliSession session(err, options.limits, options.console);
    auto first = session.Open(options.first, err);
    if (!first)
        return 1;
    const CDibImage& a = *first->Image();
    // A second picture of another size is refused from its headers, before
    // it is decoded (standard input can be read once only: it is decoded).
    if (const auto facts =
            options.second == kStandardStreamName ? std::nullopt : ProbePictureFile(options.second, options.limits);
        facts && a.BytesPerPixel() != 0 &&
        (facts->width != a.Width() || facts->height != a.Height() || facts->colour != (a.BytesPerPixel() == 3)))
        return RefuseDifferentPictures(options, Describe(a), Describe(facts->width, facts->height, facts->colour), err);
    auto second = session.Open(options.second, err);
    if (!second)
        return 1;
    const CDibImage& b = *second->Image();
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BytesPerPixel() != b.BytesPerPixel() ||
        a.BytesPerPixel() == 0)
        return RefuseDifferentPictures(options, Describe(a), Describe(b), err);
    const PictureMetrics metrics =
        MeasurePictures(a.WorkingView(), b.WorkingView(), a.BytesPerPixel(), 0, selection.Choice());
    if (!options.diff.empty() && !WriteDifference(*first, a, b, options, err))
        return 1;
    std::ostream& report = IsStandardOutput(options.diff) || IsStandardOutput(options.mapOut) ? err : out;
    std::optional<double> mapTop;
    if (!options.mapOut.empty() && !(mapTop = WriteMap(*first, a, b, options, err)))
        return 1;
    const std::string_view mapQuantity = MapQuantity(FindMapKind(options.map).value_or(MapKind::Absolute));
    if (options.json) {
        nlohmann::json object = {{"width", a.Width()}, {"height", a.Height()}};
        AddMetricsJson(object, metrics, selection);
        if (!options.mapOut.empty())
            object["map"] = {{"kind", options.map}, {"quantity", mapQuantity}, {"black", 0}, {"white", *mapTop}};
        report << object.dump(2) << '\n';
    } else {
        PrintMetrics(metrics, selection, report);
        if (mapTop)
            report << "Map : " << mapQuantity << ", black 0 to white " << Fixed("%.4g", *mapTop) << '\n';
    }
    return 0;
}

} // namespace tamr
