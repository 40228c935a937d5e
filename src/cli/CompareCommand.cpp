#include "cli/CompareCommand.h"

#include <cstdio>

#include "cli/CliSession.h"
#include "cli/FigureOutput.h"
#include "image/DifferencePicture.h"
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

void PrintMetrics(const PictureMetrics& metrics, std::ostream& out)
{
    out << "PSNR : " << PsnrText(metrics.psnr) << '\n'
        << "PSNR-Y : " << PsnrText(metrics.psnrY) << '\n'
        << "MSE : " << Fixed("%3.2f", metrics.meanSquaredError) << '\n'
        << "Max Pixel Difference : " << metrics.largestDifference << '\n'
        << "SSIM : " << (metrics.ssim ? Fixed("%.4f", *metrics.ssim) : std::string("n/a")) << '\n';
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
        "compare", "Print PSNR, PSNR-Y, MSE, largest difference and SSIM of two pictures of one size and depth");
    NamesAFile(command->add_option("A", options.first,
                                   "the first picture (BMP, TGA, GIF, JPEG, PNG, PNM or COD; - for standard input)"))
        ->required();
    NamesAFile(command->add_option("B", options.second, "the second picture"))->required();
    command->add_flag("--json", options.json, "print the figures as one JSON object");
    NamesAFile(command->add_option("--diff", options.diff,
                                   "also write the amplified difference |A - B| as a BMP (or PNG, PPM/PGM) file"));
    AddFormatOption(*command, options.format, "the kind of the --diff file when its name gives none (-)");
    command->add_option("--amplify", options.amplify, "how many times the difference is amplified (1 to 64)")
        ->check(CLI::Range(kMinAmplify, kMaxAmplify))
        ->capture_default_str();
    return command;
}

int RunCompareCommand(const CompareOptions& options, std::ostream& out, std::ostream& err)
{
    if (options.first == kStandardStreamName && options.second == kStandardStreamName) {
        err << "tamr-cli: standard input (-) can be only one of the pictures\n";
        return kUsageError;
    }
    if (!options.diff.empty()) {
        if (const int usage = CheckOutputKind(options.diff, options.format, err))
            return usage;
        if (RefuseOutputOverInputs({options.first, options.second}, options.diff, err))
            return 1;
    }
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
    const PictureMetrics metrics = MeasurePictures(a.WorkingView(), b.WorkingView(), a.BytesPerPixel());
    if (!options.diff.empty() && !WriteDifference(*first, a, b, options, err))
        return 1;
    if (options.json) {
        const nlohmann::json object = {
            {"width", a.Width()},
            {"height", a.Height()},
            {"psnr", FiniteOrNull(metrics.psnr)},
            {"psnr_y", FiniteOrNull(metrics.psnrY)},
            {"mse", metrics.meanSquaredError},
            {"largest_difference", metrics.largestDifference},
            {"ssim", SsimJson(metrics.ssim)},
        };
        (IsStandardOutput(options.diff) ? err : out) << object.dump(2) << '\n';
    } else {
        PrintMetrics(metrics, IsStandardOutput(options.diff) ? err : out);
    }
    return 0;
}

} // namespace tamr
