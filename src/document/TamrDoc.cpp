#include "document/TamrDoc.h"

#include <algorithm>
#include <cctype>

#include "image/GifReader.h"
#include "image/ImageCompression.h"
#include "image/JpegReader.h"
#include "image/TgaReader.h"
#include "platform/Clock.h"
#include "platform/CountingPrompter.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

constexpr const char* kReadError = "There was an error reading the file!!";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

CTamrDoc::CTamrDoc(DocumentEnvironment& environment) : environment_(environment) {}

// The codec goes first, then the image, then the palette, which the views
// must no longer draw with.
CTamrDoc::~CTamrDoc()
{
    codec_.reset();
    image_.reset();
    if (palette_ && environment_.currentPalette == palette_.get())
        environment_.currentPalette = nullptr;
    palette_.reset();
}

bool CTamrDoc::OnNewDocument()
{
    SetTitle("Untitled");
    return true;
}

std::string CTamrDoc::TitleExtension() const
{
    const std::string& title = Title();
    return Lower(title.size() <= 4 ? title : title.substr(title.size() - 4));
}

std::string CTamrDoc::CodTitle(const std::string& title)
{
    return title.substr(0, title.find('.')) + ".cod";
}

ImagePalette CTamrDoc::CreateImagePalette(const CDibImage& image)
{
    ImagePalette palette;
    const auto table = image.ColourTable();
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = PaletteEntry{table[i].red, table[i].green, table[i].blue};
    return palette;
}

bool CTamrDoc::OnOpenDocument(const std::filesystem::path& path)
{
    return OnOpenDocument(path, path.string());
}

bool CTamrDoc::OnOpenDocument(const std::filesystem::path& path, const std::string& nameForType)
{
    const auto file = ReadFileBytes(path);
    if (!file)
        return false; // cannot be opened: no message
    const FileType type = DetectFileType(*file, nameForType);
    bool opened = false;
    try {
        switch (type) {
        case FileType::Bmp:
            opened = OpenBmp(*file);
            break;
        case FileType::Cod:
            opened = OpenCod(*file);
            break;
        case FileType::Tga:
        case FileType::Gif:
            opened = OpenTgaOrGif(*file, type);
            break;
        case FileType::Jpeg:
            opened = OpenJpeg(*file);
            break;
        case FileType::Unknown:
            environment_.prompter.ShowError(kReadError, "Error");
            return false;
        }
    } catch (const std::bad_alloc&) {
        opened = false;
    }
    if (!opened)
        return false;
    try {
        palette_ = std::make_unique<ImagePalette>(CreateImagePalette(*image_));
    } catch (const std::bad_alloc&) {
        palette_.reset(); // drawn without a palette of its own; the document still opens
    }
    SetPathName(path);
    SetTitle(path.filename().string());
    return true;
}

void CTamrDoc::MakeCodecForImage()
{
    codec_ = std::make_unique<WaveletCodec>(environment_.settings, image_->Width(), image_->Height(),
                                            image_->BitsPerPixel(), image_->DetectColour() == 1);
}

bool CTamrDoc::OpenBmp(std::span<const std::uint8_t> file)
{
    image_ = std::make_unique<CDibImage>();
    sourceType_ = FileType::Bmp;
    if (!image_->ReadBmp(file, environment_.prompter, environment_.display))
        return false;
    MakeCodecForImage();
    return true;
}

bool CTamrDoc::OpenCod(std::span<const std::uint8_t> file)
{
    codec_ = std::make_unique<WaveletCodec>(environment_.settings);
    sourceType_ = FileType::Cod;
    if (!codec_->ReadHeader(file)) {
        environment_.prompter.ShowError("file can not be decompressed!!", "Error");
        return false;
    }
    const TimeStamp t0 = Now();
    image_ = std::make_unique<CDibImage>();
    bool decoded = false;
    if (codec_->Method() == CodingMethod::Wavelet) {
        const auto display = MakeLevelDisplay();
        decoded = display && DecodeCodImage(*image_, *codec_, environment_.display, display->callback);
    } else {
        decoded = DecodeCodImage(*image_, *codec_, environment_.display);
    }
    if (!decoded)
        return false;
    const TimeStamp t1 = Now();
    compressSeconds_ = 0;
    decompressSeconds_ = ElapsedSeconds(t0, t1);
    UpdateAllViews();
    return true;
}

bool CTamrDoc::ImageFromPackedBlock(std::span<const std::uint8_t> block)
{
    image_ = std::make_unique<CDibImage>();
    // A block the image refuses has been reported by the image; the document
    // does not keep a picture without pixels.
    return image_->LoadPackedBlock(block, environment_.prompter, environment_.display);
}

bool CTamrDoc::OpenTgaOrGif(std::span<const std::uint8_t> file, FileType type)
{
    sourceType_ = type;
    std::optional<ByteBlock> block;
    if (type == FileType::Tga) {
        block = CTgaReader().Read(file, environment_.prompter);
        if (!block) {
            environment_.prompter.ShowError(kReadError, "");
            return false;
        }
    } else {
        // The reader tells the user about the files it refuses knowingly; a
        // file it simply cannot read gets the document's read error.
        CountingPrompter reader(environment_.prompter);
        block = CGifReader().Read(file, reader);
        if (!block) {
            if (reader.MessagesShown() == 0)
                environment_.prompter.ShowError(kReadError, "Error");
            return false;
        }
    }
    if (!ImageFromPackedBlock(*block))
        return false;
    MakeCodecForImage();
    codec_->SetSourceDataSize(file.size());
    UpdateAllViews();
    return true;
}

bool CTamrDoc::OpenJpeg(std::span<const std::uint8_t> file)
{
    sourceType_ = FileType::Jpeg;
    const TimeStamp t0 = Now();
    const auto block = ReadJpeg(file, environment_.prompter);
    if (!block || !ImageFromPackedBlock(*block))
        return false;
    const TimeStamp t1 = Now();
    compressSeconds_ = 0;
    decompressSeconds_ = ElapsedSeconds(t0, t1);
    MakeCodecForImage();
    codec_->SetSourceDataSize(file.size());
    UpdateAllViews();
    return true;
}

std::optional<CTamrDoc::LevelDisplay> CTamrDoc::MakeLevelDisplay()
{
    LevelDisplay display;
    if (!environment_.settings.incrementalDisplay)
        return display;
    // Made for the codec's picture before decoding starts; without memory for
    // it the decoding does not start either.
    display.image = std::make_unique<CDibImage>();
    if (!display.image->AllocateForLevelDisplay(*codec_))
        return std::nullopt;
    display.callback = [this, &image = *display.image](int level, const WaveletCodec& codec) {
        ShowDecodedLevel(image, codec, level);
    };
    return display;
}

void CTamrDoc::ShowDecodedLevel(CDibImage& levelImage, const WaveletCodec& codec, int level)
{
    if (Views().empty())
        return;
    if (levelImage.ShowLevel(codec, level, environment_.display))
        Views().front()->ShowLevel(levelImage);
}

void CTamrDoc::WarnIfJpegSource() const
{
    if (sourceType_ == FileType::Jpeg)
        environment_.prompter.ShowMessage(
            {"Orginal Image is compressed by JPEG!!", "Warning", MessageIcon::Information, MessageButtons::Ok});
}

bool CTamrDoc::Compress()
{
    if (!image_ || !codec_)
        return false;
    const std::string codTitle = CodTitle(Title());
    WarnIfJpegSource();
    if (CodesItsPicture()) {
        std::optional<CompressionTimes> times;
        try {
            if (environment_.settings.qualityFactor == 100) {
                times = CompressImage(*image_, *codec_, environment_.settings, environment_.display);
            } else if (const auto display = MakeLevelDisplay()) {
                times = CompressImage(*image_, *codec_, environment_.settings, environment_.display, display->callback);
            }
        } catch (const std::bad_alloc&) {
            times.reset();
        }
        if (!times)
            return false;
        compressSeconds_ = times->compressSeconds;
        decompressSeconds_ = times->decompressSeconds;
    }
    SetModifiedFlag(true);
    SetTitle(codTitle);
    imageEdited_ = false;
    UpdateAllViews();
    return true;
}

} // namespace tamr
