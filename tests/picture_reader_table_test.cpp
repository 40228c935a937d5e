// The reader table: which reader reads each kind, when the general reader is
// asked, and what the document shows when none can read a file.

#include <gtest/gtest.h>

#include "image/ImageMessages.h"
#include "image/JpegReader.h"
#include "image/OriginalReaders.h"
#include "image/PictureReaderTable.h"
#include "image/general/GeneralReaders.h"
#include "support/DocumentTestFixture.h"

namespace tamr {
namespace {

TEST(PictureReaderTableTest, MapsEachKindToItsReaders)
{
    struct Expected {
        FileType kind;
        PictureReaderFunction* read;
        PictureReaderFunction* readHead;
        PictureReaderFunction* general;
    };
    const Expected expected[] = {
        {FileType::Bmp, ReadBmpPicture, ReadBmpPictureHead, ReadBmpGeneral},
        {FileType::Tga, ReadTgaPicture, ReadTgaPictureHead, ReadTgaGeneral},
        {FileType::Gif, ReadGifPicture, ReadGifPictureHead, ReadGifGeneral},
        {FileType::Jpeg, ReadJpegPicture, ReadJpegPictureHead, ReadJpegGeneral},
        {FileType::Png, ReadPngPicture, ReadPngPictureHead, nullptr},
        {FileType::Pnm, ReadPnmPicture, ReadPnmPictureHead, nullptr},
        {FileType::Tiff, nullptr, ReadTiffGeneralHead, ReadTiffGeneral},
        {FileType::WebP, nullptr, ReadWebPGeneralHead, ReadWebPGeneral},
        {FileType::Avif, nullptr, ReadAvifGeneralHead, ReadAvifGeneral},
        {FileType::Heif, nullptr, ReadHeifGeneralHead, ReadHeifGeneral},
        {FileType::Jxl, nullptr, ReadJxlGeneralHead, ReadJxlGeneral},
    };
    for (const Expected& kind : expected) {
        SCOPED_TRACE(FileTypeName(kind.kind));
        const PictureReaderEntry* entry = PictureReaderFor(kind.kind);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->read, kind.read);
        EXPECT_EQ(entry->readHead, kind.readHead);
        EXPECT_EQ(entry->general, kind.general);
    }
    EXPECT_EQ(PictureReaderFor(FileType::Cod), nullptr);
    EXPECT_EQ(PictureReaderFor(FileType::Unknown), nullptr);
    EXPECT_EQ(PictureReaderTable().size(), std::size(expected));
}

// Readers standing in for an own reader and a general one.
PictureReadResult RefusesVariant(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    PictureReadResult result = PictureReadResult::Refused(PictureFailure::Unsupported, "variant");
    result.messages.push_back(Message{"own refusal", "ERROR", MessageIcon::Error, MessageButtons::Ok});
    return result;
}

PictureReadResult RefusesDamage(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return PictureReadResult::Refused(PictureFailure::Damaged, "damaged");
}

PictureReadResult ReadsAnything(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    PictureReadResult result;
    result.block = ByteBlock{1, 2, 3};
    return result;
}

PictureReadResult ReadsNothing(std::span<const std::uint8_t> /*bytes*/, const Limits& /*limits*/)
{
    return PictureReadResult::Refused("no picture");
}

TEST(PictureReaderTableTest, TheGeneralReaderTakesARefusedVariantOnlyWhenAsked)
{
    const std::vector<std::uint8_t> bytes{0};
    const PictureReaderEntry entry{FileType::Jpeg, RefusesVariant, nullptr, ReadsAnything, "fake reader"};

    const PictureReadResult own = ReadPicture(entry, bytes, Limits{}, ReadPolicy{false});
    EXPECT_EQ(own.failureKind, PictureFailure::Unsupported);
    ASSERT_EQ(own.messages.size(), 1u);
    EXPECT_EQ(own.messages[0].text, "own refusal");

    const PictureReadResult general = ReadPicture(entry, bytes, Limits{}, ReadPolicy{true});
    ASSERT_TRUE(general.Ok());
    EXPECT_EQ(general.block, (ByteBlock{1, 2, 3}));
    EXPECT_EQ(general.reader, "fake reader");
    EXPECT_EQ(general.notices, std::vector<std::string>{ReadByNotice("fake reader")});
}

TEST(PictureReaderTableTest, DamageAndAFailingGeneralReaderKeepTheOwnRefusal)
{
    const std::vector<std::uint8_t> bytes{0};
    const PictureReaderEntry damaged{FileType::Jpeg, RefusesDamage, nullptr, ReadsAnything, "fake reader"};
    EXPECT_EQ(ReadPicture(damaged, bytes, Limits{}, ReadPolicy{true}).failure, "damaged");

    const PictureReaderEntry failing{FileType::Jpeg, RefusesVariant, nullptr, ReadsNothing, "fake reader"};
    const PictureReadResult result = ReadPicture(failing, bytes, Limits{}, ReadPolicy{true});
    EXPECT_EQ(result.failureKind, PictureFailure::Unsupported);
    EXPECT_EQ(result.failure, "variant");
    EXPECT_EQ(result.reader, kOriginalReaderName);
}

TEST(PictureReaderTableTest, AKindWithoutOwnReaderGoesToTheGeneralOne)
{
    const std::vector<std::uint8_t> bytes{0};
    const PictureReaderEntry entry{FileType::Tiff, nullptr, nullptr, ReadsAnything, "fake TIFF reader"};
    const PictureReadResult result = ReadPicture(entry, bytes, Limits{}, ReadPolicy{false});
    ASSERT_TRUE(result.Ok());
    EXPECT_EQ(result.reader, "fake TIFF reader");
}

class PictureReaderDocumentTest : public test::DocumentTest {};

// The program's own refusal stays word for word unless any variant is asked
// for; then libjpeg-turbo reads the file and says so.
TEST_F(PictureReaderDocumentTest, AProgressiveJpegOpensOnlyWhenAnyVariantIsAsked)
{
    test::JpegLayout layout;
    layout.kind = test::JpegKind::Progressive;
    const auto path = Write("progressive.jpg", test::MakeJpeg(layout));
    {
        CTamrDoc document(environment_);
        const Status opened = document.OnOpenDocument(path);
        ASSERT_FALSE(opened);
        EXPECT_EQ(opened.Failure(), FailureKind::Unsupported);
        EXPECT_EQ(prompter_.Messages(),
                  (std::vector<Message>{{std::string(kJpegNotSupportedMessage), "ERROR", MessageIcon::Error}}));
    }
    environment_.readPolicy.anyVariant = true;
    prompter_.Clear();
    CTamrDoc document(environment_);
    ASSERT_TRUE(document.OnOpenDocument(path));
    ASSERT_NE(document.Image(), nullptr);
    EXPECT_EQ(document.ReaderName(), "libjpeg-turbo");
    EXPECT_TRUE(prompter_.Messages().empty());
}

// A damaged file of a kind only a general reader takes is a failure with the
// library's reason under the read error, never an empty picture.
TEST_F(PictureReaderDocumentTest, ADamagedTiffIsRefusedWithTheReason)
{
    const auto path = Write("picture.tif", {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0});
    CTamrDoc document(environment_);
    ASSERT_FALSE(document.OnOpenDocument(path));
    EXPECT_EQ(document.Image(), nullptr);
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{ErrorBox(std::string(kReadErrorMessage))});
    ASSERT_EQ(prompter_.Details().size(), 1u);
    EXPECT_FALSE(prompter_.Details().front().empty());
}

} // namespace
} // namespace tamr

namespace tamr {
namespace {

TEST(PictureReaderTableTest, KindsOfTheGeneralReadersAreKnownByContent)
{
    using Bytes = std::vector<std::uint8_t>;
    const auto ftyp = [](std::string_view major, std::string_view compatible) {
        Bytes box{0, 0, 0, 20, 'f', 't', 'y', 'p'};
        box.insert(box.end(), major.begin(), major.end());
        box.insert(box.end(), {0, 0, 0, 0});
        box.insert(box.end(), compatible.begin(), compatible.end());
        return box;
    };
    EXPECT_EQ(DetectFileType(Bytes{'I', 'I', 42, 0}, "x.tga"), FileType::Tiff);
    EXPECT_EQ(DetectFileType(Bytes{'M', 'M', 0, 42}, ""), FileType::Tiff);
    EXPECT_EQ(DetectFileType(Bytes{'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'E', 'B', 'P'}, ""), FileType::WebP);
    EXPECT_EQ(DetectFileType(Bytes{'R', 'I', 'F', 'F', 9, 0, 0, 0, 'W', 'A', 'V', 'E'}, ""), FileType::Unknown);
    EXPECT_EQ(DetectFileType(ftyp("avif", "mif1"), ""), FileType::Avif);
    EXPECT_EQ(DetectFileType(ftyp("mif1", "avif"), ""), FileType::Avif);
    EXPECT_EQ(DetectFileType(ftyp("heic", "mif1"), ""), FileType::Heif);
    EXPECT_EQ(DetectFileType(ftyp("isom", "mp41"), ""), FileType::Unknown);
    EXPECT_EQ(DetectFileType(Bytes{0xFF, 0x0A}, ""), FileType::Jxl);
    EXPECT_EQ(DetectFileType(Bytes{0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A}, ""), FileType::Jxl);
    // The kinds the program always had are found as before.
    EXPECT_EQ(DetectFileType(Bytes{0xFF, 0xD8, 0xFF}, ""), FileType::Jpeg);
    EXPECT_EQ(DetectFileType(Bytes{1, 2, 3}, "x.tga"), FileType::Tga);
}

} // namespace
} // namespace tamr
