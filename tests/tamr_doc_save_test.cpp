// Save, Save As and the save on closing: the kind of file chosen by the name,
// the questions and messages, where the file goes, and that a failed save
// never costs the old file.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "support/DocumentTestFixture.h"

namespace tamr {
namespace {

using test::ColourBmp;

const Message kCopyOver{"Copy over existsting file??", "", MessageIcon::Question, MessageButtons::YesNo};
const Message kNotThisType{"The file is not this type!!", "Error", MessageIcon::Error, MessageButtons::Ok};
const Message kCannotSave{"Cannot Save to the file!!", "Error", MessageIcon::Error, MessageButtons::Ok};
const Message k24Bit{"File will be saved as 24 bit!", "Warning!", MessageIcon::Error, MessageButtons::YesNoCancel};
const Message k8Bit{"File will be saved as 8 bit!", "Warning!", MessageIcon::Error, MessageButtons::YesNoCancel};

const SaveFileRequest kBothKinds{"COD (*.cod)|*.cod;*.COD|BMP (*.bmp)|*.bmp;*.BMP;****|PNG (*.png)|*.png;*.PNG|"
                                 "PNM (*.ppm;*.pgm)|*.ppm;*.PPM;*.pgm;*.PGM||",
                                 "cod;bmp;****", ""};

// Writes the first `allowed` bytes, then fails as a full disk does.
class FullDisk : public FileOutput {
public:
    explicit FullDisk(std::size_t allowed) : allowed_(allowed) {}
    ssize_t Write(int descriptor, const std::uint8_t* data, std::size_t size) const override
    {
        if (written_ >= allowed_) {
            errno = ENOSPC;
            return -1;
        }
        const std::size_t part = std::min(size, allowed_ - written_);
        const ssize_t result = FileOutput::Write(descriptor, data, part);
        if (result > 0)
            written_ += static_cast<std::size_t>(result);
        return result;
    }

private:
    std::size_t allowed_;
    mutable std::size_t written_ = 0;
};

// Everything is written, but the flush to the disk fails (a failing device).
class FailingSync : public FileOutput {
public:
    int Sync(int) const override
    {
        errno = EIO;
        return -1;
    }
};

class TamrDocSaveTest : public test::DocumentTest {
protected:
    std::unique_ptr<CTamrDoc> OpenCompressed(const std::string& name, int width = 40, int height = 30)
    {
        auto document = Open(Write(name, ColourBmp(width, height)));
        EXPECT_TRUE(document && document->Compress());
        return document;
    }

    // Save As answered with `path`.
    bool SaveAs(CTamrDoc& document, const std::filesystem::path& path)
    {
        prompter_.QueueSaveFile(path);
        return document.OnFileSaveAs();
    }

    // The files of a folder, so that a stray temporary file shows.
    static std::vector<std::string> FilesIn(const std::filesystem::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// ---- Save ----

TEST_F(TamrDocSaveTest, SaveWritesTheTitleIntoTheCurrentFolder)
{
    auto document = OpenCompressed("Photo.bmp");
    const auto current = scratch_ / "current";
    std::filesystem::create_directory(current);
    environment_.currentDirectory = current;

    EXPECT_TRUE(document->OnFileSave());
    EXPECT_TRUE(prompter_.Messages().empty()) << MessageTexts().front();
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(document->Title(), "Photo.cod"); // Save keeps the title
    EXPECT_EQ(test::ReadBytes(current / "Photo.cod"), document->Codec()->WriteHeader());
    EXPECT_EQ(FilesIn(current), std::vector<std::string>{"Photo.cod"});
}

TEST_F(TamrDocSaveTest, SaveAsksBeforeWritingOverAFile)
{
    auto document = OpenCompressed("photo.bmp");
    const std::vector<std::uint8_t> old(100, 7);
    test::WriteBytes(scratch_ / "photo.cod", old);

    prompter_.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(document->OnFileSave());
    ASSERT_EQ(prompter_.Messages().size(), 1u);
    EXPECT_EQ(prompter_.Messages()[0], kCopyOver);
    EXPECT_EQ(test::ReadBytes(scratch_ / "photo.cod"), old);
    EXPECT_TRUE(document->IsModified());

    prompter_.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(document->OnFileSave());
    EXPECT_EQ(test::ReadBytes(scratch_ / "photo.cod"), document->Codec()->WriteHeader());
    EXPECT_FALSE(document->IsModified());
}

TEST_F(TamrDocSaveTest, SaveOfABitmapWarnsAboutItsDepth)
{
    auto document = Open(Write("deep.bmp", ColourBmp(16, 16, 4)));
    ASSERT_TRUE(document);
    const auto current = scratch_ / "current";
    std::filesystem::create_directory(current);
    environment_.currentDirectory = current;

    prompter_.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_FALSE(document->OnFileSave());
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{k24Bit});
    EXPECT_FALSE(std::filesystem::exists(current / "deep.bmp"));

    prompter_.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(document->OnFileSave());
    EXPECT_EQ(test::ReadBytes(current / "deep.bmp"), document->Image()->WriteBmp());
}

TEST_F(TamrDocSaveTest, SaveOfATitleOfNeitherKindCreatesNothing)
{
    auto document = Open(Write("x.gif", test::ColourGif(8, 8)));
    ASSERT_TRUE(document);
    const auto current = scratch_ / "current";
    std::filesystem::create_directory(current);
    environment_.currentDirectory = current;
    EXPECT_FALSE(document->OnFileSave());
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kCannotSave});
    EXPECT_TRUE(FilesIn(current).empty());
}

// ---- Save As ----

TEST_F(TamrDocSaveTest, BitmapIsSavedAsBitmapOnly)
{
    auto document = Open(Write("photo.bmp", ColourBmp(20, 20)));
    ASSERT_TRUE(document);
    EXPECT_FALSE(SaveAs(*document, scratch_ / "y.cod"));
    ASSERT_EQ(prompter_.SaveRequests().size(), 1u);
    SaveFileRequest expected = kBothKinds;
    expected.initialName = "photo.bmp";
    EXPECT_EQ(prompter_.SaveRequests()[0], expected);
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kNotThisType});
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "y.cod"));

    prompter_.Clear();
    EXPECT_FALSE(SaveAs(*document, scratch_ / "z.txt"));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kNotThisType});

    prompter_.Clear();
    EXPECT_TRUE(SaveAs(*document, scratch_ / "Copy.BMP"));
    EXPECT_TRUE(prompter_.Messages().empty());
    EXPECT_EQ(document->Title(), "Copy.BMP");
    EXPECT_EQ(test::ReadBytes(scratch_ / "Copy.BMP"), document->Image()->WriteBmp());
}

TEST_F(TamrDocSaveTest, CodTitleSavesAsEitherKind)
{
    const auto source = scratch_ / "x.bmp";
    auto document = OpenCompressed("x.bmp");

    EXPECT_TRUE(SaveAs(*document, scratch_ / "Y.bmp"));
    EXPECT_TRUE(prompter_.Messages().empty());
    EXPECT_EQ(document->Title(), "Y.bmp");
    EXPECT_EQ(document->PathName(), source); // the path name stays the source's
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(test::ReadBytes(scratch_ / "Y.bmp"), document->Image()->WriteBmp());

    // Opened from COD: COD or BMP.
    auto cod = Open(Write("c.cod", document->Codec()->WriteHeader()));
    ASSERT_TRUE(cod);
    EXPECT_TRUE(SaveAs(*cod, scratch_ / "d.cod"));
    EXPECT_EQ(test::ReadBytes(scratch_ / "d.cod"), test::ReadBytes(scratch_ / "c.cod"));
    EXPECT_TRUE(SaveAs(*cod, scratch_ / "d.bmp"));
    EXPECT_EQ(test::ReadBytes(scratch_ / "d.bmp"), cod->Image()->WriteBmp());
}

// PNG and PNM files hold the shown picture wherever a BMP can; read back they
// give the very pixels, and the documents they open save the same way.
TEST_F(TamrDocSaveTest, ShownPictureAsPngOrPnmReadsBackToTheSamePixels)
{
    auto compressed = OpenCompressed("x.bmp", 23, 17);
    auto gray = Open(Write("g.bmp", test::GrayBmp(9, 5)));
    ASSERT_TRUE(gray);
    for (CTamrDoc* document : {compressed.get(), gray.get()}) {
        for (const std::string name : {"y.png", "y.ppm", "y.pgm", "photo.bmp.png"}) {
            SCOPED_TRACE(document->Title() + " as " + name);
            prompter_.Clear();
            const auto shown = document->Image()->Pixels();
            const std::vector<std::uint8_t> pixels(shown.begin(), shown.end());
            ASSERT_TRUE(SaveAs(*document, scratch_ / name));
            EXPECT_TRUE(prompter_.Messages().empty());
            EXPECT_EQ(document->Title(), name);
            auto reopened = Open(scratch_ / name);
            ASSERT_TRUE(reopened);
            EXPECT_EQ(reopened->SourceType(), name.ends_with(".png") ? FileType::Png : FileType::Pnm);
            EXPECT_EQ(reopened->Image()->IsColour(), document->Image()->IsColour());
            const auto read = reopened->Image()->Pixels();
            EXPECT_EQ(std::vector<std::uint8_t>(read.begin(), read.end()), pixels);
        }
    }
    // A gray picture is P5 whatever the name, a colour one P6.
    EXPECT_EQ(test::ReadBytes(scratch_ / "y.ppm")[1], '5');
    // A PNG document is a bitmap: it saves as BMP, PNG or PNM, not as COD.
    auto png = Open(scratch_ / "y.png");
    ASSERT_TRUE(png);
    EXPECT_TRUE(png->OnUpdateFileSave());
    EXPECT_TRUE(png->OnUpdateFileSaveAs());
    prompter_.Clear();
    EXPECT_FALSE(SaveAs(*png, scratch_ / "z.cod"));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kNotThisType});
    EXPECT_TRUE(SaveAs(*png, scratch_ / "z.bmp"));
}

TEST_F(TamrDocSaveTest, NameOfNeitherKindCreatesNothing)
{
    auto document = OpenCompressed("x.bmp");
    EXPECT_FALSE(SaveAs(*document, scratch_ / "z.txt")); // a ".cod" title passes the kind check
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kCannotSave});
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "z.txt"));
    EXPECT_EQ(document->Title(), "x.cod");
    EXPECT_TRUE(document->IsModified());
}

TEST_F(TamrDocSaveTest, NameWithoutExtensionTakesTheTitles)
{
    auto document = OpenCompressed("x.bmp");
    EXPECT_TRUE(SaveAs(*document, scratch_ / "plain"));
    EXPECT_EQ(document->Title(), "plain.cod");
    EXPECT_EQ(test::ReadBytes(scratch_ / "plain.cod"), document->Codec()->WriteHeader());
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "plain"));
}

TEST_F(TamrDocSaveTest, OnlyTheFileNameChoosesTheKind)
{
    auto document = OpenCompressed("x.bmp");
    const auto folder = scratch_ / "album.cod";
    std::filesystem::create_directory(folder);
    // A folder named like a COD file does not make a bitmap a COD file.
    EXPECT_TRUE(SaveAs(*document, folder / "y.bmp"));
    EXPECT_EQ(test::ReadBytes(folder / "y.bmp"), document->Image()->WriteBmp());
    // The last extension decides before any other in the name.
    document->SetTitle("x.cod");
    EXPECT_TRUE(SaveAs(*document, scratch_ / "y.cod.bmp"));
    EXPECT_EQ(test::ReadBytes(scratch_ / "y.cod.bmp"), document->Image()->WriteBmp());
    document->SetTitle("x.cod");
    EXPECT_TRUE(SaveAs(*document, scratch_ / "y.bmp.cod"));
    EXPECT_EQ(test::ReadBytes(scratch_ / "y.bmp.cod"), document->Codec()->WriteHeader());
    // Without a known last extension, one inside the name still counts.
    document->SetTitle("x.cod");
    EXPECT_TRUE(SaveAs(*document, scratch_ / "y.bmp.old"));
    EXPECT_EQ(test::ReadBytes(scratch_ / "y.bmp.old"), document->Image()->WriteBmp());
    EXPECT_TRUE(prompter_.Messages().empty()) << MessageTexts().front();
}

TEST_F(TamrDocSaveTest, FoldersAndNamesKeepTheirCase)
{
    auto document = OpenCompressed("x.bmp");
    const auto folder = scratch_ / "My Pictures";
    std::filesystem::create_directory(folder);
    EXPECT_TRUE(SaveAs(*document, folder / "Holiday.COD"));
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"Holiday.COD"});
    EXPECT_EQ(document->Title(), "Holiday.COD");
    // Save after Save As writes the same file (after asking).
    prompter_.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(document->OnFileSave());
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kCopyOver});
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"Holiday.COD"});
}

TEST_F(TamrDocSaveTest, SaveAsMakesTheChosenFolderCurrent)
{
    auto document = Open(Write("photo.bmp", ColourBmp(16, 16)));
    ASSERT_TRUE(document);
    const auto chosen = scratch_ / "chosen";
    std::filesystem::create_directory(chosen);
    // The dialog changes the folder even when the save then fails...
    EXPECT_FALSE(SaveAs(*document, chosen / "y.cod"));
    EXPECT_EQ(environment_.currentDirectory, chosen);
    // ...and a cancelled dialog changes nothing.
    prompter_.QueueSaveFile(std::nullopt);
    EXPECT_FALSE(document->OnFileSaveAs());
    EXPECT_EQ(environment_.currentDirectory, chosen);
    // Save then writes the title there.
    EXPECT_TRUE(document->OnFileSave());
    EXPECT_TRUE(std::filesystem::exists(chosen / "photo.bmp"));
}

TEST_F(TamrDocSaveTest, EditedPictureIsSavedAsBitmapOnly)
{
    auto document = OpenCompressed("photo.bmp");
    document->SetImageEdited(true);
    prompter_.QueueSaveFile(std::nullopt);
    EXPECT_FALSE(document->OnFileSaveAs());
    EXPECT_EQ(prompter_.SaveRequests().back(), (SaveFileRequest{"BMP (*.bmp)|*.bmp;*.BMP;****|PNG (*.png)|*.png;*.PNG|"
                                                                "PNM (*.ppm;*.pgm)|*.ppm;*.PPM;*.pgm;*.PGM||",
                                                                "bmp", "photo"}));
    // A COD file would hold the coded data without the edits.
    EXPECT_FALSE(SaveAs(*document, scratch_ / "y.cod"));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kNotThisType});
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "y.cod"));
    EXPECT_TRUE(SaveAs(*document, scratch_ / "y.bmp"));
    EXPECT_EQ(test::ReadBytes(scratch_ / "y.bmp"), document->Image()->WriteBmp());

    // A title without '.' offers an empty name.
    document->SetTitle("photo");
    prompter_.QueueSaveFile(std::nullopt);
    document->OnFileSaveAs();
    EXPECT_EQ(prompter_.SaveRequests().back().initialName, "");
}

// ---- Bit-depth warnings ----

TEST_F(TamrDocSaveTest, TwentyFourBitWarningAsksOnceAnswerYes)
{
    auto document = Open(Write("deep.bmp", ColourBmp(16, 16, 4)));
    ASSERT_TRUE(document);
    for (const MessageAnswer refusal : {MessageAnswer::No, MessageAnswer::Cancel}) {
        prompter_.Clear();
        prompter_.QueueAnswer(refusal);
        EXPECT_FALSE(SaveAs(*document, scratch_ / "out.bmp"));
        EXPECT_EQ(prompter_.Messages(), std::vector<Message>{k24Bit});
        EXPECT_FALSE(std::filesystem::exists(scratch_ / "out.bmp"));
        EXPECT_EQ(document->Image()->FileHeader().bfReserved1, 4);
    }
    prompter_.Clear();
    prompter_.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(SaveAs(*document, scratch_ / "out.bmp"));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{k24Bit});
    prompter_.Clear();
    EXPECT_TRUE(SaveAs(*document, scratch_ / "again.bmp"));
    EXPECT_TRUE(prompter_.Messages().empty());
}

TEST_F(TamrDocSaveTest, EightBitWarning)
{
    auto document = Open(Write("indexed.bmp", ColourBmp(16, 16, 1)));
    ASSERT_TRUE(document);
    prompter_.QueueAnswer(MessageAnswer::No);
    EXPECT_FALSE(SaveAs(*document, scratch_ / "out.bmp"));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{k8Bit});
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "out.bmp"));
    prompter_.QueueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(SaveAs(*document, scratch_ / "out.bmp"));
    EXPECT_TRUE(std::filesystem::exists(scratch_ / "out.bmp"));
}

TEST_F(TamrDocSaveTest, CompressedPictureSavesWithoutDepthWarnings)
{
    auto document = Open(Write("deep.bmp", ColourBmp(16, 16, 4)));
    ASSERT_TRUE(document && document->Compress());
    EXPECT_TRUE(SaveAs(*document, scratch_ / "shown.bmp"));
    EXPECT_TRUE(prompter_.Messages().empty());
}

// ---- The save on closing ----

TEST_F(TamrDocSaveTest, ClosingWritesTheCodFileNextToTheSource)
{
    const auto folder = scratch_ / "album";
    std::filesystem::create_directory(folder);
    auto document = Open(Write("album/a.b.bmp", ColourBmp(24, 24)));
    ASSERT_TRUE(document && document->Compress());
    EXPECT_TRUE(document->OnSaveDocument(document->PathName()));
    EXPECT_EQ(test::ReadBytes(folder / "a.cod"), document->Codec()->WriteHeader());
    EXPECT_FALSE(document->IsModified());
    EXPECT_EQ(document->Title(), "a.cod");

    EXPECT_TRUE(document->OnSaveDocument(folder / "noext"));
    EXPECT_TRUE(std::filesystem::exists(folder / "noext.cod"));
    EXPECT_TRUE(prompter_.Messages().empty());
}

// ---- Failed writes ----

TEST_F(TamrDocSaveTest, FullDiskLeavesTheOldFileAndSaysSo)
{
    auto document = OpenCompressed("big.bmp", 200, 150);
    const auto target = scratch_ / "keep.bmp";
    const std::vector<std::uint8_t> previous(5000, 0x5A);
    test::WriteBytes(target, previous);
    const FullDisk fullDisk(4096);
    environment_.fileOutput = &fullDisk;

    EXPECT_FALSE(SaveAs(*document, target));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kCannotSave});
    EXPECT_EQ(test::ReadBytes(target), previous);
    EXPECT_EQ(document->Title(), "big.cod");
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(FilesIn(scratch_.Path()), (std::vector<std::string>{"big.bmp", "keep.bmp"}));
}

TEST_F(TamrDocSaveTest, FailingFlushLeavesTheOldFileOnSave)
{
    auto document = OpenCompressed("photo.bmp");
    const std::vector<std::uint8_t> previous(300, 1);
    test::WriteBytes(scratch_ / "photo.cod", previous);
    const FailingSync failingSync;
    environment_.fileOutput = &failingSync;

    prompter_.QueueAnswer(MessageAnswer::Yes);
    EXPECT_FALSE(document->OnFileSave());
    EXPECT_EQ(prompter_.Messages(), (std::vector<Message>{kCopyOver, kCannotSave}));
    EXPECT_EQ(test::ReadBytes(scratch_ / "photo.cod"), previous);
    EXPECT_TRUE(document->IsModified());
    EXPECT_EQ(FilesIn(scratch_.Path()), (std::vector<std::string>{"photo.bmp", "photo.cod"}));
}

TEST_F(TamrDocSaveTest, FailedSaveOnClosingIsSilent)
{
    auto document = OpenCompressed("photo.bmp");
    const std::vector<std::uint8_t> previous(300, 1);
    test::WriteBytes(scratch_ / "photo.cod", previous);
    const FullDisk fullDisk(10);
    environment_.fileOutput = &fullDisk;
    EXPECT_FALSE(document->OnSaveDocument(document->PathName()));
    EXPECT_TRUE(prompter_.Messages().empty());
    EXPECT_TRUE(document->IsModified()); // the document stays open
    EXPECT_EQ(test::ReadBytes(scratch_ / "photo.cod"), previous);
}

TEST_F(TamrDocSaveTest, FolderThatCannotBeWrittenIsReported)
{
    auto document = OpenCompressed("photo.bmp");
    // A "folder" that is a file stops every user, root included.
    test::WriteBytes(scratch_ / "plain-file", {1});
    EXPECT_FALSE(SaveAs(*document, scratch_ / "plain-file" / "y.bmp"));
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kCannotSave});
    EXPECT_EQ(document->Title(), "photo.cod");
    EXPECT_EQ(test::ReadBytes(scratch_ / "plain-file"), std::vector<std::uint8_t>{1});
}

TEST_F(TamrDocSaveTest, ReadOnlyFolderIsReported)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root; the file-as-folder and full-disk cases cover this";
    auto document = OpenCompressed("photo.bmp");
    const auto folder = scratch_ / "locked";
    std::filesystem::create_directory(folder);
    const std::vector<std::uint8_t> previous(64, 3);
    test::WriteBytes(folder / "y.bmp", previous);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(SaveAs(*document, folder / "y.bmp"));
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_EQ(prompter_.Messages(), std::vector<Message>{kCannotSave});
    EXPECT_EQ(test::ReadBytes(folder / "y.bmp"), previous);
}

TEST_F(TamrDocSaveTest, FileSizeLimitLeavesThePreviousFile)
{
    auto document = Open(Write("big.bmp", ColourBmp(200, 150)));
    ASSERT_TRUE(document);
    const auto target = scratch_ / "keep.bmp";
    const std::vector<std::uint8_t> previous(5000, 0x5A);
    test::WriteBytes(target, previous);

    // The operating system's own limit on file size, in a child process.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        prompter_.QueueSaveFile(target);
        document->OnFileSaveAs();
        const bool told = prompter_.Messages() == std::vector<Message>{kCannotSave};
        _exit(told ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not reported";
    EXPECT_EQ(test::ReadBytes(target), previous);
    EXPECT_EQ(FilesIn(scratch_.Path()), (std::vector<std::string>{"big.bmp", "keep.bmp"}));
}

} // namespace
} // namespace tamr
