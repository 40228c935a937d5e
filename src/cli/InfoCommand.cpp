#include "cli/InfoCommand.h"

#include <nlohmann/json.hpp>

#include <optional>

#include "cli/CliSession.h"
#include "codec/WaveletCodec.h"
#include "image/FileType.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

struct PictureFacts {
    const char* kind;
    int width;
    int height;
    int bitsPerPixel;
    bool colour;
    int reserved;
};

void PrintFacts(std::ostream& out, const PictureFacts& facts, bool json)
{
    if (json) {
        const nlohmann::json object = {{"kind", facts.kind},
                                       {"width", facts.width},
                                       {"height", facts.height},
                                       {"bits_per_pixel", facts.bitsPerPixel},
                                       {"mode", facts.colour ? "colour" : "gray"},
                                       {"reserved", facts.reserved}};
        out << object.dump(2) << '\n';
        return;
    }
    out << "kind: " << facts.kind << '\n'
        << "width: " << facts.width << '\n'
        << "height: " << facts.height << '\n'
        << "bits per pixel: " << facts.bitsPerPixel << '\n'
        << "mode: " << (facts.colour ? "colour" : "gray") << '\n'
        << "reserved: " << facts.reserved << '\n';
}

// A COD file says all of this in its header: nothing is decoded, however
// large a picture the header describes. Nothing when the file is no sound
// COD file; opening it then says why.
std::optional<PictureFacts> CodHeaderFacts(const InfoOptions& options)
{
    // Standard input can be read once only: it is opened as a picture.
    if (options.path == kStandardStreamName)
        return std::nullopt;
    const auto file = ReadFileBytes(options.path, options.limits);
    if (!file || DetectFileType(*file, options.path) != FileType::Cod)
        return std::nullopt;
    const CodecSettings settings;
    WaveletCodec codec(settings);
    if (!codec.ReadHeader(*file, options.limits))
        return std::nullopt;
    return PictureFacts{FileTypeName(FileType::Cod), codec.Width(),    codec.Height(),
                        codec.BitsPerPixel(),        codec.IsColour(), 0};
}

} // namespace

CLI::App* AddInfoCommand(CLI::App& app, InfoOptions& options)
{
    CLI::App* command = app.add_subcommand("info", "Show the kind, size and depth of an image file");
    NamesAFile(command->add_option("FILE", options.path, "the image file (- for standard input)"))->required();
    command->add_flag("--json", options.json, "print the facts as one JSON object");
    return command;
}

int RunInfoCommand(const InfoOptions& options, std::ostream& out, std::ostream& err)
{
    if (const auto facts = CodHeaderFacts(options)) {
        PrintFacts(out, *facts, options.json);
        return 0;
    }
    CliSession session(err, options.limits, options.console);
    const auto document = session.Open(options.path, err);
    if (!document)
        return 1;
    const CDibImage& image = *document->Image();
    PrintFacts(out,
               {FileTypeName(document->SourceType()), image.Width(), image.Height(), image.BitsPerPixel(),
                image.IsColour() == 1, image.FileHeader().bfReserved1},
               options.json);
    return 0;
}

} // namespace tamr
