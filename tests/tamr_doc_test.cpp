// The document's life: opening by content, Compress, command enabling through
// every state, and what closing leaves behind. Saving is in tamr_doc_save_test.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "codec/QualityFactor.h"
#include "support/DocumentTestFixture.h"
#include "support/PngTestFiles.h"

namespace tamr {
namespace {

using test::ColourBmp;

class TamrDocTest : public test::DocumentTest {};

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> bytes)
{
    return {bytes.begin(), bytes.end()};
}

// What the enabling handlers say, in the order Save, Save As.
struct Enabling {
    bool save;
    bool saveAs;
    bool operator==(const Enabling&) const = default;
};

Enabling EnablingOf(const CTamrDoc& document)
{
    return {document.OnUpdateFileSave(), document.OnUpdateFileSaveAs()};
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
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true}));
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
        EXPECT_EQ(EnablingOf(*document), (Enabling{false, false})) << c.name;
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
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true}));
    EXPECT_EQ(document->Codec()->Method(), CodingMethod::Wavelet);
    EXPECT_GE(document->CompressSeconds(), 0.0f);
    // The shown image is the decoded one.
    EXPECT_NE(Bytes(document->Image()->Pixels()), Bytes(document->Image()->ReferencePixels()));
}

TEST_F(TamrDocTest, CodedOnlyKeepsThePictureAsLoadedAndCodesTheSameBytes)
{
    auto coded = Open(Write("coded.bmp", ColourBmp(40, 30)));
    auto shown = Open(Write("shown.bmp", ColourBmp(40, 30)));
    ASSERT_TRUE(coded && shown);
    ASSERT_TRUE(coded->Compress(CTamrDoc::Showing::CodedOnly));
    ASSERT_TRUE(shown->Compress());
    EXPECT_EQ(coded->DecodedCount(), 0);
    EXPECT_EQ(shown->DecodedCount(), 1);
    EXPECT_EQ(coded->Title(), "coded.cod");
    EXPECT_EQ(Bytes(coded->Image()->Pixels()), Bytes(coded->Image()->ReferencePixels()));
    EXPECT_EQ(coded->Codec()->WriteHeader(), shown->Codec()->WriteHeader());
    // The picture held is not the one the COD file shows: no bitmap of it is written.
    prompter_.QueueSaveFile(scratch_ / "coded-shown.bmp");
    EXPECT_FALSE(coded->OnFileSaveAs());
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "coded-shown.bmp"));
}

TEST_F(TamrDocTest, EditedDocumentSavesOnlyWhenModified)
{
    auto document = Open(Write("photo.bmp", ColourBmp(24, 24)));
    ASSERT_TRUE(document);
    document->SetImageEdited(true);
    EXPECT_EQ(document->Title(), "photo.bmp");
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(EnablingOf(*document), (Enabling{false, true}));

    ASSERT_TRUE(document->Compress());
    document->SetImageEdited(true);
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true}));
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
    EXPECT_EQ(EnablingOf(*document), (Enabling{false, false}));
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Title(), "photo.cod");
}

TEST_F(TamrDocTest, TitleExtensionIgnoresCase)
{
    auto document = Open(Write("SHOT.BMP", ColourBmp(16, 16)));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->TitleExtension(), ".bmp");
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true}));
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
    EXPECT_EQ(EnablingOf(*document), (Enabling{true, true}));
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

    // Said once as a box; after that, and for results made in the background, as a notice.
    EXPECT_TRUE(prompter_.Notices().empty());
    ASSERT_TRUE(document->Compress());
    auto job = document->MakeCompressJob(settings_);
    ASSERT_TRUE(job);
    CTamrDoc::RunCompressJob(*job);
    ASSERT_TRUE(document->AdoptCompressed(std::move(*job)));
    EXPECT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Notices(), std::vector<Message>(2, prompter_.Messages()[0]));
}

TEST_F(TamrDocTest, BackgroundResultsWaitForEditSessionsAndFollowTheGeneration)
{
    auto document = Open(Write("photo.bmp", ColourBmp(24, 16)));
    ASSERT_TRUE(document);
    const auto coded = [&] {
        auto job = document->MakeCompressJob(settings_);
        EXPECT_TRUE(job);
        CTamrDoc::RunCompressJob(*job);
        return std::move(*job);
    };

    // Refused while a session is open; taken once it ended without a change.
    auto session = std::make_optional(document->OpenEditSession());
    EXPECT_TRUE(document->InEditSession());
    auto waited = coded();
    EXPECT_FALSE(document->AdoptCompressed(coded()));
    session.reset();
    EXPECT_FALSE(document->InEditSession());
    const auto before = document->Generation();
    EXPECT_TRUE(document->AdoptCompressed(std::move(waited)));
    EXPECT_NE(document->Generation(), before);

    // A session that changed the pixels makes results begun before it out of date.
    auto outdated = coded();
    {
        auto editing = document->OpenEditSession();
        editing.MarkChanged();
    }
    EXPECT_FALSE(document->AdoptCompressed(std::move(outdated)));
    // So does another result taken first.
    auto first = coded();
    auto second = coded();
    EXPECT_TRUE(document->AdoptCompressed(std::move(first)));
    EXPECT_FALSE(document->AdoptCompressed(std::move(second)));
}

TEST_F(TamrDocTest, AJobSharingThePictureCodesItAsItWasWhenMade)
{
    auto document = Open(Write("photo.bmp", ColourBmp(24, 16)));
    ASSERT_TRUE(document);
    const CTamrDoc& shown = *document;
    const auto loaded = Bytes(shown.Image()->Pixels());
    document->SharePicture();
    auto job = document->MakeCompressJob(settings_);
    ASSERT_TRUE(job);
    const CDibImage& coded = *job->image;
    EXPECT_EQ(coded.Pixels().data(), shown.Image()->Pixels().data());

    // An edit before the job runs changes the document's pixels only.
    {
        auto editing = document->OpenEditSession();
        const auto pixels = document->Image()->Pixels();
        std::fill(pixels.begin(), pixels.end(), std::uint8_t{0});
        editing.MarkChanged();
    }
    EXPECT_NE(coded.Pixels().data(), shown.Image()->Pixels().data());
    EXPECT_EQ(Bytes(coded.ReferencePixels()), loaded);
    EXPECT_EQ(Bytes(shown.Image()->ReferencePixels()), loaded);
    CTamrDoc::RunCompressJob(*job);
    ASSERT_TRUE(job->times);

    // It decoded what Compress decodes from the file.
    auto fresh = Open(Write("again.bmp", ColourBmp(24, 16)));
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(fresh->Compress());
    EXPECT_EQ(Bytes(coded.Pixels()), Bytes(std::as_const(*fresh->Image()).Pixels()));
    EXPECT_FALSE(document->AdoptCompressed(std::move(*job)));
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

// The same pixels as PNG, PNM and BMP compress to the same COD file.
TEST_F(TamrDocTest, PngAndPnmCompressLikeTheSameBitmap)
{
    constexpr int kWidth = 21;
    constexpr int kHeight = 14;
    test::PngLayout layout = test::PatternPng(kWidth, kHeight, 8, 2);
    layout.interlaced = true;
    std::string ppm = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
    test::BmpLayout bmp;
    bmp.width = kWidth;
    bmp.height = kHeight;
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x)
            for (int c = 2; c >= 0; --c)
                bmp.rows.push_back(static_cast<std::uint8_t>(layout.samples[(y * kWidth + x) * 3 + c]));
        bmp.rows.resize(bmp.rows.size() + (4 - kWidth * 3 % 4) % 4, 0);
    }
    std::vector<std::uint8_t> ppmFile(ppm.begin(), ppm.end());
    for (const std::uint16_t sample : layout.samples)
        ppmFile.push_back(static_cast<std::uint8_t>(sample));

    std::vector<std::vector<std::uint8_t>> codFiles;
    for (const auto& [name, bytes] : {std::pair{"a.png", test::BuildPng(layout)}, std::pair{"a.ppm", ppmFile},
                                      std::pair{"a.bmp", test::BuildBmp(bmp)}}) {
        auto document = Open(Write(name, bytes));
        ASSERT_TRUE(document) << name;
        ASSERT_TRUE(document->Compress());
        EXPECT_EQ(document->Title(), "a.cod");
        codFiles.push_back(document->Codec()->WriteHeader());
    }
    EXPECT_EQ(codFiles[0], codFiles[2]);
    EXPECT_EQ(codFiles[1], codFiles[2]);
    EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(TamrDocTest, PngRefusalsSayWhyAndTransparencyIsNoticed)
{
    auto file = test::BuildPng(test::PatternPng(8, 8, 8, 0));
    file[file.size() - 14] ^= 1; // the checksum of the picture data
    EXPECT_FALSE(Open(Write("bad.png", file)));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{ErrorBox("There was an error reading the file!!")});
    ASSERT_EQ(prompter_.Details().size(), 1u);
    EXPECT_NE(prompter_.Details()[0].find("checksum"), std::string::npos);

    prompter_.Clear();
    EXPECT_FALSE(Open(Write("plain.ppm", {'P', '3', '\n', '1', ' ', '1', '\n', '1', '\n', '1', ' ', '1', ' ', '1'})));
    ASSERT_EQ(prompter_.Details().size(), 1u);
    EXPECT_NE(prompter_.Details()[0].find("ASCII"), std::string::npos);

    prompter_.Clear();
    auto alpha = Open(Write("alpha.png", test::BuildPng(test::PatternPng(8, 8, 8, 6))));
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->SourceType(), FileType::Png);
    EXPECT_EQ(prompter_.Notices(), (std::vector<Message>{{"Transparent parts of the picture are shown over white",
                                                          "Notice", MessageIcon::Information, MessageButtons::Ok}}));
    // Until the first compression the compressed size is the source file's length.
    EXPECT_EQ(alpha->Codec()->DataSize(), std::filesystem::file_size(scratch_ / "alpha.png"));
}

TEST_F(TamrDocTest, GifOpensAndEveryGifFailureSaysWhyOnce)
{
    test::GifSpec layout;
    layout.width = 6;
    layout.height = 4;
    layout.pixels.assign(24, 7);
    const auto good = test::BuildGif(layout);
    auto gif = Open(Write("picture.gif", good));
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->SourceType(), FileType::Gif);
    EXPECT_FALSE(gif->OnUpdateFileSave());
    EXPECT_FALSE(gif->OnUpdateFileSaveAs());
    EXPECT_EQ(gif->Codec()->DataSize(), good.size());
    EXPECT_TRUE(prompter_.Messages().empty());

    const Message readError{"There was an error reading the file!!", "Error", MessageIcon::Error, MessageButtons::Ok};
    auto failureMessages = [&](const test::GifSpec& gifLayout, std::size_t keepBytes = SIZE_MAX) {
        prompter_.Clear();
        auto bytes = test::BuildGif(gifLayout);
        bytes.resize(std::min(bytes.size(), keepBytes));
        EXPECT_FALSE(Open(Write("broken.gif", bytes)));
        return prompter_.Messages();
    };
    // Files the reader cannot read at all get the document's read error ...
    test::GifSpec wrongVersion = layout;
    wrongVersion.signature = "GIF90a";
    EXPECT_EQ(failureMessages(wrongVersion), std::vector<Message>{readError});
    EXPECT_EQ(failureMessages(layout, 20), std::vector<Message>{readError});
    // ... files it refuses knowingly only the reader's message ...
    test::GifSpec sixteen = layout;
    sixteen.screenTableBits = 4;
    sixteen.globalTable = test::ColourTriples(16);
    EXPECT_EQ(failureMessages(sixteen), (std::vector<Message>{{"Two and four bit GIF files are not supported.", "ERROR",
                                                               MessageIcon::Error, MessageButtons::Ok}}));
    // ... and blocks the image refuses only the image's.
    test::GifSpec fourBits = layout;
    fourBits.localTable = test::ColourTriples(16);
    EXPECT_EQ(failureMessages(fourBits), (std::vector<Message>{{"The file is not in a 24 bit or 8 bit mode", "ERROR",
                                                                MessageIcon::Error, MessageButtons::Ok}}));
}

TEST_F(TamrDocTest, BrokenTgaIsReportedUnderTheApplicationsTitle)
{
    EXPECT_FALSE(Open(Write("cut.tga", {0, 0, 2, 0, 0})));
    ASSERT_FALSE(prompter_.Messages().empty());
    EXPECT_EQ(prompter_.Messages().back(),
              (Message{"There was an error reading the file!!", "", MessageIcon::Error, MessageButtons::Ok}));
}

// A view that writes down what the document asks of it, in order.
class ScriptedView : public DocumentView {
public:
    void OnUpdate() override { events.push_back("update"); }
    void ShowLevel(const CDibImage& levelImage) override
    {
        events.push_back("level " + std::to_string(levelImage.Width()) + "x" + std::to_string(levelImage.Height()) +
                         " of " + std::to_string(levelImage.FullWidth()) + "x" +
                         std::to_string(levelImage.FullHeight()));
        hadIndexImage.push_back(std::any_of(levelImage.IndexPixels().begin(), levelImage.IndexPixels().end(),
                                            [](std::uint8_t index) { return index != 0; }));
    }

    std::vector<std::string> events;
    std::vector<bool> hadIndexImage;
};

class IncrementalDisplayTest : public TamrDocTest {
protected:
    IncrementalDisplayTest()
    {
        settings_.totalLevels = 5;
        settings_.incrementalDisplay = true;
    }

    // Opens with the views already attached, as the program creates the view before the open.
    std::unique_ptr<CTamrDoc> OpenWithViews(const std::filesystem::path& path)
    {
        auto document = std::make_unique<CTamrDoc>(environment_);
        document->AddView(first_);
        document->AddView(second_);
        if (!document->OnOpenDocument(path))
            return nullptr;
        return document;
    }

    ScriptedView first_;
    ScriptedView second_;
};

// 100 x 60 with 5 levels: levels 0 to 4 are shown at 3x1, 6x3, 12x7, 25x15 and 50x30.
const std::vector<std::string> kLevelsOf100x60 = {"level 3x1 of 100x60", "level 6x3 of 100x60", "level 12x7 of 100x60",
                                                  "level 25x15 of 100x60", "level 50x30 of 100x60"};

TEST_F(IncrementalDisplayTest, CompressShowsEveryLevelInTheFirstViewBeforeTheUpdate)
{
    auto document = OpenWithViews(Write("photo.bmp", ColourBmp(100, 60)));
    ASSERT_TRUE(document);
    first_.events.clear();
    second_.events.clear();
    ASSERT_TRUE(document->Compress());
    auto expected = kLevelsOf100x60;
    expected.push_back("update");
    EXPECT_EQ(first_.events, expected);
    EXPECT_EQ(second_.events, std::vector<std::string>{"update"});
}

TEST_F(IncrementalDisplayTest, OpeningACodFileShowsItsLevels)
{
    settings_.incrementalDisplay = false;
    auto bitmap = Open(Write("photo.bmp", ColourBmp(100, 60)));
    ASSERT_TRUE(bitmap && bitmap->Compress());
    const auto cod = Write("photo.cod", bitmap->Codec()->WriteHeader());

    settings_.incrementalDisplay = true;
    display_.paletteDisplay = true;
    auto document = OpenWithViews(cod);
    ASSERT_TRUE(document);
    auto expected = kLevelsOf100x60;
    expected.push_back("update");
    EXPECT_EQ(first_.events, expected);
    // On a palette screen each level comes with its index image.
    EXPECT_EQ(first_.hadIndexImage, std::vector<bool>(5, true));
    EXPECT_EQ(std::vector<std::uint8_t>(document->Image()->Pixels().begin(), document->Image()->Pixels().end()),
              std::vector<std::uint8_t>(bitmap->Image()->Pixels().begin(), bitmap->Image()->Pixels().end()));
}

TEST_F(IncrementalDisplayTest, NothingIsShownWhenOffOrLossless)
{
    auto document = OpenWithViews(Write("photo.bmp", ColourBmp(100, 60)));
    ASSERT_TRUE(document);
    settings_.qualityFactor = 100;
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(first_.events, std::vector<std::string>{"update"});

    settings_.qualityFactor = 50;
    ApplyQualityFactor(settings_);
    settings_.incrementalDisplay = false;
    first_.events.clear();
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(first_.events, std::vector<std::string>{"update"});

    // Without any view the levels are decoded all the same.
    settings_.incrementalDisplay = true;
    auto unseen = Open(Write("other.bmp", ColourBmp(100, 60)));
    ASSERT_TRUE(unseen && unseen->Compress());
}

} // namespace
} // namespace tamr
