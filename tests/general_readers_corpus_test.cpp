// The general readers over the shared corpus of real files: every file the
// original reader of its kind opens, the general reader opens too, with the
// same pixels unless it shows transparency over white; and how many files of
// each kind open at all.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "image/GifReader.h"
#include "image/JpegReader.h"
#include "image/PackedImageBlock.h"
#include "image/TgaReader.h"
#include "image/general/GeneralReaders.h"
#include "platform/ByteReader.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using GeneralReader = PictureReadResult (*)(std::span<const std::uint8_t>, const Limits&);

// A picture's size and its pixels as red-green-blue, top row first.
struct Pixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::array<std::uint8_t, 3>> rgb;
};

// True when every sample of `a` is within `tolerance` of `b`'s.
bool Near(const std::optional<Pixels>& a, const std::optional<Pixels>& b, int tolerance)
{
    if (!a || !b || a->width != b->width || a->height != b->height)
        return false;
    for (std::size_t i = 0; i < a->rgb.size(); ++i)
        for (std::size_t c = 0; c < 3; ++c)
            if (std::abs(a->rgb[i][c] - b->rgb[i][c]) > tolerance)
                return false;
    return true;
}

// The pixels of a packed block or a BMP file's info header onwards: 1, 4, 8
// bits with a table, or 24 bits; bottom-up unless the height is negative.
std::optional<Pixels> PixelsOf(std::span<const std::uint8_t> bytes, std::size_t rowsAt)
{
    ByteReader reader(bytes);
    const BitmapInfoHeader header = ReadInfoHeader(reader);
    if (reader.Overran() || header.biWidth <= 0 || header.biHeight == 0)
        return std::nullopt;
    Pixels pixels;
    pixels.width = static_cast<std::uint32_t>(header.biWidth);
    pixels.height = static_cast<std::uint32_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    const unsigned bits = header.biBitCount;
    const std::size_t stride = (std::size_t{pixels.width} * bits + 31) / 32 * 4;
    for (std::uint32_t y = 0; y < pixels.height; ++y) {
        const std::uint32_t stored = header.biHeight < 0 ? y : pixels.height - 1 - y;
        const std::size_t row = rowsAt + stored * stride;
        for (std::uint32_t x = 0; x < pixels.width; ++x) {
            if (bits == 24) {
                const std::size_t at = row + 3 * std::size_t{x};
                if (at + 2 >= bytes.size())
                    return std::nullopt;
                pixels.rgb.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
                continue;
            }
            const std::size_t bit = std::size_t{x} * bits;
            if (row + bit / 8 >= bytes.size())
                return std::nullopt;
            const unsigned index = (bytes[row + bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
            const std::size_t entry = kInfoHeaderSize + kRgbQuadSize * std::size_t{index};
            pixels.rgb.push_back({bytes[entry + 2], bytes[entry + 1], bytes[entry]});
        }
    }
    return pixels;
}

std::optional<Pixels> BlockPixels(const ByteBlock& block)
{
    ByteReader reader(block);
    const BitmapInfoHeader header = ReadInfoHeader(reader);
    return PixelsOf(block, static_cast<std::size_t>(PackedRowsOffset(header.biClrUsed)));
}

using OriginalReader = std::function<std::optional<Pixels>(std::span<const std::uint8_t>)>;

bool HasExtension(const std::filesystem::path& path, std::initializer_list<const char*> extensions)
{
    std::string extension = path.extension().string();
    for (auto& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* wanted : extensions)
        if (extension == wanted)
            return true;
    return false;
}

// Opens every file of the kind both ways; returns how many the general reader opened.
std::size_t Sweep(const char* kind, const std::vector<std::filesystem::path>& files, GeneralReader general,
                  const OriginalReader& original, int tolerance = 0)
{
    std::size_t total = 0;
    std::size_t generalOpened = 0;
    std::size_t originalOpened = 0;
    std::size_t compared = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        const auto bytes = test::ReadBytes(path);
        const PictureReadResult result = general(bytes, Limits{});
        const std::optional<Pixels> before = original(bytes);
        ++total;
        generalOpened += result.block ? 1 : 0;
        originalOpened += before ? 1 : 0;
        EXPECT_TRUE(result.block || !result.failure.empty());
        if (!before)
            continue;
        EXPECT_TRUE(result.block) << "the original reader opens it, the general one refuses: " << result.failure;
        if (!result.block || result.composited)
            continue; // the original reader shows transparent pixels in their own colour
        ++compared;
        EXPECT_TRUE(Near(BlockPixels(*result.block), before, tolerance))
            << "the pixels differ from the original reader's";
    }
    std::cout << kind << ": " << generalOpened << " of " << total << " files open through the general reader ("
              << originalOpened << " through the original one, " << compared << " of them compared pixel for pixel)\n";
    return generalOpened;
}

std::vector<std::filesystem::path> FilesOf(const std::string& folder, std::initializer_list<const char*> extensions)
{
    std::vector<std::filesystem::path> files;
    for (const auto& path : test::CorpusFiles(folder))
        if (HasExtension(path, extensions))
            files.push_back(path);
    return files;
}

std::optional<Pixels> FromBlock(const Result<ByteBlock>& block)
{
    return block ? BlockPixels(*block) : std::nullopt;
}

#define SKIP_WITHOUT_CORPUS()                                                                                          \
    if (test::CorpusDir().empty())                                                                                     \
    GTEST_SKIP() << "no corpus beside the checkout"

TEST(GeneralReadersCorpusTest, JpegFilesOpenWhereverTheOriginalReaderOpensThem)
{
    SKIP_WITHOUT_CORPUS();
    auto files = FilesOf("jpeg", {".jpg", ".jpeg", ".mpo"});
    const auto photos = FilesOf("photos", {".jpg"});
    files.insert(files.end(), photos.begin(), photos.end());
    const std::size_t opened = Sweep("JPEG", files, &ReadJpegGeneral, [](std::span<const std::uint8_t> bytes) {
        ScriptedPrompter prompter;
        return FromBlock(ReadJpeg(bytes, prompter, Limits{}));
    });
    EXPECT_GT(opened, 0u);
    const auto twelveBit = test::ReadBytes(test::CorpusDir() / "jpeg/libjpeg-turbo/monkey12.jpg");
    EXPECT_NE(ReadJpegGeneral(twelveBit, Limits{}).failure.find("12-bit"), std::string::npos);
}

TEST(GeneralReadersCorpusTest, GifFilesOpenWhereverTheOriginalReaderOpensThem)
{
    SKIP_WITHOUT_CORPUS();
    EXPECT_GT(Sweep("GIF", FilesOf("gif", {".gif"}), &ReadGifGeneral,
                    [](std::span<const std::uint8_t> bytes) {
                        // A frame of no pixels makes an empty block, which no image takes.
                        ScriptedPrompter prompter;
                        return FromBlock(CGifReader().Read(bytes, prompter, Limits{}));
                    }),
              0u);
}

TEST(GeneralReadersCorpusTest, BmpFilesOpenWhereverTheOriginalReaderOpensThem)
{
    SKIP_WITHOUT_CORPUS();
    EXPECT_GT(Sweep("BMP", FilesOf("bmp", {".bmp"}), &ReadBmpGeneral,
                    [](std::span<const std::uint8_t> bytes) -> std::optional<Pixels> {
                        ScriptedPrompter prompter;
                        CDibImage image;
                        if (!image.ReadBmp(bytes, prompter, DisplaySettings{}, Limits{}))
                            return std::nullopt;
                        const std::vector<std::uint8_t> file = image.WriteBmp();
                        const std::span<const std::uint8_t> info = std::span(file).subspan(14);
                        ByteReader reader(file);
                        reader.Seek(10);
                        return PixelsOf(info, reader.U32() - 14);
                    }),
              0u);
}

TEST(GeneralReadersCorpusTest, TgaFilesOpenWhereverTheOriginalReaderOpensThem)
{
    SKIP_WITHOUT_CORPUS();
    EXPECT_GT(Sweep(
                  "TGA", FilesOf("tga", {".tga"}), &ReadTgaGeneral,
                  [](std::span<const std::uint8_t> bytes) {
                      ScriptedPrompter prompter;
                      return FromBlock(CTgaReader().Read(bytes, prompter, Limits{}));
                  },
                  // The original reader widens 5-bit colours as v x 8, the general one to
                  // the full range, (v x 255 + 15) / 31: 255 where the original has 248.
                  7),
              0u);
}

} // namespace
} // namespace tamr
