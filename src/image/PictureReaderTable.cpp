#include "image/PictureReaderTable.h"

#include <array>
#include <string>

#include "image/OrientationAndColour.h"
#include "image/OriginalReaders.h"
#include "image/PnmReader.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::array kTable = {
    PictureReaderEntry{FileType::Bmp, ReadBmpPicture, ReadBmpPictureHead, ReadBmpGeneral, "general BMP reader"},
    PictureReaderEntry{FileType::Tga, ReadTgaPicture, ReadTgaPictureHead, ReadTgaGeneral, "general TGA reader"},
    PictureReaderEntry{FileType::Gif, ReadGifPicture, ReadGifPictureHead, ReadGifGeneral, "giflib"},
    PictureReaderEntry{FileType::Jpeg, ReadJpegPicture, ReadJpegPictureHead, ReadJpegGeneral, "libjpeg-turbo", true},
    PictureReaderEntry{FileType::Png, ReadPngPicture, ReadPngPictureHead, nullptr, {}},
    PictureReaderEntry{FileType::Pnm, ReadPnmPicture, ReadPnmPictureHead, nullptr, {}, false, ReadPnmConsuming},
    PictureReaderEntry{FileType::Tiff, nullptr, ReadTiffGeneralHead, ReadTiffGeneral, "libtiff"},
    PictureReaderEntry{FileType::WebP, nullptr, ReadWebPGeneralHead, ReadWebPGeneral, "libwebp"},
    PictureReaderEntry{FileType::Avif, nullptr, ReadAvifGeneralHead, ReadAvifGeneral, "libavif"},
    PictureReaderEntry{FileType::Heif, nullptr, ReadHeifGeneralHead, ReadHeifGeneral, "libheif"},
    PictureReaderEntry{FileType::Jxl, nullptr, ReadJxlGeneralHead, ReadJxlGeneral, "libjxl"},
};

PictureReadResult ReadWithGeneral(const PictureReaderEntry& entry, std::span<const std::uint8_t> bytes,
                                  const Limits& limits)
{
    PictureReadResult result = entry.general(bytes, limits);
    result.reader = std::string(entry.generalName);
    if (result.Ok())
        result.notices.insert(result.notices.begin(), ReadByNotice(entry.generalName));
    return result;
}

// The reader's result, before the orientation and colour step.
PictureReadResult ReadAsStored(const PictureReaderEntry& entry, std::span<const std::uint8_t> bytes,
                               const Limits& limits, ReadPolicy policy)
{
    if (entry.read == nullptr) {
        if (entry.general == nullptr)
            return PictureReadResult::Refused(PictureFailure::Unsupported, "no reader for this kind");
        return ReadWithGeneral(entry, bytes, limits);
    }
    PictureReadResult own = entry.read(bytes, limits);
    own.reader = std::string(kOriginalReaderName);
    if (own.failureKind != PictureFailure::Unsupported || !policy.anyVariant || entry.general == nullptr)
        return own;
    PictureReadResult general = ReadWithGeneral(entry, bytes, limits);
    return general.Ok() ? std::move(general) : std::move(own);
}

} // namespace

std::span<const PictureReaderEntry> PictureReaderTable()
{
    return kTable;
}

const PictureReaderEntry* PictureReaderFor(FileType kind)
{
    for (const PictureReaderEntry& entry : kTable)
        if (entry.kind == kind)
            return &entry;
    return nullptr;
}

PictureReadResult ReadPicture(const PictureReaderEntry& entry, std::span<const std::uint8_t> bytes,
                              const Limits& limits, ReadPolicy policy)
{
    PictureReadResult result = ReadAsStored(entry, bytes, limits, policy);
    TurnUprightAndIntoSrgb(result);
    return result;
}

PictureReadResult ReadPictureHandedOver(const PictureReaderEntry& entry, ByteBlock& file, const Limits& limits,
                                        ReadPolicy policy)
{
    if (entry.readConsuming == nullptr || entry.general != nullptr)
        return ReadPicture(entry, std::span<const std::uint8_t>(file), limits, policy);
    PictureReadResult result = entry.readConsuming(file, limits);
    result.reader = std::string(kOriginalReaderName);
    TurnUprightAndIntoSrgb(result);
    return result;
}

std::string ReadByNotice(std::string_view readerName)
{
    return "Read by " + std::string(readerName);
}

} // namespace tamr
