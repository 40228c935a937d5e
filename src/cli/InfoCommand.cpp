#include "cli/InfoCommand.h"

#include "cli/CliSession.h"

namespace tamr {
namespace {

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

int RunInfoCommand(const InfoOptions& options, std::ostream& out, std::ostream& err)
{
    CliSession session(err, options.limits);
    const auto document = session.Open(options.path, err);
    if (!document)
        return 1;
    PrintImage(out, FileTypeName(document->SourceType()), *document->Image());
    return 0;
}

} // namespace tamr
