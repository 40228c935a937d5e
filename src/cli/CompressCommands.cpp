#include "cli/CompressCommands.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

#include "cli/ImageFiles.h"
#include "image/ImageCompression.h"

namespace tamr {

namespace {

struct Figures {
    std::uint32_t compressedSize = 0;
    std::uint32_t originalSize = 0;
    double ratio = 0;
    float compressSeconds = 0;
    float decompressSeconds = 0;
    QualityFigures quality;
};

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void PrintFigures(const Figures& figures, const CompressOptions& options, std::ostream& out)
{
    if (options.json) {
        nlohmann::json json = {
            {"compressed_size", figures.compressedSize},
            {"original_size", figures.originalSize},
            {"ratio", figures.ratio},
            {"compress_seconds", figures.compressSeconds},
            {"decompress_seconds", figures.decompressSeconds},
            // JSON has no infinity: an unchanged image has no finite PSNR.
            {"psnr", std::isfinite(figures.quality.psnr) ? nlohmann::json(figures.quality.psnr) : nlohmann::json()},
            {"mse", figures.quality.meanSquaredError},
            {"largest_difference", figures.quality.largestDifference},
            {"quality", options.codec.quality},
        };
        out << json.dump(2) << '\n';
        return;
    }
    const std::string psnr =
        std::isfinite(figures.quality.psnr) ? Format("%3.2f dB.", figures.quality.psnr) : std::string("inf dB.");
    out << "Compressed Image Size : " << figures.compressedSize << " Bytes\n"
        << "Original Image Size : " << figures.originalSize << " Bytes\n"
        << "Compression Ratios : " << Format("%4.1f to 1", figures.ratio) << '\n'
        << "Compression Time : " << Format("%2.2f Sec.", figures.compressSeconds) << '\n'
        << "Decompression Time : " << Format("%2.2f Sec.", figures.decompressSeconds) << '\n'
        << "PSNR : " << psnr << '\n'
        << "MSE : " << Format("%3.2f", figures.quality.meanSquaredError) << '\n'
        << "Max Pixel Difference : " << figures.quality.largestDifference << '\n';
}

} // namespace

CLI::App* AddCompressCommand(CLI::App& app, CompressOptions& options)
{
    CLI::App* command = app.add_subcommand("compress", "Compress an image into a COD file and print the figures");
    command->add_option("IN", options.input, "the image to compress")->required();
    command->add_option("OUT", options.output, "the COD file to write")->required();
    command->add_option("--decoded", options.decoded, "also write the decoded image as a BMP file");
    command->add_flag("--json", options.json, "print the figures as one JSON object");
    AddCodecOptions(*command, options.codec);
    return command;
}

CLI::App* AddRoundtripCommand(CLI::App& app, CompressOptions& options)
{
    CLI::App* command = app.add_subcommand("roundtrip", "Compress an image and write the decoded result as a BMP file");
    command->add_option("IN", options.input, "the image to compress")->required();
    command->add_option("OUT", options.output, "the BMP file to write")->required();
    command->add_flag("--json", options.json, "print the figures as one JSON object");
    AddCodecOptions(*command, options.codec);
    return command;
}

CLI::App* AddDecompressCommand(CLI::App& app, DecompressOptions& options)
{
    CLI::App* command = app.add_subcommand("decompress", "Decode a COD file into a BMP file");
    command->add_option("IN", options.input, "the COD file")->required();
    command->add_option("OUT", options.output, "the BMP file to write")->required();
    return command;
}

int RunCompressCommand(const CompressOptions& options, bool writeCod, std::ostream& out, std::ostream& err,
                       Prompter& prompter)
{
    const auto settings = SettingsFromOptions(options.codec, prompter);
    if (!settings)
        return 1;
    auto opened = OpenImageFile(options.input, *settings, prompter, err);
    if (!opened)
        return 1;
    if (opened->type == FileType::Cod) {
        err << "tamr-cli: " << options.input << " is already a COD file\n";
        return 1;
    }
    CDibImage& image = *opened->image;
    WaveletCodec& codec = *opened->codec;
    const auto times = CompressImage(image, codec, *settings);
    if (!times) {
        prompter.ShowMessage(
            {"Errors occur during compressing/Decompressing", "", MessageIcon::None, MessageButtons::Ok});
        return 1;
    }
    const std::string& decodedPath = writeCod ? options.decoded : options.output;
    if (writeCod && !SaveFile(options.output, codec.WriteHeader(), err))
        return 1;
    if (!decodedPath.empty() && !SaveFile(decodedPath, image.WriteBmp(), err))
        return 1;

    Figures figures;
    figures.compressedSize =
        static_cast<std::uint32_t>(codec.HeaderSize()) + static_cast<std::uint32_t>(codec.DataSize());
    figures.originalSize = image.FileHeader().bfSize;
    figures.ratio = static_cast<double>(figures.originalSize) / static_cast<double>(figures.compressedSize);
    figures.compressSeconds = times->compressSeconds;
    figures.decompressSeconds = times->decompressSeconds;
    figures.quality = image.MeasureQuality();
    PrintFigures(figures, options, out);
    return 0;
}

int RunDecompressCommand(const DecompressOptions& options, std::ostream& err, Prompter& prompter)
{
    const CodecSettings settings;
    auto opened = OpenImageFile(options.input, settings, prompter, err);
    if (!opened)
        return 1;
    if (opened->type != FileType::Cod) {
        err << "tamr-cli: " << options.input << " is not a COD file\n";
        return 1;
    }
    return SaveFile(options.output, opened->image->WriteBmp(), err) ? 0 : 1;
}

} // namespace tamr
