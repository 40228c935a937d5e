#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/FileType.h"

namespace tamr {
namespace {

std::vector<std::uint8_t> BytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

TEST(FileTypeTest, DecidesByContentInTheDocumentsOrder)
{
    EXPECT_EQ(DetectFileType(BytesOf("BM...."), "x.tga"), FileType::Bmp); // a BMP named x.tga is a BMP
    EXPECT_EQ(DetectFileType(BytesOf("MB"), "x"), FileType::Bmp);
    EXPECT_EQ(DetectFileType(BytesOf("cIs3.0"), "x.gif"), FileType::Cod);
    EXPECT_EQ(DetectFileType(BytesOf("\xFF\xD8\xFF\xE0..jfif"), "x"), FileType::Jpeg);
    EXPECT_EQ(DetectFileType(BytesOf("gif89a"), "x"), FileType::Gif);
    // JFIF at byte 6 wins over a GIF signature at byte 0.
    EXPECT_EQ(DetectFileType(BytesOf("GIF89aJFIF"), "x"), FileType::Jpeg);
    // Files that start with an Exif (or any other) segment are JPEG files too.
    EXPECT_EQ(DetectFileType(BytesOf("\xFF\xD8\xFF\xE1..Exif"), "x.bmp"), FileType::Jpeg);
    EXPECT_EQ(DetectFileType(BytesOf("\xFF\xD8\xFF"), "x"), FileType::Jpeg);
    EXPECT_EQ(DetectFileType(BytesOf("\xFF\xD8\xFE\xE1"), "x"), FileType::Unknown);
}

TEST(FileTypeTest, PngAndPnmByTheirSignaturesBeforeTheTgaName)
{
    const std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0};
    EXPECT_EQ(DetectFileType(png, "x.tga"), FileType::Png);
    EXPECT_EQ(DetectFileType(std::span(png).first(7), "x"), FileType::Unknown);
    EXPECT_EQ(DetectFileType(BytesOf("P6\n2 2\n255\n"), "x.tga"), FileType::Pnm);
    EXPECT_EQ(DetectFileType(BytesOf("P5 1"), "x"), FileType::Pnm);
    // The plain kinds are recognised so that the reader can say why it refuses them.
    EXPECT_EQ(DetectFileType(BytesOf("P3\t"), "x"), FileType::Pnm);
    EXPECT_EQ(DetectFileType(BytesOf("P6x"), "x"), FileType::Unknown);
    EXPECT_EQ(DetectFileType(BytesOf("P7 "), "x"), FileType::Pnm); // PAM, refused with the reason
    EXPECT_EQ(DetectFileType(BytesOf("P8 "), "x"), FileType::Unknown);
    EXPECT_EQ(DetectFileType(BytesOf("P6"), "x"), FileType::Unknown);
}

TEST(FileTypeTest, TgaOnlyByNameAndNeverWhenEmpty)
{
    EXPECT_EQ(DetectFileType(std::vector<std::uint8_t>{0, 0, 2}, "/photos/a.tga"), FileType::Tga);
    EXPECT_EQ(DetectFileType(std::vector<std::uint8_t>{0, 0, 2}, "/photos/A.TGA"), FileType::Tga);
    EXPECT_EQ(DetectFileType(std::vector<std::uint8_t>{0, 0, 2}, "/photos/a.Tga"),
              FileType::Unknown); // two case-sensitive searches
    EXPECT_EQ(DetectFileType(std::vector<std::uint8_t>{0, 0, 2}, "/dir.tga/picture"),
              FileType::Tga); // the full name counts
    EXPECT_EQ(DetectFileType({}, "a.tga"), FileType::Unknown);
    EXPECT_EQ(DetectFileType(BytesOf("B"), "a"), FileType::Unknown); // short files never match
    EXPECT_EQ(DetectFileType(BytesOf("\xFF\xD8\xFE\xE0..JFI"), "a"), FileType::Unknown);
}

} // namespace
} // namespace tamr
