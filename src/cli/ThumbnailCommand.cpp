#include "cli/ThumbnailCommand.h"

#include "cli/OutputName.h"
#include "cli/PictureKindsHelp.h"
#include "evaluate/Thumbnail.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

constexpr std::string_view kNotOpened = "cannot be opened as a picture";
constexpr std::string_view kNotWritten = "cannot be written";

} // namespace

CLI::App* AddThumbnailCommand(CLI::App& app, ThumbnailOptions& options)
{
    CLI::App* command = app.add_subcommand("thumbnail", "Write a small PNG picture of a picture, for file managers");
    NamesAFile(command->add_option("IN", options.input, PictureArgumentHelp("the picture")))->required();
    NamesAFile(command->add_option("OUT", options.output, "the PNG file to write"))->required();
    command->add_option("-s,--size", options.size, "the longest side of the small picture in pixels")
        ->check(CLI::Range(std::uint32_t{1}, std::uint32_t{4096}))
        ->capture_default_str();
    return command;
}

int RunThumbnailCommand(const ThumbnailOptions& options, std::ostream& err)
{
    const auto png = ThumbnailPng(options.input, options.limits, ReadPolicy{options.console.anyVariant}, options.size);
    if (png.empty()) {
        err << "tamr-cli: " << options.input << ' ' << kNotOpened << '\n';
        return 1;
    }
    std::string reason;
    if (!WriteOutputFile(options.output, png, &reason)) {
        err << "tamr-cli: " << options.output << ' ' << kNotWritten << (reason.empty() ? "" : ": " + reason) << '\n';
        return 1;
    }
    return 0;
}

} // namespace tamr
