#include "cli/OutputName.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "document/DocumentMessages.h"
#include "document/LowerCase.h"
#include "image/PictureWriters.h"
#include "image/PlainBmp.h"
#include "image/TopDownPicture.h"
#include "platform/FileIo.h"

namespace tamr {
namespace {

constexpr std::array<std::string_view, 5> kFormats{"cod", "bmp", "png", "ppm", "pgm"};

// The kind an ending stands for: PPM and PGM are one kind (PNM).
std::string_view KindOf(std::string_view ending)
{
    return ending == "pgm" ? std::string_view("ppm") : ending;
}

// The name's own ending when it is one of the kinds, lower-case, without its dot.
std::optional<std::string> KindEnding(const std::string& name)
{
    const std::string extension = Lower(std::filesystem::path(name).extension().string());
    if (extension.size() < 2)
        return std::nullopt;
    const std::string ending = extension.substr(1);
    if (std::find(kFormats.begin(), kFormats.end(), ending) == kFormats.end())
        return std::nullopt;
    return ending;
}

} // namespace

CLI::Option* NamesAFile(CLI::Option* option)
{
    return option->check(CLI::Validator(
        [](const std::string& name) {
            return name.empty() ? std::string("an empty name names no file") : std::string();
        },
        "NAME"));
}

CLI::Option* AddFormatOption(CLI::App& command, std::string& format, const char* help)
{
    return command.add_option("--format", format, help)->check(CLI::IsMember({"cod", "bmp", "png", "ppm", "pgm"}));
}

bool IsStandardOutput(const std::string& name)
{
    return name == kStandardStreamName || name == "/dev/stdout";
}

int CheckOutputKind(const std::string& name, const std::string& format, std::ostream& err)
{
    if (name == kStandardStreamName && format.empty()) {
        err << "tamr-cli: the standard output (-) needs its kind: --format cod, bmp, png, ppm or pgm\n";
        return kUsageError;
    }
    const auto ending = KindEnding(name);
    if (!format.empty() && ending && KindOf(*ending) != KindOf(format)) {
        err << "tamr-cli: " << name << " names a ." << *ending << " file, not --format " << format << '\n';
        return kUsageError;
    }
    return 0;
}

std::optional<ChosenFile> OutputChoice(const std::string& name, const std::string& format,
                                       const std::string& titleExtension)
{
    ChosenFile choice = ChosenFileFor(name);
    if (!format.empty()) {
        choice.title = std::filesystem::path(name).filename().string();
        choice.extension = format;
        if (const auto ending = KindEnding(name)) // the name says it already: no second ending
            choice.title = std::filesystem::path(name).stem().string();
        return choice;
    }
    if (!choice.extension.empty() || !WrittenInPlace(name))
        return choice;
    if (titleExtension.size() < 2 || titleExtension.front() != '.')
        return std::nullopt;
    choice.title = std::filesystem::path(name).filename().string();
    choice.extension = titleExtension.substr(1);
    return choice;
}

std::filesystem::path OutputTarget(const ChosenFile& choice, const std::string& titleExtension)
{
    std::filesystem::path target = choice.path;
    if (choice.extension.empty())
        target += titleExtension;
    return target;
}

std::optional<PictureOutput> ResolvePictureOutput(const std::string& name, const std::string& format,
                                                  const std::string& titleExtension, std::ostream& err)
{
    const auto choice = OutputChoice(name, format, titleExtension);
    if (!choice) {
        err << "tamr-cli: " << name << " names no kind of file: give --format\n";
        return std::nullopt;
    }
    const std::string kindName =
        choice->extension.empty() ? choice->title + titleExtension : choice->title + "." + choice->extension;
    const CTamrDoc::Writer kind = CTamrDoc::WriterFor(Lower(kindName));
    if (kind == CTamrDoc::Writer::Cod) {
        err << "Error: " << kNotThisTypeMessage << '\n';
        return std::nullopt;
    }
    if (kind == CTamrDoc::Writer::None) {
        SayNotSaved(name, "", err);
        return std::nullopt;
    }
    return PictureOutput{OutputTarget(*choice, titleExtension), kind};
}

std::vector<std::uint8_t> PlainPictureFile(ConstPixelView pixels, int bytesPerPixel, CTamrDoc::Writer kind)
{
    if (kind == CTamrDoc::Writer::Bmp)
        return PlainBmpFile(pixels, bytesPerPixel);
    const auto picture = PlainPicture(pixels, bytesPerPixel);
    if (!picture)
        return {};
    return kind == CTamrDoc::Writer::Png ? EncodePng(*picture) : EncodePnm(*picture);
}

std::string OutputIsInputText(const std::string& output)
{
    return output + " is the input picture; choose another name";
}

bool RefuseOutputOverInputs(const std::vector<std::string>& inputs, const std::filesystem::path& output,
                            std::ostream& err)
{
    for (const std::string& input : inputs) {
        // Standard input is compared as what it was opened from.
        const std::filesystem::path read = input == kStandardStreamName ? "/dev/stdin" : input;
        if (SameFile(read, output)) {
            err << "tamr-cli: " << OutputIsInputText(output.string()) << '\n';
            return true;
        }
    }
    return false;
}

void SayNotSaved(const std::string& name, const std::string& reason, std::ostream& err, bool alreadyTold)
{
    if (!alreadyTold)
        err << "Error: " << kCannotSaveMessage << '\n';
    if (reason.empty())
        err << "tamr-cli: " << name << " was not written\n";
    else
        err << "tamr-cli: " << name << ": " << reason << '\n';
}

bool WriteCommandOutput(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::ostream& err)
{
    std::string reason;
    if (bytes.empty()) {
        SayNotSaved(path.string(), "", err);
        return false;
    }
    if (WriteOutputFile(path, bytes, &reason))
        return true;
    SayNotSaved(path.string(), reason, err);
    return false;
}

bool MakeOutputFolder(const std::filesystem::path& folder, std::ostream& err)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (std::filesystem::is_directory(folder))
        return true;
    err << "tamr-cli: cannot make the folder " << folder.string() << '\n';
    return false;
}

} // namespace tamr
