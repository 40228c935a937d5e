#pragma once
// Builds TGA files byte by byte for the reader tests, so that odd and hostile
// headers can be made at will.

#include <cstdint>
#include <vector>

#include "platform/ByteWriter.h"

namespace tamr::test {

struct TgaSpec {
    std::uint8_t colourMapType = 0;
    std::uint8_t imageType = 2;
    std::uint16_t firstEntryIndex = 0;
    std::uint16_t colourMapLength = 0;
    std::uint8_t entrySize = 0;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t depth = 24;
    std::uint8_t descriptor = 0;
    std::vector<std::uint8_t> id;
    std::vector<std::uint8_t> colourMap; // as stored
    std::vector<std::uint8_t> pixels;    // as stored
};

inline std::vector<std::uint8_t> BuildTga(const TgaSpec& spec)
{
    std::vector<std::uint8_t> bytes;
    ByteWriter writer(bytes);
    writer.U8(static_cast<std::uint8_t>(spec.id.size()));
    writer.U8(spec.colourMapType);
    writer.U8(spec.imageType);
    writer.U16(spec.firstEntryIndex);
    writer.U16(spec.colourMapLength);
    writer.U8(spec.entrySize);
    writer.U16(0x1234); // origins: noise the reader must not use
    writer.U16(0x5678);
    writer.U16(spec.width);
    writer.U16(spec.height);
    writer.U8(spec.depth);
    writer.U8(spec.descriptor);
    writer.Bytes(spec.id);
    writer.Bytes(spec.colourMap);
    writer.Bytes(spec.pixels);
    return bytes;
}

} // namespace tamr::test
