#include "image/PictureProbe.h"

#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "image/GifReader.h"
#include "image/JpegReader.h"
#include "image/PngReader.h"
#include "image/PnmReader.h"
#include "image/TgaReader.h"
#include "platform/MappedFile.h"
#include "platform/SilentPrompter.h"

namespace tamr {
namespace {

std::optional<PictureFacts> FactsOf(const CDibImage& image, FileType kind)
{
    return PictureFacts{kind,
                        image.Width(),
                        image.Height(),
                        image.BitsPerPixel(),
                        image.IsColour() == 1,
                        image.FileHeader().bfReserved1};
}

// A reader's head (its block without rows) as the image would load it.
std::optional<PictureFacts> FactsOfHead(const Result<ByteBlock>& head, FileType kind, const Limits& limits)
{
    if (!head)
        return std::nullopt;
    CDibImage image;
    if (!image.ProbePackedHead(*head, limits))
        return std::nullopt;
    return FactsOf(image, kind);
}

std::optional<PictureFacts> FactsOfHead(const PictureReadResult& head, FileType kind, const Limits& limits)
{
    if (!head.block)
        return std::nullopt;
    return FactsOfHead(Result<ByteBlock>(*head.block), kind, limits);
}

std::optional<PictureFacts> CodFacts(std::span<const std::uint8_t> file, const Limits& limits)
{
    const CodecSettings settings;
    WaveletCodec codec(settings);
    if (!codec.ReadHeader(file, limits))
        return std::nullopt;
    return PictureFacts{FileType::Cod, codec.Width(), codec.Height(), codec.BitsPerPixel(), codec.IsColour(), 0};
}

} // namespace

std::optional<PictureFacts> ProbePicture(std::span<const std::uint8_t> file, std::string_view fullName,
                                         const Limits& limits)
{
    const FileType kind = DetectFileType(file, fullName);
    SilentPrompter silent;
    switch (kind) {
    case FileType::Bmp: {
        CDibImage image;
        if (!image.ProbeBmp(file, limits))
            return std::nullopt;
        return FactsOf(image, kind);
    }
    case FileType::Cod:
        return CodFacts(file, limits);
    case FileType::Tga:
        return FactsOfHead(CTgaReader().ReadHead(file, silent, limits), kind, limits);
    case FileType::Gif:
        return FactsOfHead(CGifReader().ReadHead(file, silent, limits), kind, limits);
    case FileType::Jpeg:
        return FactsOfHead(ReadJpegHead(file, silent, limits), kind, limits);
    case FileType::Png:
        return FactsOfHead(ReadPngHead(file, limits), kind, limits);
    case FileType::Pnm:
        return FactsOfHead(ReadPnmHead(file, limits), kind, limits);
    case FileType::Unknown:
        break;
    }
    return std::nullopt;
}

std::optional<PictureFacts> ProbePictureFile(const std::filesystem::path& path, const Limits& limits)
{
    const auto mapped = MappedFile::Open(path, limits);
    if (!mapped)
        return std::nullopt;
    return ProbePicture(mapped->Bytes(), path.string(), limits);
}

} // namespace tamr
