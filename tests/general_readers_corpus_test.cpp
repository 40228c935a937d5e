// The general readers over the shared corpus of real files: every file the
// original reader of its kind opens, the general reader opens too, and how
// many of each kind open at all.

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <string>

#include "image/BmpHeaders.h"
#include "image/DibImage.h"
#include "image/GifReader.h"
#include "image/JpegReader.h"
#include "image/TgaReader.h"
#include "image/general/GeneralReaders.h"
#include "platform/ByteReader.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

using GeneralReader = PictureReadResult (*)(std::span<const std::uint8_t>, const Limits&);
using OriginalReader = std::function<bool(std::span<const std::uint8_t>)>;

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
                  const OriginalReader& original)
{
    std::size_t total = 0;
    std::size_t generalOpened = 0;
    std::size_t originalOpened = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        const auto bytes = test::ReadBytes(path);
        const PictureReadResult result = general(bytes, Limits{});
        const bool originalOpens = original(bytes);
        ++total;
        generalOpened += result.block ? 1 : 0;
        originalOpened += originalOpens ? 1 : 0;
        EXPECT_TRUE(result.block || !originalOpens)
            << "the original reader opens it, the general one refuses: " << result.failure;
        EXPECT_TRUE(result.block || !result.failure.empty());
    }
    std::cout << kind << ": " << generalOpened << " of " << total << " files open through the general reader ("
              << originalOpened << " through the original one)\n";
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
        return ReadJpeg(bytes, prompter).has_value();
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
                        const auto block = CGifReader().Read(bytes, prompter);
                        if (!block)
                            return false;
                        ByteReader reader(*block);
                        const BitmapInfoHeader header = ReadInfoHeader(reader);
                        return header.biWidth > 0 && header.biHeight > 0;
                    }),
              0u);
}

TEST(GeneralReadersCorpusTest, BmpFilesOpenWhereverTheOriginalReaderOpensThem)
{
    SKIP_WITHOUT_CORPUS();
    EXPECT_GT(Sweep("BMP", FilesOf("bmp", {".bmp"}), &ReadBmpGeneral,
                    [](std::span<const std::uint8_t> bytes) {
                        ScriptedPrompter prompter;
                        CDibImage image;
                        return image.ReadBmp(bytes, prompter, DisplaySettings{}).Ok();
                    }),
              0u);
}

TEST(GeneralReadersCorpusTest, TgaFilesOpenWhereverTheOriginalReaderOpensThem)
{
    SKIP_WITHOUT_CORPUS();
    EXPECT_GT(Sweep("TGA", FilesOf("tga", {".tga"}), &ReadTgaGeneral,
                    [](std::span<const std::uint8_t> bytes) {
                        ScriptedPrompter prompter;
                        return CTgaReader().Read(bytes, prompter).has_value();
                    }),
              0u);
}

} // namespace
} // namespace tamr
