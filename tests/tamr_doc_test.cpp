// The document's life: opening by content, Compress, command enabling through
// every state, and what closing leaves behind. Saving is in tamr_doc_save_test.

#include <gtest/gtest.h>

#include "codec/QualityFactor.h"
#include "support/DocumentTestFixture.h"

namespace tamr {
namespace {

using test::ColourBmp;

class TamrDocTest : public test::DocumentTest {};

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> bytes)
{
    return {bytes.begin(), bytes.end()};
}

// What the enabling handlers say, in the order Save, Save As, New.
struct Enabling {
    bool save;
    bool saveAs;
    bool newDocument;
    bool operator==(const Enabling&) const = default;
};

Enabling EnablingOf(const CTamrDoc& document)
{
    return {document.OnUpdateFileSave(), document.OnUpdateFileSaveAs(), document.OnUpdateFileNew()};
}

TEST_F(TamrDocTest, LoadedBitmap)
{
    auto document = Open(Write("Photo.bmp", ColourBmp(40, 30)));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->SourceType(), FileType::Bmp);
    EXPECT_EQ(document->Title(), "Photo.bmp");
    EXPECT_EQ(document->PathName(), scratch_ / "Photo.bmp");
    EXPECT_FALSE(document->IsModified());
    EXPECT_FALSE(document->ImageEdited());
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true, false}));
    // Until the first compression the coded size is the raw picture's.
    EXPECT_EQ(document->Codec()->DataSize(), 40u * 30u * 3u);
    EXPECT_EQ(document->CompressSeconds(), 0.0f);
    EXPECT_EQ(document->DecompressSeconds(), 0.0f);
    ASSERT_TRUE(document->Palette());
    EXPECT_EQ(*document->Palette(), CTamrDoc::CreateImagePalette(*document->Image()));
    EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(TamrDocTest, LoadedTgaGifAndJpegCannotBeSavedBeforeCompression)
{
    const auto tga = test::ColourTga(12, 9);
    const auto gif = test::ColourGif(10, 6);
    const auto jpeg = test::ColourJpeg(16, 16);
    const struct {
        const char* name;
        const std::vector<std::uint8_t>& bytes;
        FileType type;
    } cases[] = {{"x.tga", tga, FileType::Tga}, {"x.gif", gif, FileType::Gif}, {"x.jpg", jpeg, FileType::Jpeg}};
    for (const auto& c : cases) {
        auto document = Open(Write(c.name, c.bytes));
        ASSERT_TRUE(document) << c.name << ": " << testing::PrintToString(MessageTexts());
        EXPECT_EQ(document->SourceType(), c.type);
        EXPECT_EQ(document->Title(), c.name);
        EXPECT_FALSE(document->IsModified());
        EXPECT_EQ(EnablingOf(*document), (Enabling{false, false, false})) << c.name;
        // The source file's length stands for the coded size.
        EXPECT_EQ(document->Codec()->DataSize(), c.bytes.size()) << c.name;
        EXPECT_EQ(document->CompressSeconds(), 0.0f);
    }
}

TEST_F(TamrDocTest, CompressedDocumentIsModifiedUnderItsCodTitle)
{
    auto document = Open(Write("photo.bmp", ColourBmp(40, 30)));
    ASSERT_TRUE(document);
    document->SetImageEdited(true);
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Title(), "photo.cod");
    EXPECT_EQ(document->PathName(), scratch_ / "photo.bmp");
    EXPECT_TRUE(document->IsModified());
    EXPECT_FALSE(document->ImageEdited()); // Compress clears it
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true, false}));
    EXPECT_EQ(document->Codec()->Method(), CodingMethod::Wavelet);
    EXPECT_GE(document->CompressSeconds(), 0.0f);
    // The shown image is the decoded one.
    EXPECT_NE(Bytes(document->Image()->Pixels()), Bytes(document->Image()->ReferencePixels()));
}

TEST_F(TamrDocTest, EditedDocumentSavesOnlyWhenModified)
{
    auto document = Open(Write("photo.bmp", ColourBmp(24, 24)));
    ASSERT_TRUE(document);
    document->SetImageEdited(true);
    EXPECT_EQ(document->Title(), "photo.bmp");
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(EnablingOf(*document), (Enabling{false, true, false}));

    ASSERT_TRUE(document->Compress());
    document->SetImageEdited(true);
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true, false}));
}

TEST_F(TamrDocTest, CompressCodesTheLoadedImageNotTheEdits)
{
    auto document = Open(Write("photo.bmp", ColourBmp(32, 32)));
    ASSERT_TRUE(document);
    settings_.qualityFactor = 100;
    ApplyQualityFactor(settings_);
    // An edit of the working image...
    for (auto& byte : document->Image()->Pixels())
        byte = static_cast<std::uint8_t>(255 - byte);
    document->SetImageEdited(true);
    // ...is replaced by the decoded loaded image: lossless gives it back exactly.
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(Bytes(document->Image()->Pixels()), Bytes(document->Image()->ReferencePixels()));
    EXPECT_FALSE(document->ImageEdited());
}

TEST_F(TamrDocTest, FailedCompressKeepsTitleFlagsAndTimes)
{
    // Gray noise at quality 99 codes into more bytes than the picture has.
    test::BmpLayout layout;
    layout.width = 32;
    layout.height = 32;
    layout.bits = 8;
    layout.table = test::GrayRamp();
    layout.rows = test::RandomBytes(32 * 32, 9);
    auto document = Open(Write("noise.bmp", test::BuildBmp(layout)));
    ASSERT_TRUE(document);
    document->SetImageEdited(true);
    settings_.qualityFactor = 99;
    ApplyQualityFactor(settings_);
    EXPECT_FALSE(document->Compress());
    EXPECT_EQ(document->Title(), "noise.bmp");
    EXPECT_FALSE(document->IsModified());
    EXPECT_TRUE(document->ImageEdited());
    EXPECT_EQ(document->CompressSeconds(), 0.0f);
    EXPECT_EQ(document->DecompressSeconds(), 0.0f);
    EXPECT_TRUE(prompter_.Messages().empty()); // the view tells the user
}

TEST_F(TamrDocTest, EmptyDocumentCannotCompress)
{
    CTamrDoc document(environment_);
    ASSERT_TRUE(document.OnNewDocument());
    EXPECT_FALSE(document.Compress());
    EXPECT_EQ(document.Image(), nullptr);
    EXPECT_EQ(document.Codec(), nullptr);
}

TEST_F(TamrDocTest, CodTitleRule)
{
    EXPECT_EQ(CTamrDoc::CodTitle("photo"), "photo.cod");
    EXPECT_EQ(CTamrDoc::CodTitle("photo.bmp"), "photo.cod");
    EXPECT_EQ(CTamrDoc::CodTitle("a.b.tga"), "a.cod");
    EXPECT_EQ(CTamrDoc::CodTitle(".hidden"), ".cod");

    auto document = Open(Write("photo", ColourBmp(16, 16)));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->TitleExtension(), "hoto");
    EXPECT_EQ(EnablingOf(*document), (Enabling{false, false, false}));
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Title(), "photo.cod");
}

TEST_F(TamrDocTest, TitleExtensionIgnoresCase)
{
    auto document = Open(Write("SHOT.BMP", ColourBmp(16, 16)));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->TitleExtension(), ".bmp");
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true, false}));
    document->SetTitle("a.b");
    EXPECT_EQ(document->TitleExtension(), "a.b"); // shorter than four: the whole title
}

TEST_F(TamrDocTest, CodDocumentCompressesNothingButBecomesModified)
{
    auto bitmap = Open(Write("x.bmp", ColourBmp(40, 40)));
    ASSERT_TRUE(bitmap && bitmap->Compress());
    const auto codFile = bitmap->Codec()->WriteHeader();
    const auto shown = Bytes(bitmap->Image()->Pixels());

    auto document = Open(Write("x.cod", codFile));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->SourceType(), FileType::Cod);
    EXPECT_EQ(Bytes(document->Image()->Pixels()), shown);
    EXPECT_EQ(document->CompressSeconds(), 0.0f);
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true, false}));
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Title(), "x.cod");
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->CompressSeconds(), 0.0f);
    EXPECT_EQ(document->Codec()->WriteHeader(), codFile);
    EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(TamrDocTest, LosslessThenWaveletOnOneDocument)
{
    auto document = Open(Write("x.bmp", ColourBmp(33, 20)));
    ASSERT_TRUE(document);
    settings_.qualityFactor = 100;
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Codec()->Method(), CodingMethod::Lossless);
    settings_.qualityFactor = 50;
    ApplyQualityFactor(settings_);
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Codec()->Method(), CodingMethod::Wavelet);
}

TEST_F(TamrDocTest, JpegSourceWarnsBeforeCompressing)
{
    auto document = Open(Write("shot.jpg", test::ColourJpeg(32, 24)));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->CompressSeconds(), 0.0f);
    EXPECT_GE(document->DecompressSeconds(), 0.0f);
    ASSERT_TRUE(document->Compress());
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0], (Message{"Orginal Image is compressed by JPEG!!", "Warning",
                                                MessageIcon::Information, MessageButtons::Ok}));
    EXPECT_EQ(document->Title(), "shot.cod");
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->Codec()->Method(), CodingMethod::Wavelet);
}

TEST_F(TamrDocTest, OpensByContent)
{
    EXPECT_FALSE(Open(Write("empty.bmp", {})));
    EXPECT_FALSE(Open(Write("noise.bin", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})));
    EXPECT_FALSE(Open(Write("empty.tga", {}))); // ".tga" in the name, but no bytes
    ASSERT_EQ(prompter_.Messages().size(), 3u);
    for (const auto& message : prompter_.Messages())
        EXPECT_EQ(message, ErrorBox("There was an error reading the file!!"));
    EXPECT_FALSE(Open(scratch_ / "missing.bmp"));
    EXPECT_EQ(prompter_.Messages().size(), 3u); // a file that cannot be opened fails silently

    // Signatures are tested before the name.
    auto bitmapNamedTga = Open(Write("x.tga", ColourBmp(8, 8)));
    ASSERT_TRUE(bitmapNamedTga);
    EXPECT_EQ(bitmapNamedTga->SourceType(), FileType::Bmp);
    // A TGA is known by its name only.
    prompter_.Clear();
    EXPECT_FALSE(Open(Write("picture.img", test::ColourTga(12, 9))));
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0].text, "There was an error reading the file!!");
    auto upperCaseTga = Open(Write("PICTURE.TGA", test::ColourTga(12, 9)));
    ASSERT_TRUE(upperCaseTga);
    EXPECT_EQ(upperCaseTga->SourceType(), FileType::Tga);

    prompter_.Clear();
    EXPECT_FALSE(Open(Write("bad.cod", {'C', 'I', 'S', '4', '.', '0', 0, 0})));
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0], ErrorBox("file can not be decompressed!!"));
}

TEST_F(TamrDocTest, BrokenTgaIsReportedUnderTheApplicationsTitle)
{
    EXPECT_FALSE(Open(Write("cut.tga", {0, 0, 2, 0, 0})));
    ASSERT_FALSE(prompter_.Messages().empty());
    EXPECT_EQ(prompter_.Messages().back(),
              (Message{"There was an error reading the file!!", "", MessageIcon::Error, MessageButtons::Ok}));
}

TEST_F(TamrDocTest, ClosingClearsTheDrawingPaletteWhenItIsItsOwn)
{
    auto first = Open(Write("a.bmp", ColourBmp(8, 8)));
    auto second = Open(Write("b.bmp", ColourBmp(8, 8)));
    ASSERT_TRUE(first && second);
    environment_.currentPalette = second->Palette();
    first.reset();
    EXPECT_EQ(environment_.currentPalette, second->Palette());
    second.reset();
    EXPECT_EQ(environment_.currentPalette, nullptr);
}

} // namespace
} // namespace tamr
