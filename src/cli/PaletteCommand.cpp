#include "cli/PaletteCommand.h"

#include <optional>

#include "cli/CliSession.h"
#include "cli/PictureKindsHelp.h"
#include "image/PictureWriters.h"
#include "image/TopDownPicture.h"

namespace tamr {
namespace {

std::vector<std::uint8_t> Encoded(const std::optional<TopDownPicture>& picture, CTamrDoc::Writer kind)
{
    if (!picture)
        return {};
    return kind == CTamrDoc::Writer::Png ? EncodePng(*picture) : EncodePnm(*picture);
}

} // namespace

CLI::App* AddPaletteCommand(CLI::App& app, PaletteOptions& options)
{
    CLI::App* command = app.add_subcommand(
        "palette",
        "Write a picture as a 256-colour screen shows it: its index image as an 8-bit BMP (or palette PNG) file");
    NamesAFile(command->add_option("IN", options.input, PictureArgumentHelp("the picture")))->required();
    NamesAFile(
        command->add_option("OUT", options.output, "the 8-bit BMP file to write (.png: a palette PNG; .ppm/.pgm: PNM)"))
        ->required();
    AddFormatOption(*command, options.format, "the kind of OUT when its name gives none (- for standard output)");
    command->add_flag("--fixed", options.fixed, "map to the fixed colour table instead of a custom palette");
    command->add_flag("--dither", options.dither, "diffuse the colour errors (Floyd-Steinberg)");
    return command;
}

int RunPaletteCommand(const PaletteOptions& options, std::ostream& err)
{
    if (const int usage = CheckOutputKind(options.output, options.format, err))
        return usage;
    const std::vector<std::string> inputs{options.input};
    if (RefuseOutputOverInputs(inputs, options.output, err))
        return 1;
    CliSession session(err, options.limits, options.console);
    // Opened as on a 256-colour screen, the picture gets its index image while it loads.
    session.display.paletteDisplay = true;
    session.display.fixedPalette = options.fixed;
    session.display.customPalette = !options.fixed;
    session.display.ditherEnabled = options.dither;
    auto document = session.Open(options.input, err);
    if (!document)
        return 1;
    const auto output = ResolvePictureOutput(options.output, options.format, document->TitleExtension(), err);
    if (!output || RefuseOutputOverInputs(inputs, output->target, err))
        return 1;
    const CDibImage& image = *document->Image();
    const CTamrDoc::Writer kind = output->kind;
    // A gray picture is drawn from its own 8-bit pixels and gray ramp.
    if (image.IsColour() != 1) {
        const auto bytes = kind == CTamrDoc::Writer::Bmp ? image.WriteBmp() : Encoded(ShownPicture(image), kind);
        return WriteCommandOutput(output->target, bytes, err) ? 0 : 1;
    }
    if (image.PaletteBuilder().ColourCount() == 0) {
        err << "tamr-cli: cannot build the index image of " << options.input << '\n';
        return 1;
    }
    const auto bytes = kind == CTamrDoc::Writer::Bmp ? image.WriteIndexBmp() : Encoded(IndexPicture(image), kind);
    return WriteCommandOutput(output->target, bytes, err) ? 0 : 1;
}

} // namespace tamr
