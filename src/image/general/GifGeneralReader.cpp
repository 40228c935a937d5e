// GIF through giflib: the first frame of any file, any colour-table size.

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "image/general/GeneralPicture.h"
#include "image/general/GeneralReaders.h"

namespace tamr {
namespace {

constexpr std::string_view kKind = "GIF";

// An LZW code of at least 3 bits gives at most 4096 pixels.
constexpr std::uint64_t kMostPixelsPerByte = 4096 * 8 / 3;

struct Input {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

int ReadInput(GifFileType* gif, GifByteType* destination, int length)
{
    auto& input = *static_cast<Input*>(gif->UserData);
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), input.bytes.size() - input.position);
    std::copy_n(input.bytes.begin() + static_cast<std::ptrdiff_t>(input.position), count, destination);
    input.position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

PictureReadResult Failed(int error)
{
    const char* text = GifErrorString(error);
    return RefusedAs(kKind, text != nullptr ? text : "the file is damaged");
}

// The frame's colours; a frame without a table gets a gray ramp.
struct FrameColours {
    std::array<std::array<std::uint8_t, 3>, 256> rgb{};
    bool gray = true;
};

FrameColours ColoursOf(const ColorMapObject* map)
{
    FrameColours colours;
    if (map == nullptr || map->Colors == nullptr) {
        for (std::size_t i = 0; i < colours.rgb.size(); ++i)
            colours.rgb[i].fill(static_cast<std::uint8_t>(i));
        return colours;
    }
    const int count = std::clamp(map->ColorCount, 0, 256);
    for (int i = 0; i < count; ++i) {
        const GifColorType& entry = map->Colors[i];
        colours.rgb[static_cast<std::size_t>(i)] = {entry.Red, entry.Green, entry.Blue};
        colours.gray = colours.gray && entry.Red == entry.Green && entry.Green == entry.Blue;
    }
    return colours;
}

// The rows of an interlaced frame in the order they are stored.
std::vector<int> RowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    constexpr std::array<std::pair<int, int>, 4> kPasses = {{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    for (const auto& [first, step] : kPasses)
        for (int y = first; y < height; y += step)
            order.push_back(y);
    return order;
}

} // namespace

PictureReadResult ReadGifGeneral(std::span<const std::uint8_t> bytes, const Limits& limits)
{
    Input input{bytes};
    int error = 0;
    GifPtr gif(DGifOpen(&input, &ReadInput, &error));
    if (!gif)
        return Failed(error);
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            return Failed(gif->Error);
        if (record == TERMINATE_RECORD_TYPE)
            return RefusedAs(kKind, "the file holds no picture");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif.get(), &code, &extension) == GIF_ERROR)
                return Failed(gif->Error);
            GraphicsControlBlock control{};
            if (code == GRAPHICS_EXT_FUNC_CODE && extension != nullptr &&
                DGifExtensionToGCB(extension[0], extension + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
            while (extension != nullptr)
                if (DGifGetExtensionNext(gif.get(), &extension) == GIF_ERROR)
                    return Failed(gif->Error);
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
        return Failed(gif->Error);
    const GifImageDesc& frame = gif->Image;
    // A frame without pixels leaves the screen as it is: transparent.
    const bool emptyFrame = frame.Width <= 0 || frame.Height <= 0;
    if (emptyFrame && (gif->SWidth <= 0 || gif->SHeight <= 0))
        return RefusedAs(kKind, "the first frame has no pixels");
    // The logical screen is the picture; a file without one shows its frame.
    const std::int64_t width = gif->SWidth > 0 ? gif->SWidth : std::int64_t{frame.Left} + frame.Width;
    const std::int64_t height = gif->SHeight > 0 ? gif->SHeight : std::int64_t{frame.Top} + frame.Height;
    const FrameColours colours = ColoursOf(frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap);
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint64_t present = bytes.size() - std::min(bytes.size(), input.position);
    const std::uint64_t needed = pixels / kMostPixelsPerByte;
    if (pixels > limits.unbackedGifPixels && present < needed)
        return RefusedAs(kKind, "the file is far too short to hold the picture its header declares");
    if (auto refused = CheckDeclaredSize(kKind, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height),
                                         !colours.gray, present, needed, limits))
        return *refused;
    auto rows = GeneralRows::Make(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), !colours.gray);
    if (!rows)
        return NoRoomFor(kKind);
    // The screen outside the frame is transparent, so white until a row says otherwise.
    const bool covered = frame.Left == 0 && frame.Top == 0 && frame.Width >= width && frame.Height >= height;
    if (!covered) {
        for (std::uint32_t y = 0; y < rows->Height(); ++y)
            std::fill(rows->Row(y).begin(), rows->Row(y).end(), std::uint8_t{255});
        rows->MarkComposited();
    }

    if (emptyFrame)
        return rows->Finish();
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    int decodedRows = 0;
    for (const int row : RowOrder(frame.Height, frame.Interlace)) {
        if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR) {
            // A cut-off frame keeps the rows it has, as viewers show it; none is a damaged file.
            if (decodedRows == 0)
                return Failed(gif->Error);
            break;
        }
        ++decodedRows;
        const std::int64_t y = std::int64_t{frame.Top} + row;
        if (y >= height)
            continue;
        for (int column = 0; column < frame.Width; ++column) {
            const std::int64_t x = std::int64_t{frame.Left} + column;
            if (x >= width)
                break;
            const GifPixelType index = line[static_cast<std::size_t>(column)];
            const auto& rgb = colours.rgb[index];
            rows->PutPixel(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), rgb[0], rgb[1], rgb[2],
                           index == transparent ? 0 : 255);
        }
    }
    return rows->Finish();
}

} // namespace tamr
