#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "app/document/TamrDoc.h"
#include "codec/QualityFactor.h"
#include "platform/ScriptedPrompter.h"
#include "support/BmpTestFiles.h"
#include "support/GifTestFiles.h"
#include "support/TestSupport.h"

namespace tamr {
namespace {

std::vector<std::uint8_t> ColourBmp(int width, int height, std::uint16_t reserved = 0)
{
    test::BmpLayout layout;
    layout.width = width;
    layout.height = height;
    layout.reserved1 = reserved;
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < rowBytes; ++x)
            layout.rows.push_back(x < width * 3 ? static_cast<std::uint8_t>((x * 5 + y * 9) % 256) : 0);
    return test::BuildBmp(layout);
}

// An uncompressed 24-bit TGA, bottom-up.
std::vector<std::uint8_t> ColourTga(int width, int height)
{
    std::vector<std::uint8_t> file = {
        0, 0,  2, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(width), 0, static_cast<std::uint8_t>(height),
        0, 24, 0};
    for (int i = 0; i < width * height * 3; ++i)
        file.push_back(static_cast<std::uint8_t>(i * 7));
    return file;
}

class TamrDocTest : public testing::Test {
protected:
    TamrDocTest() : environment_{settings_, display_, prompter_, scratch_.Path()} {}

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes)
    {
        const auto path = scratch_ / name;
        test::WriteBytes(path, bytes);
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

    test::ScratchDir scratch_;
    CodecSettings settings_;
    DisplaySettings display_;
    ScriptedPrompter prompter_;
    DocumentEnvironment environment_;
};

TEST_F(TamrDocTest, CompressRenamesToCodAndSaveWritesIntoTheCurrentFolder)
{
    const auto source = Write("Photo.bmp", ColourBmp(40, 30));
    auto document = Open(source);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->Title(), "Photo.bmp");
    EXPECT_FALSE(document->IsModified());
    EXPECT_TRUE(document->OnUpdateFileSave());
    EXPECT_TRUE(document->OnUpdateFileSaveAs());
    EXPECT_FALSE(document->OnUpdateFileNew());

    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Title(), "Photo.cod");
    EXPECT_TRUE(document->IsModified());
    EXPECT_GE(document->CompressSeconds(), 0.0f);

    const auto saveFolder = scratch_ / "current";
    std::filesystem::create_directory(saveFolder);
    environment_.currentDirectory = saveFolder;
    document->OnFileSave();
    EXPECT_TRUE(prompter_.Messages().empty()) << MessageTexts().front();
    EXPECT_FALSE(document->IsModified());
    const auto saved = test::ReadBytes(saveFolder / "photo.cod"); // the title, lower-cased
    EXPECT_EQ(saved, document->Codec()->WriteHeader());

    // Saving again over the existing file asks first; No leaves it alone.
    prompter_.QueueAnswer(MessageAnswer::No);
    document->OnFileSave();
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0],
              (Message{"Copy over existsting file??", "", MessageIcon::Question, MessageButtons::YesNo}));

    // Closing writes the COD file next to the source.
    ASSERT_TRUE(document->OnSaveDocument(source));
    EXPECT_EQ(test::ReadBytes(scratch_ / "Photo.cod"), saved);
}

TEST_F(TamrDocTest, CodTitleRule)
{
    EXPECT_EQ(CTamrDoc::CodTitle("photo"), "photo.cod");
    EXPECT_EQ(CTamrDoc::CodTitle("photo.bmp"), "photo.cod");
    EXPECT_EQ(CTamrDoc::CodTitle("a.b.tga"), "a.cod");
}

TEST_F(TamrDocTest, CodDocumentCompressesNothingButBecomesModified)
{
    auto bitmap = Open(Write("x.bmp", ColourBmp(40, 40)));
    ASSERT_TRUE(bitmap && bitmap->Compress());
    const auto codFile = bitmap->Codec()->WriteHeader();
    const auto shown = std::vector<std::uint8_t>(bitmap->Image()->Pixels().begin(), bitmap->Image()->Pixels().end());

    auto document = Open(Write("x.cod", codFile));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->SourceType(), FileType::Cod);
    EXPECT_EQ(std::vector<std::uint8_t>(document->Image()->Pixels().begin(), document->Image()->Pixels().end()), shown);
    EXPECT_EQ(document->CompressSeconds(), 0.0f);
    EXPECT_FALSE(document->IsModified());
    ASSERT_TRUE(document->Compress());
    EXPECT_EQ(document->Title(), "x.cod");
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(document->Codec()->WriteHeader(), codFile);
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

TEST_F(TamrDocTest, OpensByContent)
{
    EXPECT_FALSE(Open(Write("empty.bmp", {})));
    EXPECT_FALSE(Open(Write("noise.bin", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})));
    ASSERT_EQ(prompter_.Messages().size(), 2u);
    EXPECT_EQ(prompter_.Messages()[0],
              (Message{"There was an error reading the file!!", "Error", MessageIcon::Error, MessageButtons::Ok}));
    EXPECT_FALSE(Open(scratch_ / "missing.bmp"));
    EXPECT_EQ(prompter_.Messages().size(), 2u); // a file that cannot be opened fails silently

    auto bitmapNamedTga = Open(Write("x.tga", ColourBmp(8, 8)));
    ASSERT_TRUE(bitmapNamedTga);
    EXPECT_EQ(bitmapNamedTga->SourceType(), FileType::Bmp);

    auto tga = Open(Write("picture.tga", ColourTga(12, 9)));
    ASSERT_TRUE(tga);
    EXPECT_EQ(tga->SourceType(), FileType::Tga);
    EXPECT_FALSE(tga->OnUpdateFileSave());
    EXPECT_FALSE(tga->OnUpdateFileSaveAs());
    EXPECT_EQ(tga->Codec()->DataSize(), ColourTga(12, 9).size());
    ASSERT_TRUE(tga->Compress());
    EXPECT_TRUE(tga->OnUpdateFileSave());
    EXPECT_EQ(tga->Title(), "picture.cod");

    prompter_.Clear();
    EXPECT_FALSE(Open(Write("bad.cod", {'C', 'I', 'S', '4', '.', '0', 0, 0})));
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0].text, "file can not be decompressed!!");
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
    auto failureMessages = [&](const test::GifSpec& spec, std::size_t keepBytes = SIZE_MAX) {
        prompter_.Clear();
        auto bytes = test::BuildGif(spec);
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

TEST_F(TamrDocTest, SaveAsChecksTheKind)
{
    auto document = Open(Write("photo.bmp", ColourBmp(20, 20)));
    ASSERT_TRUE(document);
    prompter_.QueueSaveFile(scratch_ / "y.cod");
    document->OnFileSaveAs();
    ASSERT_EQ(prompter_.SaveRequests().size(), 1u);
    EXPECT_EQ(prompter_.SaveRequests()[0],
              (SaveFileRequest{"COD (*.cod)|*.cod;*.COD|BMP (*.bmp)|*.bmp;*.BMP;****||", "cod;bmp;****", "photo.bmp"}));
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0],
              (Message{"The file is not this type!!", "Error", MessageIcon::Error, MessageButtons::Ok}));
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "y.cod"));

    // After a filter only the BMP dialog is offered, named after the title.
    document->SetImageEdited(true);
    EXPECT_FALSE(document->OnUpdateFileSave());
    prompter_.QueueSaveFile(std::nullopt);
    document->OnFileSaveAs();
    EXPECT_EQ(prompter_.SaveRequests()[1], (SaveFileRequest{"BMP (*.bmp)|*.bmp;*.BMP;****||", "bmp", "photo"}));

    // Neither .cod nor .bmp in the name.
    prompter_.Clear();
    document->SetImageEdited(false);
    prompter_.QueueSaveFile(scratch_ / "z.txt");
    document->OnFileSaveAs();
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0].text, "The file is not this type!!");
}

TEST_F(TamrDocTest, SaveAsFromCodToBmpKeepsThePathName)
{
    const auto source = Write("x.bmp", ColourBmp(24, 24));
    auto document = Open(source);
    ASSERT_TRUE(document && document->Compress());
    prompter_.QueueSaveFile(scratch_ / "Y.bmp");
    document->OnFileSaveAs();
    EXPECT_TRUE(prompter_.Messages().empty());
    EXPECT_EQ(document->Title(), "Y.bmp");
    EXPECT_EQ(document->PathName(), source);
    EXPECT_FALSE(document->IsModified());
    const auto written = test::ReadBytes(scratch_ / "y.bmp"); // the chosen path, lower-cased
    EXPECT_EQ(written, document->Image()->WriteBmp());
}

TEST_F(TamrDocTest, BitDepthWarningsAskOnceAndNoWritesNothing)
{
    auto document = Open(Write("deep.bmp", ColourBmp(16, 16, 4)));
    ASSERT_TRUE(document);
    prompter_.QueueSaveFile(scratch_ / "out.bmp");
    prompter_.QueueAnswer(MessageAnswer::No);
    document->OnFileSaveAs();
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0],
              (Message{"File will be saved as 24 bit!", "Warning!", MessageIcon::Error, MessageButtons::YesNoCancel}));
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "out.bmp"));

    prompter_.QueueSaveFile(scratch_ / "out.bmp");
    prompter_.QueueAnswer(MessageAnswer::Yes);
    document->OnFileSaveAs();
    EXPECT_TRUE(std::filesystem::exists(scratch_ / "out.bmp"));
    prompter_.Clear();
    prompter_.QueueSaveFile(scratch_ / "again.bmp");
    document->OnFileSaveAs();
    EXPECT_TRUE(prompter_.Messages().empty());
    EXPECT_TRUE(std::filesystem::exists(scratch_ / "again.bmp"));
}

TEST_F(TamrDocTest, FailedSaveLeavesThePreviousFileAsItWas)
{
    auto document = Open(Write("big.bmp", ColourBmp(200, 150)));
    ASSERT_TRUE(document);
    const auto target = scratch_ / "keep.bmp";
    const std::vector<std::uint8_t> previous(5000, 0x5A);
    test::WriteBytes(target, previous);

    // A disk that fills up: the child may write only a few kilobytes.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        prompter_.QueueSaveFile(target);
        document->OnFileSaveAs();
        const bool told =
            prompter_.Messages().size() == 1 && prompter_.Messages()[0].text == "Cannot Save to the file!!";
        _exit(told ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported";
    EXPECT_EQ(test::ReadBytes(target), previous);
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch_.Path()))
        ++files;
    EXPECT_EQ(files, 2);
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
