#include "image/TgaReader.h"

#include <algorithm>
#include <vector>

#include "image/BmpHeaders.h"
#include "image/ImageMessages.h"
#include "image/PackedImageBlock.h"
#include "image/TgaHeader.h"
#include "image/TgaPixels.h"
#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"
#include "platform/CheckedSize.h"

namespace tamr {
namespace {

enum class PixelForm { TrueColour, Mapped, Index, Bit };
enum class PaletteForm { None, ColourMap, Gray, BlackWhite };
enum class MapUse { None, Read, Skip };

// What a combination of colour-map type and image type turns into.
struct Plan {
    PixelForm pixels = PixelForm::TrueColour;
    PaletteForm palette = PaletteForm::None;
    MapUse map = MapUse::None;
    int outputBits = 24; // for colour-mapped indices settled once the map length is known
};

enum class Refusal { Compressed, Unsupported };

struct Dispatch {
    std::optional<Plan> plan;
    Refusal refusal = Refusal::Unsupported;
};

Dispatch Choose(const TgaHeader& header)
{
    const int colourBits = header.ColourBits();
    const std::uint8_t type = header.imageType;
    if (type >= kTgaFirstRunLength && type <= kTgaLastRunLength && header.colourMapType <= 1)
        return {std::nullopt, Refusal::Compressed};
    if (header.colourMapType == 0) {
        if (type == kTgaTrueColour)
            return {Plan{}};
        if (type == kTgaGray && colourBits <= 8) {
            const int bits = colourBits == 2 || colourBits == 3 ? 4 : 8;
            return {Plan{PixelForm::Index, PaletteForm::Gray, MapUse::None, bits}};
        }
    } else if (header.colourMapType == 1) {
        if (type == kTgaColourMapped && colourBits > 8)
            return {Plan{PixelForm::Mapped, PaletteForm::None, MapUse::Read, 24}};
        if (type == kTgaColourMapped)
            return {Plan{PixelForm::Index, PaletteForm::ColourMap, MapUse::Read, 8}};
        if (type == kTgaTrueColour)
            return {Plan{PixelForm::TrueColour, PaletteForm::None, MapUse::Skip, 24}};
        if (type == kTgaGray)
            return {Plan{PixelForm::Bit, PaletteForm::BlackWhite, MapUse::Skip, 1}};
    }
    return {};
}

// Index depth for a map of n entries: 4 bits when floor(log2 n) is 2 or 3, else 8.
int IndexBitsForMapLength(std::uint16_t n)
{
    return n >= 4 && n < 16 ? 4 : 8;
}

std::vector<RgbQuad> BuildPalette(const Plan& plan, const TgaColourMap& map)
{
    const std::size_t size = std::size_t{1} << plan.outputBits;
    std::vector<RgbQuad> palette(size);
    switch (plan.palette) {
    case PaletteForm::ColourMap: {
        // Entry k of the map is palette entry first + k; entries that fall past the palette are dropped.
        const std::size_t first = map.firstEntryIndex;
        const std::size_t count = first < size ? std::min<std::size_t>(size - first, map.length) : 0;
        for (std::size_t k = 0; k < count; ++k)
            palette[first + k] = map.Entry(k);
        break;
    }
    case PaletteForm::Gray:
        for (std::size_t i = 0; i < size; ++i) {
            const auto level = static_cast<std::uint8_t>(i << (8 - plan.outputBits));
            palette[i] = RgbQuad{level, level, level, 0};
        }
        break;
    case PaletteForm::BlackWhite:
        palette[1] = RgbQuad{255, 255, 255, 0};
        break;
    case PaletteForm::None:
        break;
    }
    return palette;
}

BitmapInfoHeader BlockHeader(const TgaHeader& header, int bits)
{
    BitmapInfoHeader info;
    info.biSize = kInfoHeaderSize;
    info.biWidth = header.width;
    info.biHeight = header.height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<std::uint16_t>(bits);
    info.biClrUsed = bits < 24 ? std::uint32_t{1} << bits : 0;
    return info;
}

void WriteRows(const Plan& plan, const TgaPixelSource& source, const TgaHeader& header, const TgaColourMap& map,
               std::span<std::uint8_t> rows)
{
    switch (plan.pixels) {
    case PixelForm::TrueColour:
        WriteTrueColourRows(source, header.ColourBits(), rows);
        break;
    case PixelForm::Mapped:
        WriteMappedRows(source, map, rows);
        break;
    case PixelForm::Index:
        WriteIndexRows(source, plan.outputBits, rows);
        break;
    case PixelForm::Bit:
        WriteBitRows(source, rows);
        break;
    }
}

Result<ByteBlock> ReadTga(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits, bool withPixels)
{
    if (file.empty())
        return FailureKind::Truncated;
    ByteReader reader(file);
    const TgaHeader header = ReadTgaHeader(reader);
    if (reader.Overran() || header.imageType == kTgaNoImage)
        return FailureKind::Truncated;

    const Dispatch dispatch = Choose(header);
    if (!dispatch.plan) {
        if (dispatch.refusal == Refusal::Compressed)
            ShowImageError(prompter, kCompressedTgaMessage);
        return FailureKind::Unsupported;
    }
    Plan plan = *dispatch.plan;

    reader.Skip(header.idLength);
    if (reader.Overran())
        return FailureKind::Truncated;

    TgaColourMap map;
    if (plan.map != MapUse::None) {
        if (header.ColourMapBytes() > reader.Remaining())
            return FailureKind::Truncated;
        if (plan.map == MapUse::Skip) {
            reader.Skip(static_cast<std::size_t>(header.ColourMapBytes()));
        } else {
            auto read = ReadTgaColourMap(reader, header);
            if (!read)
                return FailureKind::OutOfMemory;
            map = std::move(*read);
        }
        if (plan.palette == PaletteForm::ColourMap)
            plan.outputBits = IndexBitsForMapLength(header.colourMapLength);
    }

    // Every stored pixel takes at least one byte, even at a nonsensical depth of
    // 0: the rows must be in the file, or a header alone could ask for a block
    // of any size.
    if ((CheckedSize(header.width) * header.height).Exceeds(limits.maxPixels))
        return FailureKind::TooLarge;
    const std::size_t stride = std::max<std::size_t>(1, header.InputBytesPerPixel());
    const auto pixelBytes = (CheckedSize(header.width) * header.height * stride).Within(reader.Remaining());
    if (!pixelBytes)
        return FailureKind::Truncated;
    const TgaPixelSource source(reader.Take(*pixelBytes), header, stride);

    const std::vector<RgbQuad> palette = plan.outputBits < 24 ? BuildPalette(plan, map) : std::vector<RgbQuad>();
    if (!limits.DecodeAllowed(header.width, header.height, plan.outputBits >= 24 ? 3 : 1))
        return Status::OverDecodeLimit();
    const std::uint64_t rowsOffset = PackedRowsOffset(static_cast<std::uint32_t>(palette.size()));
    const auto blockBytes = (CheckedSize(PackedRowBytes(header.width, plan.outputBits)) * header.height + rowsOffset)
                                .Within(limits.maxBlockBytes);
    if (!blockBytes)
        return FailureKind::TooLarge;
    auto block = AllocateBlock(withPixels ? *blockBytes : static_cast<std::size_t>(rowsOffset));
    if (!block)
        return FailureKind::OutOfMemory;

    std::vector<std::uint8_t> head;
    ByteWriter writer(head);
    WriteInfoHeader(writer, BlockHeader(header, plan.outputBits));
    for (const RgbQuad& entry : palette)
        WriteRgbQuad(writer, entry);
    std::copy(head.begin(), head.end(), block->begin());
    if (!withPixels)
        return std::move(*block);

    WriteRows(plan, source, header, map, std::span(*block).subspan(static_cast<std::size_t>(rowsOffset)));
    return std::move(*block);
}

} // namespace

Result<ByteBlock> CTgaReader::Read(std::span<const std::uint8_t> file, Prompter& prompter, const Limits& limits) const
{
    return ReadTga(file, prompter, limits, true);
}

Result<ByteBlock> CTgaReader::ReadHead(std::span<const std::uint8_t> file, Prompter& prompter,
                                       const Limits& limits) const
{
    return ReadTga(file, prompter, limits, false);
}

} // namespace tamr
