#include "cli/InfoCommand.h"

#include <nlohmann/json.hpp>

#include "cli/CliSession.h"
#include "cli/PictureKindsHelp.h"
#include "image/FileType.h"
#include "image/PictureProbe.h"
#include "image/PictureReaderTable.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

// How a profile is named: its description, or that there is none.
std::string ProfileText(const PictureFacts& facts)
{
    return facts.profileName.empty() ? "none" : facts.profileName;
}

void PrintFacts(std::ostream& out, const PictureFacts& facts, bool json)
{
    if (json) {
        nlohmann::json object = {{"kind", FileTypeName(facts.kind)},
                                 {"width", facts.width},
                                 {"height", facts.height},
                                 {"bits_per_pixel", facts.bitsPerPixel},
                                 {"mode", facts.colour ? "colour" : "gray"},
                                 {"reserved", facts.reserved},
                                 {"reader", facts.reader},
                                 {"orientation", facts.orientation},
                                 {"profile", nullptr},
                                 {"bits_per_sample", facts.bitsPerSample}};
        if (!facts.profileName.empty())
            object["profile"] = facts.profileName;
        out << object.dump(2) << '\n';
        return;
    }
    out << "kind: " << FileTypeName(facts.kind) << '\n'
        << "width: " << facts.width << '\n'
        << "height: " << facts.height << '\n'
        << "bits per pixel: " << facts.bitsPerPixel << '\n'
        << "mode: " << (facts.colour ? "colour" : "gray") << '\n'
        << "reserved: " << facts.reserved << '\n'
        << "reader: " << facts.reader << '\n'
        << "orientation: " << facts.orientation << '\n'
        << "profile: " << ProfileText(facts) << '\n'
        << "bits per sample: " << facts.bitsPerSample << '\n';
}

} // namespace

CLI::App* AddInfoCommand(CLI::App& app, InfoOptions& options)
{
    CLI::App* command = app.add_subcommand("info", "Show the kind, size and depth of an image file");
    NamesAFile(command->add_option("FILE", options.path, PictureArgumentHelp("the image file")))->required();
    command->add_flag("--json", options.json, "print the facts as one JSON object");
    return command;
}

int RunInfoCommand(const InfoOptions& options, std::ostream& out, std::ostream& err)
{
    // The headers say all of this: no pixel is decoded, however large a
    // picture they describe. A file they do not settle is opened, which says
    // why; standard input can be read once only, so it is opened at once.
    const auto facts =
        options.path == kStandardStreamName ? std::nullopt : ProbePictureFile(options.path, options.limits);
    if (facts) {
        PrintFacts(out, *facts, options.json);
        return 0;
    }
    CliSession session(err, options.limits, options.console);
    const auto document = session.Open(options.path, err);
    if (!document)
        return 1;
    const CDibImage& image = *document->Image();
    PictureFacts opened{document->SourceType(), image.Width(),         image.Height(),
                        image.BitsPerPixel(),   image.IsColour() == 1, image.FileHeader().bfReserved1};
    const PictureMetadata& metadata = document->SourceMetadata();
    opened.reader = document->SourceType() == FileType::Cod ? std::string(kOriginalReaderName) : document->ReaderName();
    opened.orientation = metadata.appliedOrientation;
    opened.profileName = metadata.profileName;
    opened.bitsPerSample = metadata.bitsPerSample;
    PrintFacts(out, opened, options.json);
    return 0;
}

} // namespace tamr
