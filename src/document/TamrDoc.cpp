#include "document/TamrDoc.h"

#include "document/DocumentMessages.h"
#include "document/LowerCase.h"
#include "image/ImageCompression.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"

namespace tamr {

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
    if (const Status opened = OpenBytes(std::move(*file), nameForType); !opened)
        return opened;
    SetPathName(path);
    SetTitle(path.filename().string());
    return {};
}

Status CTamrDoc::OpenBytes(ByteBlock&& file, const std::string& nameForType)
{
    const FileType type = DetectFileType(file, nameForType);
    Status opened;
    // Opening is where reading meets the user: memory that runs out anywhere
    // below ends here.
    try {
        if (type == FileType::Cod) {
            opened = OpenCod(file);
        } else if (const PictureReaderEntry* reader = PictureReaderFor(type); reader != nullptr) {
            opened = OpenPicture(std::move(file), *reader);
        } else {
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
    ++generation_;
    return {};
}

void CTamrDoc::MakeCodecForImage()
{
    codec_ = std::make_unique<WaveletCodec>(environment_.settings, image_->Width(), image_->Height(),
                                            image_->BitsPerPixel(), image_->DetectColour() == 1);
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

// The reader's boxes are shown as its own reader has always shown them; a
// BMP file is loaded as it is, its block becoming the picture's where it can.
Status CTamrDoc::OpenPicture(ByteBlock&& file, const PictureReaderEntry& reader)
{
    sourceType_ = reader.kind;
    readerName_.clear();
    sourceMetadata_ = {};
    const TimeStamp t0 = Now();
    const std::size_t fileSize = file.size();
    PictureReadResult result = ReadPictureHandedOver(reader, file, environment_.limits, environment_.readPolicy);
    if (!result.Ok()) {
        ShowRefusal(result);
        return StatusOf(result);
    }
    readerName_ = result.reader;
    sourceMetadata_ = std::move(result.metadata);
    sourceMetadata_.exif.clear();
    sourceMetadata_.iccProfile.clear();
    if (result.layout == PictureLayout::BmpFile) {
        image_ = std::make_unique<CDibImage>();
        if (const Status read =
                image_->ReadBmp(std::move(file), environment_.prompter, environment_.display, environment_.limits);
            !read)
            return read;
        MakeCodecForImage();
        for (const std::string& notice : result.notices)
            environment_.prompter.ShowNotice(notice, "Notice");
        return {};
    }
    file = ByteBlock(); // the picture is in the reader's block now
    if (!result.block)
        return FailureKind::Corrupt;
    if (const Status loaded = ImageFromPackedBlock(std::move(*result.block)); !loaded)
        return loaded;
    if (reader.timesDecoding) {
        compressSeconds_ = 0;
        decompressSeconds_ = ElapsedSeconds(t0, Now());
    }
    for (const std::string& notice : result.notices)
        environment_.prompter.ShowNotice(notice, "Notice");
    MakeCodecForImage();
    codec_->SetSourceDataSize(fileSize);
    UpdateAllViews();
    return {};
}

void CTamrDoc::ShowRefusal(const PictureReadResult& result)
{
    for (const Message& message : result.messages)
        environment_.prompter.ShowMessage(message);
    if (!result.messages.empty())
        return;
    if (result.failure.empty() || result.failureKind == PictureFailure::OverDecodeLimit)
        environment_.prompter.ShowError(std::string(kReadErrorMessage), "Error");
    else
        environment_.prompter.ShowErrorWithDetail(std::string(kReadErrorMessage), "Error", result.failure);
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

Status CTamrDoc::Compress(Showing showing)
{
    if (!image_ || !codec_)
        return FailureKind::Unsupported;
    const std::string codTitle = CodTitle(Title());
    WarnIfJpegSource(true);
    if (CodesItsPicture()) {
        // Compressing is where the codec meets the user: memory that runs out
        // anywhere below ends here.
        Result<CompressionTimes> times = FailureKind::OutOfMemory;
        Result<MeasuredCompression> measured = FailureKind::OutOfMemory;
        try {
            if (showing == Showing::CodedOnly) {
                if (const Result<float> seconds = EncodeImage(*image_, *codec_, environment_.settings))
                    times = CompressionTimes{*seconds, 0};
                else
                    times = seconds.AsStatus();
            } else if (showing == Showing::Measured) {
                measured = CompressAndMeasure(*image_, *codec_, environment_.settings, environment_.display);
                times = measured ? Result<CompressionTimes>(measured->times) : measured.AsStatus();
            } else if (environment_.settings.qualityFactor == 100) {
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
        decodingLeftOut_ = showing != Showing::Decoded;
        measuredDifferences_.reset();
        if (measured)
            measuredDifferences_ = measured->figures;
        if (showing != Showing::CodedOnly)
            ++decodedCount_;
    }
    SetModifiedFlag(true);
    SetTitle(codTitle);
    imageEdited_ = false;
    ++generation_;
    UpdateAllViews();
    return {};
}

} // namespace tamr
