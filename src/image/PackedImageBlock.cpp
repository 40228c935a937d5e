#include "image/PackedImageBlock.h"

#include <new>
#include <stdexcept>

#include "platform/ByteWriter.h"

namespace tamr {

ByteBlock MakePackedBlock(const BitmapInfoHeader& header, std::span<const RgbQuad> table,
                          std::span<const std::uint8_t> rows)
{
    try {
        ByteBlock block;
        block.reserve(kInfoHeaderSize + kRgbQuadSize * table.size() + kPackedSpareBytes + rows.size());
        ByteWriter writer(block);
        WriteInfoHeader(writer, header);
        for (const RgbQuad& entry : table)
            WriteRgbQuad(writer, entry);
        writer.Zeros(kPackedSpareBytes);
        writer.Bytes(rows);
        return block;
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::length_error&) {
        return {};
    }
}

} // namespace tamr
