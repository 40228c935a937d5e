#include "cli/InfoCommand.h"

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

bool StartsAsBmp(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 2 && ((bytes[0] == 'B' && bytes[1] == 'M') || (bytes[0] == 'M' && bytes[1] == 'B'));
}

void PrintImage(std::ostream& out, const char* kind, const CDibImage& image)
{
    out << "kind: " << kind << '\n'
        << "width: " << image.Width() << '\n'
        << "height: " << image.Height() << '\n'
        << "bits per pixel: " << image.BitsPerPixel() << '\n'
        << "mode: " << (image.IsColour() == 1 ? "colour" : "gray") << '\n'
        << "reserved: " << image.FileHeader().bfReserved1 << '\n';
}

} // namespace

CLI::App* AddInfoCommand(CLI::App& app, InfoOptions& options)
{
    CLI::App* command = app.add_subcommand("info", "Show the kind, size and depth of an image file");
    command->add_option("FILE", options.path, "the image file")->required();
    return command;
}

int RunInfoCommand(const InfoOptions& options, std::ostream& out, std::ostream& err, StderrPrompter& prompter)
{
    const auto bytes = ReadFileBytes(options.path);
    if (!bytes) {
        err << "tamr-cli: cannot read " << options.path << '\n';
        return 1;
    }
    if (!StartsAsBmp(*bytes)) {
        prompter.ShowError("There was an error reading the file!!", "Error");
        return 1;
    }
    CDibImage image;
    const std::size_t shownBefore = prompter.MessageCount();
    if (!image.ReadBmp(*bytes, prompter, DisplaySettings{})) {
        if (prompter.MessageCount() == shownBefore)
            err << "tamr-cli: " << options.path << " is not a readable BMP file\n";
        return 1;
    }
    PrintImage(out, "BMP", image);
    return 0;
}

} // namespace tamr
