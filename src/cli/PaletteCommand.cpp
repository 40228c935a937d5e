#include "cli/PaletteCommand.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "cli/CliSession.h"
#include "image/PictureWriters.h"
#include "image/TopDownPicture.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

// The index image is no document content, so it is written directly (still
// through a temporary file, so a failure leaves any old file as it was).
bool WriteIndexFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::ostream& err)
{
    std::string reason;
    if (bytes.empty() || !WriteFileAtomically(path, bytes, &reason)) {
        err << "tamr-cli: cannot write " << path.string() << (reason.empty() ? "" : ": " + reason) << '\n';
        return false;
    }
    return true;
}

enum class IndexFileKind { Bmp, Png, Pnm };

// A name ending in ".png" gets a palette PNG, one ending in ".ppm" or ".pgm"
// a PNM file of the colours shown; any other name the 8-bit BMP.
IndexFileKind KindFor(const std::filesystem::path& path)
{
    std::string name = path.filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string last = name.size() <= 4 ? name : name.substr(name.size() - 4);
    if (last == ".png")
        return IndexFileKind::Png;
    if (last == ".ppm" || last == ".pgm")
        return IndexFileKind::Pnm;
    return IndexFileKind::Bmp;
}

std::vector<std::uint8_t> Encoded(const std::optional<TopDownPicture>& picture, IndexFileKind kind)
{
    if (!picture)
        return {};
    return kind == IndexFileKind::Png ? EncodePng(*picture) : EncodePnm(*picture);
}

} // namespace

CLI::App* AddPaletteCommand(CLI::App& app, PaletteOptions& options)
{
    CLI::App* command = app.add_subcommand(
        "palette",
        "Write a picture as a 256-colour screen shows it: its index image as an 8-bit BMP (or palette PNG) file");
    command->add_option("IN", options.input, "the picture (BMP, TGA, GIF, JPEG, PNG, PNM or COD)")->required();
    command->add_option("OUT", options.output, "the 8-bit BMP file to write (.png: a palette PNG; .ppm/.pgm: PNM)")
        ->required();
    command->add_flag("--fixed", options.fixed, "map to the fixed colour table instead of a custom palette");
    command->add_flag("--dither", options.dither, "diffuse the colour errors (Floyd-Steinberg)");
    return command;
}

int RunPaletteCommand(const PaletteOptions& options, std::ostream& err)
{
    if (RefuseOutputOverInput(options.input, options.output, err))
        return 1;
    CliSession session(err, options.limits);
    // Opened as on a 256-colour screen, the picture gets its index image while it loads.
    session.display.paletteDisplay = true;
    session.display.fixedPalette = options.fixed;
    session.display.customPalette = !options.fixed;
    session.display.ditherEnabled = options.dither;
    auto document = session.Open(options.input, err);
    if (!document)
        return 1;
    const CDibImage& image = *document->Image();
    const IndexFileKind kind = KindFor(options.output);
    // A gray picture is drawn from its own 8-bit pixels and gray ramp.
    if (image.IsColour() != 1) {
        const auto bytes = kind == IndexFileKind::Bmp ? image.WriteBmp() : Encoded(ShownPicture(image), kind);
        return WriteIndexFile(options.output, bytes, err) ? 0 : 1;
    }
    if (image.PaletteBuilder().ColourCount() == 0) {
        err << "tamr-cli: cannot build the index image of " << options.input << '\n';
        return 1;
    }
    const auto bytes = kind == IndexFileKind::Bmp ? image.WriteIndexBmp() : Encoded(IndexPicture(image), kind);
    return WriteIndexFile(options.output, bytes, err) ? 0 : 1;
}

} // namespace tamr
