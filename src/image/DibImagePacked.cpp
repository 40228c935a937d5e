// Loading the packed image block of the TGA, GIF and JPEG readers.

#include <algorithm>
#include <limits>

#include "image/DibImage.h"
#include "image/ImageMessages.h"
#include "image/PackedImageBlock.h"
#include "platform/SilentPrompter.h"

namespace tamr {

Status CDibImage::LoadPackedBlock(std::span<const std::uint8_t> block, Prompter& prompter,
                                  const DisplaySettings& display, const Limits& limits)
{
    return LoadPackedFrom(block, nullptr, prompter, display, limits);
}

Status CDibImage::LoadPackedBlock(ByteBlock&& block, Prompter& prompter, const DisplaySettings& display,
                                  const Limits& limits)
{
    return LoadPackedFrom(block, &block, prompter, display, limits);
}

Status CDibImage::ProbePackedHead(std::span<const std::uint8_t> head, const Limits& limits)
{
    *this = CDibImage();
    if (head.size() < kInfoHeaderSize)
        return FailureKind::Corrupt;
    ByteReader reader(head);
    const BitmapInfoHeader header = ReadInfoHeader(reader);
    if (header.biBitCount != 8 && header.biBitCount != 24)
        return FailureKind::Unsupported;
    const std::size_t entries = std::min<std::size_t>(header.biClrUsed, kColourTableEntries);
    for (std::size_t i = 0; i < entries && reader.Remaining() > 0; ++i)
        info_.colours[i] = ReadRgbQuad(reader);
    // The reader makes every row; only the sizes are in question.
    SilentPrompter silent;
    const Status begun = BeginLoad(header, std::numeric_limits<std::size_t>::max(), limits, silent);
    fileHeader_.bfType = kBmpTypeBM;
    return begun;
}

Status CDibImage::LoadPackedFrom(std::span<const std::uint8_t> block, ByteBlock* owner, Prompter& prompter,
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
    const auto offset = static_cast<std::size_t>(std::min<std::uint64_t>(rowsOffset, block.size()));
    if (const Status placed = PlaceRows(rows, offset, owner, header.biHeight < 0, display, prompter); !placed)
        return fail(placed);
    FinishLoad(display);

    fileHeader_.bfType = kBmpTypeBM;
    fileHeader_.bfSize = static_cast<std::uint32_t>(ImageSize() + kFileHeaderSize);
    fileHeader_.bfOffBits = isColour_ == 1 ? kColourBmpOffBits : kGrayBmpOffBits;
    return {};
}

} // namespace tamr
