#include "cli/ImageFiles.h"

#include <cctype>

#include "image/ImageCompression.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

bool StartsAsBmp(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 2 && ((bytes[0] == 'B' && bytes[1] == 'M') || (bytes[0] == 'M' && bytes[1] == 'B'));
}

bool StartsAsCod(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= 3 && std::toupper(bytes[0]) == 'C' && std::toupper(bytes[1]) == 'I' &&
           std::toupper(bytes[2]) == 'S';
}

} // namespace

std::optional<OpenedImage> OpenImageFile(const std::filesystem::path& path, const CodecSettings& settings,
                                         Prompter& prompter, std::ostream& err)
{
    const auto bytes = ReadFileBytes(path);
    if (!bytes) {
        err << "tamr-cli: cannot read " << path.string() << '\n';
        return std::nullopt;
    }
    OpenedImage opened;
    opened.image = std::make_unique<CDibImage>();
    if (StartsAsBmp(*bytes)) {
        if (!opened.image->ReadBmp(*bytes, prompter, DisplaySettings{})) {
            err << "tamr-cli: " << path.string() << " is not a readable BMP file\n";
            return std::nullopt;
        }
        const auto& image = *opened.image;
        opened.codec = std::make_unique<WaveletCodec>(settings, image.Width(), image.Height(), image.BitsPerPixel(),
                                                      image.DetectColour() == 1);
        return opened;
    }
    if (StartsAsCod(*bytes)) {
        opened.fromCod = true;
        opened.codec = std::make_unique<WaveletCodec>(settings);
        if (!opened.codec->ReadHeader(*bytes)) {
            prompter.ShowError("file can not be decompressed!!", "Error");
            return std::nullopt;
        }
        if (!DecodeCodImage(*opened.image, *opened.codec)) {
            err << "tamr-cli: not enough memory to decode " << path.string() << '\n';
            return std::nullopt;
        }
        return opened;
    }
    prompter.ShowError("There was an error reading the file!!", "Error");
    return std::nullopt;
}

bool SaveFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::ostream& err)
{
    std::string reason;
    if (bytes.empty() || !WriteFileAtomically(path, bytes, &reason)) {
        err << "tamr-cli: cannot write " << path.string() << (reason.empty() ? "" : ": " + reason) << '\n';
        return false;
    }
    return true;
}

} // namespace tamr
