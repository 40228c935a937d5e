#pragma once
// A document environment for tests: scratch folder, settings, a scripted
// prompter, and small pictures of every kind the document opens.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/TamrDoc.h"
#include "support/BmpTestFiles.h"
#include "support/GifTestFiles.h"
#include "support/JpegTestFiles.h"
#include "support/ScriptedPrompter.h"
#include "support/TestSupport.h"

namespace tamr::test {

// A 24-bit BMP with a smooth pattern; `reserved` is the file header's first reserved word.
inline std::vector<std::uint8_t> ColourBmp(int width, int height, std::uint16_t reserved = 0)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.reserved1 = reserved;
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x)
            layout.rows.push_back(x < width * 3 ? static_cast<std::uint8_t>((x * 5 + y * 9) % 256) : 0);
    return BuildBmp(layout);
}

// An 8-bit gray BMP.
inline std::vector<std::uint8_t> GrayBmp(int width, int height)
{
    BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bits = 8;
    layout.table = GrayRamp();
    layout.rows = RandomRows(width, height, 1, 7);
    return BuildBmp(layout);
}

// An uncompressed 24-bit TGA, bottom-up.
inline std::vector<std::uint8_t> ColourTga(int width, int height)
{
    std::vector<std::uint8_t> file(18, 0); // the header
    file[2] = 2;                           // true colour, uncompressed
    file[12] = static_cast<std::uint8_t>(width);
    file[14] = static_cast<std::uint8_t>(height);
    file[16] = 24;
    for (int i = 0; i < width * height * 3; ++i)
        file.push_back(static_cast<std::uint8_t>(i * 7));
    return file;
}

inline std::vector<std::uint8_t> ColourGif(std::uint16_t width, std::uint16_t height)
{
    GifSpec layout;
    layout.width = width;
    layout.height = height;
    for (int i = 0; i < width * height; ++i)
        layout.pixels.push_back(static_cast<std::uint8_t>(i * 13));
    return BuildGif(layout);
}

inline std::vector<std::uint8_t> ColourJpeg(int width, int height)
{
    JpegLayout layout;
    layout.width = width;
    layout.height = height;
    return MakeJpeg(layout);
}

class DocumentTest : public testing::Test {
protected:
    DocumentTest() : environment_{settings_, display_, prompter_, scratch_.Path()} {}

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const auto path = scratch_ / name;
        WriteBytes(path, bytes);
        return path;
    }

    std::unique_ptr<CTamrDoc> Open(const std::filesystem::path& path)
    {
        auto document = std::make_unique<CTamrDoc>(environment_);
        if (!document->OnOpenDocument(path))
            return nullptr;
        return document;
    }

    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& message : prompter_.Messages())
            texts.push_back(message.text);
        return texts;
    }

    static Message ErrorBox(const std::string& text) { return {text, "Error", MessageIcon::Error, MessageButtons::Ok}; }

    ScratchDir scratch_;
    CodecSettings settings_;
    DisplaySettings display_;
    ScriptedPrompter prompter_;
    DocumentEnvironment environment_;
};

} // namespace tamr::test
