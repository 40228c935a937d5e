#include "document/TamrDoc.h"

#include "document/DocumentMessages.h"
#include "document/LowerCase.h"
#include "image/GifReader.h"
#include "image/ImageCompression.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/PnmReader.h"
#include "image/TgaReader.h"
#include "platform/Clock.h"
#include "platform/CountingPrompter.h"
#include "platform/FileIo.h"

namespace tamr {

namespace {

constexpr std::string_view kCompositedNotice = "Transparent parts of the picture are shown over white";
constexpr std::string_view kSkippedChunksNotice =
    "The file's extra chunks (text, colour profile ...) are larger than the reader keeps and were skipped";

} // namespace

CTamrDoc::CTamrDoc(DocumentEnvironment& environment) : environment_(environment) {}

// The codec goes first, then the image, then the palette.
CTamrDoc::~CTamrDoc()
{
    codec_.reset();
    image_.reset();
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

Status CTamrDoc::OnOpenDocument(const std::filesystem::path& path)
{
    return OnOpenDocument(path, path.string());
}

Status CTamrDoc::OnOpenDocument(const std::filesystem::path& path, const std::string& nameForType)
{
    auto file = ReadFileBytes(path, environment_.limits);
    if (!file)
        return file.AsStatus(); // cannot be opened: no message
    const FileType type = DetectFileType(*file, nameForType);
    Status opened;
    // Opening is where reading meets the user: memory that runs out anywhere
    // below ends here.
    try {
        switch (type) {
        case FileType::Bmp:
            opened = OpenBmp(std::move(*file));
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
        case FileType::Png:
        case FileType::Pnm:
            opened = OpenPngOrPnm(*file, type);
            break;
        case FileType::Unknown:
            environment_.prompter.ShowError(std::string(kReadErrorMessage), "Error");
            return FailureKind::Unsupported;
        }
    } catch (const std::bad_alloc&) {
        opened = FailureKind::OutOfMemory;
    }
    if (!opened)
        return opened;
    try {
        palette_ = std::make_unique<ImagePalette>(CreateImagePalette(*image_));
    } catch (const std::bad_alloc&) {
        palette_.reset(); // drawn without a palette of its own; the document still opens
    }
    SetPathName(path);
    SetTitle(path.filename().string());
    ++generation_;
    return {};
}

void CTamrDoc::MakeCodecForImage()
{
    codec_ = std::make_unique<WaveletCodec>(environment_.settings, image_->Width(), image_->Height(),
                                            image_->BitsPerPixel(), image_->DetectColour() == 1);
}

// The file's block may become the picture's working image.
Status CTamrDoc::OpenBmp(ByteBlock&& file)
{
    image_ = std::make_unique<CDibImage>();
    sourceType_ = FileType::Bmp;
    if (const Status read =
            image_->ReadBmp(std::move(file), environment_.prompter, environment_.display, environment_.limits);
        !read)
        return read;
    MakeCodecForImage();
    return {};
}

Status CTamrDoc::OpenCod(std::span<const std::uint8_t> file)
{
    codec_ = std::make_unique<WaveletCodec>(environment_.settings);
    sourceType_ = FileType::Cod;
    if (const Status read = codec_->ReadHeader(file, environment_.limits); !read) {
        environment_.prompter.ShowError(std::string(kDecompressErrorMessage), "Error");
        return read;
    }
    const TimeStamp t0 = Now();
    image_ = std::make_unique<CDibImage>();
    Status decoded;
    if (codec_->Method() == CodingMethod::Wavelet) {
        const auto display = MakeLevelDisplay();
        decoded = display ? DecodeCodImage(*image_, *codec_, environment_.display, display->callback)
                          : Status(FailureKind::OutOfMemory);
    } else {
        decoded = DecodeCodImage(*image_, *codec_, environment_.display);
    }
    if (!decoded)
        return decoded;
    const TimeStamp t1 = Now();
    compressSeconds_ = 0;
    decompressSeconds_ = ElapsedSeconds(t0, t1);
    UpdateAllViews();
    return {};
}

Status CTamrDoc::ImageFromPackedBlock(ByteBlock&& block)
{
    image_ = std::make_unique<CDibImage>();
    // A block the image refuses has been reported by the image; the document
    // does not keep a picture without pixels. The block becomes the picture's
    // working image where it can, so it is not held twice.
    return image_->LoadPackedBlock(std::move(block), environment_.prompter, environment_.display, environment_.limits);
}

Status CTamrDoc::OpenTgaOrGif(std::span<const std::uint8_t> file, FileType type)
{
    sourceType_ = type;
    Result<ByteBlock> block = FailureKind::Corrupt;
    if (type == FileType::Tga) {
        block = CTgaReader().Read(file, environment_.prompter, environment_.limits);
        if (!block) {
            environment_.prompter.ShowError(std::string(kReadErrorMessage), "");
            return block.AsStatus();
        }
    } else {
        // The reader tells the user about the files it refuses knowingly; a
        // file it simply cannot read gets the document's read error.
        CountingPrompter reader(environment_.prompter);
        block = CGifReader().Read(file, reader, environment_.limits);
        if (!block) {
            if (reader.MessagesShown() == 0)
                environment_.prompter.ShowError(std::string(kReadErrorMessage), "Error");
            return block.AsStatus();
        }
    }
    if (const Status loaded = ImageFromPackedBlock(std::move(*block)); !loaded)
        return loaded;
    MakeCodecForImage();
    codec_->SetSourceDataSize(file.size());
    UpdateAllViews();
    return {};
}

Status CTamrDoc::OpenJpeg(std::span<const std::uint8_t> file)
{
    sourceType_ = FileType::Jpeg;
    const TimeStamp t0 = Now();
    auto block = ReadJpeg(file, environment_.prompter, environment_.limits);
    if (!block)
        return block.AsStatus();
    if (const Status loaded = ImageFromPackedBlock(std::move(*block)); !loaded)
        return loaded;
    const TimeStamp t1 = Now();
    compressSeconds_ = 0;
    decompressSeconds_ = ElapsedSeconds(t0, t1);
    MakeCodecForImage();
    codec_->SetSourceDataSize(file.size());
    UpdateAllViews();
    return {};
}

// Opened like a TGA or GIF picture; the reader's reason for refusing a file
// goes under the read error.
Status CTamrDoc::OpenPngOrPnm(std::span<const std::uint8_t> file, FileType type)
{
    sourceType_ = type;
    PictureReadResult result =
        type == FileType::Png ? ReadPng(file, environment_.limits) : ReadPnm(file, environment_.limits);
    if (result.overDecodeLimit) {
        environment_.prompter.ShowError(std::string(kReadErrorMessage), "Error");
        return Status::OverDecodeLimit();
    }
    if (!result.block) {
        environment_.prompter.ShowErrorWithDetail(std::string(kReadErrorMessage), "Error", result.failure);
        return FailureKind::Corrupt;
    }
    if (const Status loaded = ImageFromPackedBlock(std::move(*result.block)); !loaded)
        return loaded;
    if (result.skippedChunks)
        environment_.prompter.ShowNotice(std::string(kSkippedChunksNotice), "Notice");
    if (result.composited)
        environment_.prompter.ShowNotice(std::string(kCompositedNotice), "Notice");
    MakeCodecForImage();
    codec_->SetSourceDataSize(file.size());
    UpdateAllViews();
    return {};
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

void CTamrDoc::WarnIfJpegSource(bool mayInterrupt)
{
    if (sourceType_ != FileType::Jpeg)
        return;
    // Said once as a box; after that (and from work done in the background,
    // which must not stop the user mid-gesture) in the status line.
    if (mayInterrupt && !jpegWarningShown_) {
        jpegWarningShown_ = true;
        environment_.prompter.ShowMessage(
            {std::string(kJpegSourceWarning), "Warning", MessageIcon::Information, MessageButtons::Ok});
    } else {
        environment_.prompter.ShowNotice(std::string(kJpegSourceWarning), "Warning");
    }
}

void CTamrDoc::WarnBeforeCompress()
{
    WarnIfJpegSource(true);
}

Status CTamrDoc::Compress()
{
    if (!image_ || !codec_)
        return FailureKind::Unsupported;
    const std::string codTitle = CodTitle(Title());
    WarnIfJpegSource(true);
    if (CodesItsPicture()) {
        // Compressing is where the codec meets the user: memory that runs out
        // anywhere below ends here.
        Result<CompressionTimes> times = FailureKind::OutOfMemory;
        try {
            if (environment_.settings.qualityFactor == 100) {
                times = CompressImage(*image_, *codec_, environment_.settings, environment_.display);
            } else if (const auto display = MakeLevelDisplay()) {
                times = CompressImage(*image_, *codec_, environment_.settings, environment_.display, display->callback);
            }
        } catch (const std::bad_alloc&) {
            times = FailureKind::OutOfMemory;
        }
        if (!times)
            return times.AsStatus();
        compressSeconds_ = times->compressSeconds;
        decompressSeconds_ = times->decompressSeconds;
    }
    SetModifiedFlag(true);
    SetTitle(codTitle);
    imageEdited_ = false;
    ++generation_;
    UpdateAllViews();
    return {};
}

} // namespace tamr
