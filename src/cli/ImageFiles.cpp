#include "cli/ImageFiles.h"

#include "image/FileType.h"
#include "image/ImageCompression.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

// Passes messages on and remembers whether the user was told anything.
class CountingPrompter : public Prompter {
public:
    explicit CountingPrompter(Prompter& inner) : inner_(inner) {}
    MessageAnswer ShowMessage(const Message& message) override
    {
        ++count_;
        return inner_.ShowMessage(message);
    }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& request) override
    {
        return inner_.AskSaveFile(request);
    }
    int Count() const { return count_; }

private:
    Prompter& inner_;
    int count_ = 0;
};

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
    opened.fileSize = bytes->size();
    opened.type = DetectFileType(*bytes, path.string());
    if (opened.type == FileType::Bmp) {
        CountingPrompter counting(prompter);
        if (!opened.image->ReadBmp(*bytes, counting, DisplaySettings{})) {
            if (counting.Count() == 0)
                err << "tamr-cli: " << path.string() << " is not a readable BMP file\n";
            return std::nullopt;
        }
        const auto& image = *opened.image;
        opened.codec = std::make_unique<WaveletCodec>(settings, image.Width(), image.Height(), image.BitsPerPixel(),
                                                      image.DetectColour() == 1);
        return opened;
    }
    if (opened.type == FileType::Cod) {
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
