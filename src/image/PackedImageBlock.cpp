#include "image/PackedImageBlock.h"

#include "platform/ByteWriter.h"

namespace tamr {

ByteBlock MakePackedBlock(const BitmapInfoHeader& header, std::span<const RgbQuad> table,
                          std::span<const std::uint8_t> rows)
{
    ByteBlock block;
    block.reserve(kInfoHeaderSize + kRgbQuadSize * table.size() + kPackedSpareBytes + rows.size());
    ByteWriter writer(block);
    WriteInfoHeader(writer, header);
    for (const RgbQuad& entry : table)
        WriteRgbQuad(writer, entry);
    writer.Zeros(kPackedSpareBytes);
    writer.Bytes(rows);
    return block;
}

} // namespace tamr
