// Loading the packed image block of the TGA, GIF and JPEG readers.

#include <algorithm>

#include "image/DibImage.h"
#include "image/ImageMessages.h"
#include "image/PackedImageBlock.h"

namespace tamr {

Status CDibImage::LoadPackedBlock(std::span<const std::uint8_t> block, Prompter& prompter,
                                  const DisplaySettings& display, const Limits& limits)
{
    *this = CDibImage();
    auto fail = [this](Status failure) {
        *this = CDibImage();
        return failure;
    };
    // A block without a whole header is a reader's fault, not the user's: no message.
    if (block.size() < kInfoHeaderSize)
        return fail(FailureKind::Corrupt);

    ByteReader reader(block);
    const BitmapInfoHeader header = ReadInfoHeader(reader);
    if (header.biBitCount != 8 && header.biBitCount != 24) {
        ShowImageError(prompter, kDepthMessage);
        return fail(FailureKind::Unsupported);
    }
    const std::size_t entries = std::min<std::size_t>(header.biClrUsed, kColourTableEntries);
    for (std::size_t i = 0; i < entries && reader.Remaining() > 0; ++i)
        info_.colours[i] = ReadRgbQuad(reader);

    const std::uint64_t rowsOffset = PackedRowsOffset(header.biClrUsed);
    const auto rows = rowsOffset < block.size() ? block.subspan(static_cast<std::size_t>(rowsOffset))
                                                : std::span<const std::uint8_t>();
    if (const Status begun = BeginLoad(header, rows.size(), limits, prompter); !begun)
        return fail(begun);
    LoadRows(rows, header.biHeight < 0);
    FinishLoad(display);

    fileHeader_.bfType = kBmpTypeBM;
    fileHeader_.bfSize = static_cast<std::uint32_t>(ImageSize() + kFileHeaderSize);
    fileHeader_.bfOffBits = isColour_ == 1 ? kColourBmpOffBits : kGrayBmpOffBits;
    return {};
}

} // namespace tamr
