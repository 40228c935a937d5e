#include "cli/InfoCommand.h"

#include "cli/CliSession.h"
#include "image/FileType.h"
#include "image/PictureProbe.h"

namespace tamr {
namespace {

void PrintFacts(std::ostream& out, const PictureFacts& facts)
{
    out << "kind: " << FileTypeName(facts.kind) << '\n'
        << "width: " << facts.width << '\n'
        << "height: " << facts.height << '\n'
        << "bits per pixel: " << facts.bitsPerPixel << '\n'
        << "mode: " << (facts.colour ? "colour" : "gray") << '\n'
        << "reserved: " << facts.reserved << '\n';
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
    // The headers say all of this: no pixel is decoded, however large a
    // picture they describe. A file they do not settle is opened, which says why.
    if (const auto facts = ProbePictureFile(options.path, options.limits)) {
        PrintFacts(out, *facts);
        return 0;
    }
    CliSession session(err, options.limits);
    const auto document = session.Open(options.path, err);
    if (!document)
        return 1;
    const CDibImage& image = *document->Image();
    PrintFacts(out, {document->SourceType(), image.Width(), image.Height(), image.BitsPerPixel(), image.IsColour() == 1,
                     image.FileHeader().bfReserved1});
    return 0;
}

} // namespace tamr
