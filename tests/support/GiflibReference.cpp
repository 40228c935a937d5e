#include "support/GiflibReference.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

namespace tamr::test {
namespace {

struct InputState {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

int ReadInput(GifFileType* gif, GifByteType* buffer, int length)
{
    auto& input = *static_cast<InputState*>(gif->UserData);
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(length), input.bytes.size() - input.position);
    std::memcpy(buffer, input.bytes.data() + input.position, count);
    input.position += count;
    return static_cast<int>(count);
}

int WriteOutput(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto& output = *static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    output.insert(output.end(), bytes, bytes + length);
    return length;
}

struct DecoderCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using MapPointer = std::unique_ptr<ColorMapObject, MapDeleter>;

MapPointer MakeMap(const std::vector<std::uint8_t>& triples)
{
    const int count = static_cast<int>(triples.size() / 3);
    std::vector<GifColorType> colours(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i] = GifColorType{triples[3 * i], triples[3 * i + 1], triples[3 * i + 2]};
    MapPointer map(GifMakeMapObject(count, colours.data()));
    if (!map)
        throw std::runtime_error("giflib made no colour map");
    return map;
}

// The picture's row numbers in the order an image stores them.
std::vector<int> StoredRowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < height; y += step)
            rows.push_back(y);
    return rows;
}

void Check(int result, const char* what)
{
    if (result == GIF_ERROR)
        throw std::runtime_error(std::string("giflib failed to ") + what);
}

} // namespace

bool GiflibImage::Complete() const
{
    return std::all_of(rowDecoded.begin(), rowDecoded.end(), [](bool decoded) { return decoded; });
}

std::optional<GiflibImage> GiflibFirstImage(std::span<const std::uint8_t> file)
{
    InputState input{file};
    int error = 0;
    std::unique_ptr<GifFileType, DecoderCloser> gif(DGifOpen(&input, ReadInput, &error));
    if (!gif)
        return std::nullopt;
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (DGifGetRecordType(gif.get(), &record) == GIF_OK) {
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif.get(), &code, &extension) == GIF_ERROR)
                return std::nullopt;
            while (extension != nullptr)
                if (DGifGetExtensionNext(gif.get(), &extension) == GIF_ERROR)
                    return std::nullopt;
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) == GIF_ERROR)
            return std::nullopt;

        GiflibImage image;
        // giflib has just read the minimum code size byte.
        image.codeSizeOffset = input.position - 1;
        image.width = gif->Image.Width;
        image.height = gif->Image.Height;
        image.interlaced = gif->Image.Interlace;
        const ColorMapObject* map = gif->Image.ColorMap != nullptr ? gif->Image.ColorMap : gif->SColorMap;
        if (map != nullptr)
            for (int i = 0; i < map->ColorCount; ++i)
                image.colours.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
        const auto width = static_cast<std::size_t>(image.width);
        image.values.assign(width * static_cast<std::size_t>(image.height), 0);
        image.rowDecoded.assign(static_cast<std::size_t>(image.height), false);
        std::vector<GifPixelType> line(std::max<std::size_t>(width, 1));
        for (const int y : StoredRowOrder(image.height, image.interlaced)) {
            if (DGifGetLine(gif.get(), line.data(), image.width) == GIF_ERROR)
                break;
            std::copy_n(line.begin(), width, image.values.begin() + static_cast<std::ptrdiff_t>(y * width));
            image.rowDecoded[static_cast<std::size_t>(y)] = true;
        }
        return image;
    }
    return std::nullopt;
}

std::vector<std::uint8_t> GiflibEncode(const GiflibPicture& picture)
{
    std::vector<std::uint8_t> output;
    int error = 0;
    GifFileType* gif = EGifOpen(&output, WriteOutput, &error);
    if (gif == nullptr)
        throw std::runtime_error("giflib cannot start a file");
    // EGifCloseFile frees the file record whatever happened before.
    struct Closer {
        GifFileType*& gif;
        ~Closer()
        {
            int ignored = 0;
            if (gif != nullptr)
                EGifCloseFile(gif, &ignored);
        }
    } closer{gif};

    EGifSetGifVersion(gif, picture.withExtensions);
    const MapPointer screen = MakeMap(picture.screenTable);
    Check(EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, screen.get()), "write the screen");
    if (picture.withExtensions) {
        const GifByteType control[4] = {0x04, 10, 0, 3};
        Check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control), "write an extension");
        Check(EGifPutComment(gif, "written by giflib for the tests"), "write a comment");
    }
    MapPointer local;
    if (picture.localTable)
        local = MakeMap(*picture.localTable);
    Check(EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, picture.interlaced, local.get()),
          "write the image descriptor");
    const auto width = static_cast<std::size_t>(picture.width);
    std::vector<GifPixelType> line(std::max<std::size_t>(width, 1));
    for (const int y : StoredRowOrder(picture.height, picture.interlaced)) {
        std::copy_n(picture.values.begin() + static_cast<std::ptrdiff_t>(y * width), width, line.begin());
        Check(EGifPutLine(gif, line.data(), picture.width), "write a line");
    }
    const int result = EGifCloseFile(gif, &error);
    gif = nullptr;
    Check(result, "finish the file");
    return output;
}

} // namespace tamr::test
