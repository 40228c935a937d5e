#include "image/TgaHeader.h"

#include "platform/ByteBlock.h"

namespace tamr {
namespace {

RgbQuad FromFiveFiveFive(std::uint16_t value)
{
    return RgbQuad{static_cast<std::uint8_t>((value & 31) << 3), static_cast<std::uint8_t>(((value >> 5) & 31) << 3),
                   static_cast<std::uint8_t>(((value >> 10) & 31) << 3), 0};
}

} // namespace

TgaHeader ReadTgaHeader(ByteReader& reader)
{
    TgaHeader header;
    header.idLength = reader.U8();
    header.colourMapType = reader.U8();
    header.imageType = reader.U8();
    header.firstEntryIndex = reader.U16();
    header.colourMapLength = reader.U16();
    header.colourMapEntrySize = reader.U8();
    reader.Skip(4); // x and y origin, not used
    header.width = reader.U16();
    header.height = reader.U16();
    header.pixelDepth = reader.U8();
    header.descriptor = reader.U8();
    return header;
}

std::optional<TgaColourMap> ReadTgaColourMap(ByteReader& reader, const TgaHeader& header)
{
    TgaColourMap map;
    map.firstEntryIndex = header.firstEntryIndex;
    map.length = header.colourMapLength;
    const std::uint8_t size = header.colourMapEntrySize;
    const bool convertible = size == 15 || size == 16 || size == 24 || size == 32;
    if (!convertible) {
        reader.Skip(static_cast<std::size_t>(header.ColourMapBytes()));
        return map;
    }
    if (!TryResize(map.entries, map.length))
        return std::nullopt;
    for (RgbQuad& entry : map.entries) {
        if (size <= 16) {
            entry = FromFiveFiveFive(reader.U16());
            continue;
        }
        entry.blue = reader.U8();
        entry.green = reader.U8();
        entry.red = reader.U8();
        if (size == 32)
            reader.Skip(1); // alpha
    }
    return map;
}

} // namespace tamr
