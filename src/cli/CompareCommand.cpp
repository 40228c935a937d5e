#include "cli/CompareCommand.h"

#include <cstdio>

#include "cli/CliSession.h"
#include "cli/FigureOutput.h"
#include "image/DifferencePicture.h"
#include "image/PictureProbe.h"
#include "image/PlainBmp.h"
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

bool WriteDifference(const CDibImage& first, const CDibImage& second, const CompareOptions& options, std::ostream& err)
{
    const int bytesPerPixel = first.BytesPerPixel();
    const auto difference =
        AmplifiedDifference(first.WorkingView(), second.WorkingView(), bytesPerPixel, options.amplify);
    const ConstPixelView view{difference, first.Width(), first.Height(), first.RowPad()};
    const auto file = PlainBmpFile(view, bytesPerPixel);
    std::string reason;
    if (file.empty() || !WriteFileAtomically(options.diff, file, &reason)) {
        err << "tamr-cli: cannot write " << options.diff << (reason.empty() ? "" : ": " + reason) << '\n';
        return false;
    }
    return true;
}

} // namespace

CLI::App* AddCompareCommand(CLI::App& app, CompareOptions& options)
{
    CLI::App* command = app.add_subcommand(
        "compare", "Print PSNR, PSNR-Y, MSE, largest difference and SSIM of two pictures of one size and depth");
    command->add_option("A", options.first, "the first picture (BMP, TGA, GIF, JPEG, PNG, PNM or COD)")->required();
    command->add_option("B", options.second, "the second picture")->required();
    command->add_flag("--json", options.json, "print the figures as one JSON object");
    command->add_option("--diff", options.diff, "also write the amplified difference |A - B| as a BMP file");
    command->add_option("--amplify", options.amplify, "how many times the difference is amplified (1 to 64)")
        ->check(CLI::Range(kMinAmplify, kMaxAmplify))
        ->capture_default_str();
    return command;
}

int RunCompareCommand(const CompareOptions& options, std::ostream& out, std::ostream& err)
{
    CliSession session(err, options.limits);
    auto first = session.Open(options.first, err);
    if (!first)
        return 1;
    const CDibImage& a = *first->Image();
    // A second picture of another size is refused from its headers, before
    // it is decoded.
    if (const auto facts = ProbePictureFile(options.second, options.limits);
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
    if (!options.diff.empty() && !WriteDifference(a, b, options, err))
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
        out << object.dump(2) << '\n';
    } else {
        PrintMetrics(metrics, out);
    }
    return 0;
}

} // namespace tamr
