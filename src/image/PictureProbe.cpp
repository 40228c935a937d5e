#include "image/PictureProbe.h"

#include <utility>

#include "codec/CodecSettings.h"
#include "codec/WaveletCodec.h"
#include "image/DibImage.h"
#include "image/OrientationAndColour.h"
#include "image/PictureOrientation.h"
#include "image/PictureReaderTable.h"
#include "platform/MappedFile.h"

namespace tamr {
namespace {

// A reader's head as the image would load it: its packed head (the block
// without rows), or the facts its headers give.
std::optional<PictureFacts> FactsOfStoredHead(const PictureReadResult& head, FileType kind, const Limits& limits)
{
    if (head.headFacts) {
        const PictureHeadFacts& facts = *head.headFacts;
        return PictureFacts{kind, facts.width, facts.height, facts.bitsPerPixel, facts.colour, facts.reserved};
    }
    if (!head.block)
        return std::nullopt;
    CDibImage image;
    if (!image.ProbePackedHead(*head.block, limits))
        return std::nullopt;
    return PictureFacts{kind,
                        image.Width(),
                        image.Height(),
                        image.BitsPerPixel(),
                        image.IsColour() == 1,
                        image.FileHeader().bfReserved1};
}

// The facts of the picture as it is shown: upright, as the file says.
std::optional<PictureFacts> FactsOfHead(PictureReadResult head, const PictureReaderEntry& entry, const Limits& limits)
{
    const FileType kind = entry.kind;
    if (!head.Ok())
        return std::nullopt;
    auto facts = FactsOfStoredHead(head, kind, limits);
    if (!facts)
        return std::nullopt;
    // A kind with no own reader has its general reader's head, named as a full read names it.
    facts->reader = std::string(entry.read != nullptr ? kOriginalReaderName : entry.generalName);
    DescribeOrientationAndColour(head.metadata);
    facts->orientation = head.metadata.appliedOrientation;
    if (OrientationTransposes(facts->orientation))
        std::swap(facts->width, facts->height);
    facts->profileName = head.metadata.profileName;
    facts->bitsPerSample = head.metadata.bitsPerSample;
    return facts;
}

std::optional<PictureFacts> CodFacts(std::span<const std::uint8_t> file, const Limits& limits)
{
    const CodecSettings settings;
    WaveletCodec codec(settings);
    if (!codec.ReadHeader(file, limits))
        return std::nullopt;
    PictureFacts facts{FileType::Cod, codec.Width(), codec.Height(), codec.BitsPerPixel(), codec.IsColour(), 0};
    facts.reader = std::string(kOriginalReaderName);
    return facts;
}

} // namespace

std::optional<PictureFacts> ProbePicture(std::span<const std::uint8_t> file, std::string_view fullName,
                                         const Limits& limits)
{
    const FileType kind = DetectFileType(file, fullName);
    if (kind == FileType::Cod)
        return CodFacts(file, limits);
    const PictureReaderEntry* entry = PictureReaderFor(kind);
    if (entry == nullptr || entry->readHead == nullptr)
        return std::nullopt;
    return FactsOfHead(entry->readHead(file, limits), *entry, limits);
}

std::optional<PictureFacts> ProbePictureFile(const std::filesystem::path& path, const Limits& limits)
{
    const auto mapped = MappedFile::Open(path, limits);
    if (!mapped)
        return std::nullopt;
    return ProbePicture(mapped->Bytes(), path.string(), limits);
}

} // namespace tamr
