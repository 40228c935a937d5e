// Opening documents (Open dialog, dropped files, command line, recent files)
// and closing them with "Save changes to %1?".

#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QMimeData>
#include <QProcessEnvironment>
#include <QUrl>
#include <QtTest>

#include "gui/CChildFrame.h"
#include "gui/CommandTable.h"
#include "gui/FileDialogFilter.h"
#include "gui/GuiTestSupport.h"
#include "gui/StartOptions.h"
#include "image/PictureKinds.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

const Message kReadError{"There was an error reading the file!!", "Error", MessageIcon::Error, MessageButtons::Ok};
const Message kNotSupported{"This file type is not supported!!", "", MessageIcon::Error, MessageButtons::Ok};

Message SaveChanges(const std::string& title)
{
    return {"Save changes to " + title + "?", "", MessageIcon::Warning, MessageButtons::YesNoCancel};
}

void Drop(CMainFrame& frame, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame, &drop);
}

std::size_t WindowCount(const RunningApp& running)
{
    test::DeleteClosedWindows();
    return static_cast<std::size_t>(running.Frame().MdiArea()->subWindowList().size());
}

QString FileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class DocumentsTest : public QObject {
    Q_OBJECT

private slots:
    void CommandLineNamesFilesToOpen()
    {
        const StartOptions options =
            ParseStartOptions({"tamr", "--screen-depth", "8", "a.bmp", "--", "-b.cod"}, QProcessEnvironment());
        QCOMPARE(options.screenDepth, 8);
        QCOMPARE(options.files, (QStringList{"a.bmp", "-b.cod"}));
        QVERIFY(options.error.isEmpty());

        RunningApp running;
        const QString first = running.WriteBmp("first.bmp", 12, 10);
        const QString second = running.WriteBmp("Second.BMP", 12, 10);
        running.app->OpenDroppedFiles({first, second});
        QCOMPARE(running.app->Documents().size(), std::size_t{2});
        // Named files keep the case of their names.
        QCOMPARE(running.app->ActiveDocument()->Title(), std::string("Second.BMP"));
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - Second.BMP"));
    }

    void HelpAndVersionAreAskedForByOptions()
    {
        QVERIFY(ParseStartOptions({"tamr", "--help"}, {}).showHelp);
        QVERIFY(ParseStartOptions({"tamr", "a.bmp", "-h"}, {}).showHelp);
        const StartOptions version = ParseStartOptions({"tamr", "--version"}, {});
        QVERIFY(version.showVersion);
        QVERIFY(!version.showHelp);
        QVERIFY(version.error.isEmpty());
        // After "--" they are names of pictures.
        const StartOptions named = ParseStartOptions({"tamr", "--", "--help", "--version"}, {});
        QVERIFY(!named.showHelp && !named.showVersion);
        QCOMPARE(named.files, (QStringList{"--help", "--version"}));
        QVERIFY(StartHelpText().contains(QStringLiteral("--screen-depth")));
    }

    void DroppedFilesOpenByContent()
    {
        RunningApp running;
        // A bitmap named like a JPEG file: the content decides.
        const QString path = running.WriteBmp("photo.jpeg", 12, 10);
        Drop(running.Frame(), {path});
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        QCOMPARE(running.app->ActiveDocument()->SourceType(), FileType::Bmp);
        QVERIFY(running.prompter.Messages().empty());
    }

    void OpenDialogChecksTheExtension()
    {
        RunningApp running;
        const QString jpeg = running.WriteBmp("photo.jpeg", 12, 10);
        running.app->SetOpenFileChooser([jpeg] { return jpeg; });
        running.app->OnCommand(ID_FILE_OPEN);
        QCOMPARE(running.prompter.Messages(), (std::vector<Message>{kNotSupported}));
        QVERIFY(running.app->Documents().empty());
        QCOMPARE(WindowCount(running), std::size_t{0});

        // No extension at all: no check, the content decides.
        const QString bare = running.WriteBmp("picture", 12, 10);
        running.app->SetOpenFileChooser([bare] { return bare; });
        running.app->OnCommand(ID_FILE_OPEN);
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        QCOMPARE(running.app->ActiveDocument()->Title(), std::string("picture"));
        // The dialog's folder becomes the current one, where Save writes.
        QCOMPARE(QString::fromStdString(running.app->CurrentDirectory().string()), running.folder.path());

        // PNG and PNM names pass the check too.
        const QString ppm =
            running.Write("Photo.PPM", {'P', '6', ' ', '1', ' ', '1', ' ', '2', '5', '5', ' ', 9, 8, 7});
        running.app->SetOpenFileChooser([ppm] { return ppm; });
        running.app->OnCommand(ID_FILE_OPEN);
        QCOMPARE(running.app->ActiveDocument()->SourceType(), FileType::Pnm);
        QCOMPARE(running.app->ActiveDocument()->Title(), std::string("photo.ppm"));

        // The dialog keeps the program's own entries, and starts with one that shows PNG and PNM files too.
        const QStringList filters = CTamrApp::OpenDialogFilters();
        QVERIFY(filters.front().startsWith(QStringLiteral("Common Files (*.bmp;*.cod;*.tga;*.gif;*.jpg) ")));
        QVERIFY(filters.contains(CTamrApp::OpenDialogDefaultFilter()));
        const QStringList shown = FilterPatterns(CTamrApp::OpenDialogDefaultFilter());
        for (const char* pattern : {"*.bmp", "*.cod", "*.tga", "*.gif", "*.jpg", "*.png", "*.PNG", "*.ppm", "*.pgm"})
            QVERIFY2(shown.contains(QString::fromLatin1(pattern)), pattern);
    }

    void OpenDialogListsEveryKindTheBuildOpens()
    {
        const QStringList filters = CTamrApp::OpenDialogFilters();
        // The program's own entries come first, as they always were, and "All image files" last.
        QCOMPARE(filters.mid(0, 6),
                 (QStringList{"Common Files (*.bmp;*.cod;*.tga;*.gif;*.jpg) (*.bmp *.BMP *.cod *.COD *.tga *.TGA *.gif "
                              "*.GIF *.jpg *.JPG)",
                              "BMP (*.bmp) (*.bmp *.BMP)", "COD (*.cod) (*.cod *.COD)", "JPG (*.jpg) (*.jpg *.JPG)",
                              "TGA (*.tga) (*.tga *.TGA)", "GIF (*.gif) (*.gif *.GIF)"}));
        QCOMPARE(filters.back(), QStringLiteral("All image files (*.*) (*.* ****)"));
        // Each kind of the list that this build opens has its entry, and "All pictures" holds them all.
        const QString allPictures = CTamrApp::OpenDialogDefaultFilter();
        QVERIFY(allPictures.startsWith(QStringLiteral("All pictures (")));
        QStringList every;
        QStringList added;
        for (const PictureKind* kind : OpenablePictureKinds()) {
            const QString entry = QString::fromUtf8(kind->openEntry.data(), kind->openEntry.size());
            const auto held = std::find_if(filters.begin() + 1, filters.end(),
                                           [&](const QString& filter) { return filter.startsWith(entry + " ("); });
            QVERIFY2(held != filters.end(), qPrintable(entry));
            if (!kind->original && !added.contains(entry))
                added << entry;
            for (const std::string_view extension : kind->openExtensions) {
                const QString pattern = "*." + QString::fromUtf8(extension.data(), extension.size());
                QVERIFY2(FilterPatterns(*held).contains(pattern), qPrintable(pattern));
                every << pattern << pattern.toUpper();
            }
        }
        QCOMPARE(FilterPatterns(allPictures), every);
        // No other entries: a kind whose library this build lacks has none.
        QCOMPARE(filters.size(), 6 + added.size() + 2);
    }

    void AllPicturesOpensVariantsTheOwnReaderRefuses()
    {
        RunningApp running;
        const QString progressive = running.WriteProgressiveJpeg("progressive.jpg");
        const QStringList filters = CTamrApp::OpenDialogFilters();
        // Under the program's own JPG entry: its reader's refusal, as always.
        running.app->SetOpenFileChooser([&] { return CTamrApp::OpenChoice{progressive, filters[3]}; });
        running.app->OnCommand(ID_FILE_OPEN);
        QVERIFY(running.app->Documents().empty());
        QCOMPARE(running.prompter.Messages().size(), std::size_t{1});
        // Under "All pictures": the general reader, named in the status bar; the preference stays off.
        running.prompter.Clear();
        running.app->SetOpenFileChooser([&] {
            return CTamrApp::OpenChoice{progressive, CTamrApp::OpenDialogDefaultFilter()};
        });
        running.app->OnCommand(ID_FILE_OPEN);
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        QCOMPARE(running.app->ActiveDocument()->ReaderName(), std::string("libjpeg-turbo"));
        QVERIFY(running.prompter.Messages().empty());
        QCOMPARE(running.prompter.Notices().front().text, std::string("Read by libjpeg-turbo"));
        QVERIFY(!running.app->OpensAnyVariant());
    }

    void ReasonsAndNoticesReachTheUserWhole()
    {
        RunningApp running;
        // A refused file keeps the reader's reason, for the box's "Show Details".
        const QString plain =
            running.Write("plain.ppm", {'P', '3', '\n', '1', ' ', '1', '\n', '1', '\n', '1', ' ', '1', ' ', '1'});
        QVERIFY(running.app->OpenDocumentFile(plain) == nullptr);
        QCOMPARE(running.prompter.Details().size(), std::size_t{1});
        QVERIFY(running.prompter.Details()[0].find("ASCII") != std::string::npos);

        // A notice stays a notice: the JPEG warning is a box once, then a status line.
        QImage photo(32, 24, QImage::Format_RGB888);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixelColor(x, y, QColor(x * 8, y * 10, 128));
        const QString shot = running.folder.filePath("shot.jpg");
        QVERIFY(photo.save(shot, "JPG"));
        CTamrDoc* document = running.app->OpenDocumentFile(shot);
        QVERIFY(document != nullptr);
        QCOMPARE(document->SourceType(), FileType::Jpeg);
        running.prompter.Clear();
        running.app->OnCommand(ID_FILE_COMPRESS);
        running.app->OnCommand(ID_FILE_COMPRESS);
        const Message warning{"Orginal Image is compressed by JPEG!!", "Warning", MessageIcon::Information,
                              MessageButtons::Ok};
        QCOMPARE(running.prompter.Messages(), std::vector<Message>{warning});
        QCOMPARE(running.prompter.Notices(), std::vector<Message>{warning});
    }

    void OpenDialogNamesAreLowerCase()
    {
        RunningApp running;
        const QString cat = running.WriteBmp("Cat.BMP", 12, 10);
        running.app->SetOpenFileChooser([cat] { return cat; });
        running.app->OnCommand(ID_FILE_OPEN);
        QVERIFY(running.prompter.Messages().empty());
        QCOMPARE(running.app->ActiveDocument()->Title(), std::string("cat.bmp"));
        QCOMPARE(running.Frame().ActiveFrame()->windowTitle(), QStringLiteral("cat.bmp"));

        // TGA is known by its name: the lower-case name counts for the dialog ...
        const QString plan = running.Write("Plan.Tga", test::MakeTga24(6, 4, test::Pattern));
        running.app->SetOpenFileChooser([plan] { return plan; });
        running.app->OnCommand(ID_FILE_OPEN);
        QCOMPARE(running.app->ActiveDocument()->SourceType(), FileType::Tga);
        QCOMPARE(running.app->ActiveDocument()->Title(), std::string("plan.tga"));
        running.app->OnCommand(ID_FILE_CLOSE);
        test::DeleteClosedWindows();

        // ... while a dropped file keeps its own name, which is neither ".tga" nor ".TGA".
        Drop(running.Frame(), {plan});
        QCOMPARE(running.prompter.Messages(), (std::vector<Message>{kReadError}));
    }

    void FailedOpenLeavesNoWindow()
    {
        RunningApp running;
        const QString empty = running.Write("empty.bmp", {});
        QVERIFY(running.app->OpenDocumentFile(empty) == nullptr);
        QCOMPARE(running.prompter.Messages(), (std::vector<Message>{kReadError}));
        QVERIFY(running.app->OpenDocumentFile(running.folder.filePath("missing.bmp")) == nullptr);
        QCOMPARE(running.prompter.Messages().size(), std::size_t{1});
        QVERIFY(running.app->Documents().empty());
        QCOMPARE(WindowCount(running), std::size_t{0});
        QVERIFY(!running.Frame().ShowsDocumentMenu());
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR"));
        QVERIFY(running.app->RecentFiles().Files().isEmpty());
    }

    void TheDecodeLimitCanBeRaisedAndIsNamedWhenItRefuses()
    {
        QCOMPARE(ParseStartOptions({"tamr", "--max-megapixels", "40"}, {}).maxMegapixels, quint64{40});
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("TAMR_MAX_MEGAPIXELS"), QStringLiteral("7"));
        QCOMPARE(ParseStartOptions({"tamr"}, environment).maxMegapixels, quint64{7});
        QVERIFY(!ParseStartOptions({"tamr", "--max-megapixels=x"}, {}).error.isEmpty());

        // One million colour pixels are 3 MB: a 1200 x 1000 picture is more.
        RunningApp limited(0, 1);
        const QString large = limited.WriteBmp("large.bmp", 1200, 1000);
        QVERIFY(limited.app->OpenDocumentFile(large) == nullptr);
        QVERIFY(!limited.prompter.Messages().empty());
        const std::string& said = limited.prompter.Messages().back().text;
        QVERIFY2(said.find("large.bmp decodes to more than the limit of 2 MiB") == 0, said.c_str());
        QVERIFY(said.find("--max-megapixels") != std::string::npos);

        RunningApp raised(0, 4);
        QVERIFY(raised.app->OpenDocumentFile(raised.WriteBmp("large.bmp", 1200, 1000)) != nullptr);
    }

    void OpeningAnOpenFileActivatesItsWindow()
    {
        RunningApp running;
        const QString first = running.WriteBmp("first.bmp", 12, 10);
        CTamrDoc* document = running.app->OpenDocumentFile(first);
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("second.bmp", 12, 10)));
        QCOMPARE(running.app->OpenDocumentFile(first), document);
        QCOMPARE(running.app->ActiveDocument(), document);
        QCOMPARE(running.app->Documents().size(), std::size_t{2});

        // Closing it leaves the other document active, with its menu.
        running.app->OnCommand(ID_FILE_CLOSE);
        test::DeleteClosedWindows();
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        QVERIFY(running.app->ActiveDocument() != nullptr);
        QCOMPARE(running.app->ActiveDocument()->Title(), std::string("second.bmp"));
        QVERIFY(running.Frame().ShowsDocumentMenu());
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - second.bmp"));
    }

    void RecentFilesArePersistedInTheProgramsIniFile()
    {
        QString iniPath;
        QStringList opened;
        {
            RunningApp running;
            iniPath = running.folder.filePath("kept.ini");
            QFile::remove(iniPath);
            for (int i = 0; i < 7; ++i)
                opened << running.WriteBmp(QStringLiteral("picture%1.bmp").arg(i), 4, 4);
            RecentFileList list(iniPath, kRecentFileCount);
            for (const QString& path : opened)
                list.Add(path);
            QCOMPARE(list.Files().size(), 6);
            QCOMPARE(list.Files().front(), opened.back());
            const QString text = FileText(iniPath);
            QVERIFY2(text.startsWith("[Recent File List]\nFile1=" + opened[6] + "\nFile2=" + opened[5] + "\n"),
                     qPrintable(text));
            QVERIFY(!text.contains(opened[0]));
            QVERIFY(text.contains("File6=" + opened[1] + "\n"));

            RecentFileList again(iniPath, kRecentFileCount);
            QCOMPARE(again.Files(), list.Files());
        }
        // Through the program: opened files enter the list, a gone entry leaves it when chosen.
        RunningApp running;
        const QString kept = running.WriteBmp("kept.bmp", 4, 4);
        const QString gone = running.WriteBmp("gone.bmp", 4, 4);
        running.app->OpenDroppedFiles({gone, kept});
        QCOMPARE(running.app->RecentFiles().Files(), (QStringList{kept, gone}));
        QVERIFY(FileText(running.folder.filePath("tamr.ini")).contains("File2=" + gone));
        running.app->CloseAllDocuments();
        test::DeleteClosedWindows();
        QFile::remove(gone);
        running.app->OnCommand(ID_FILE_MRU_FILE1 + 1);
        QVERIFY(running.prompter.Messages().empty());
        QCOMPARE(running.app->RecentFiles().Files(), (QStringList{kept}));
        running.app->OnCommand(ID_FILE_MRU_FILE1);
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        QCOMPARE(running.Frame().RecentFileAction(0)->text(),
                 "&1 " + RecentFileList::Abbreviate(kept, 30).replace('&', "&&"));
    }

    void RecentFileNamesAreShortened()
    {
        QCOMPARE(RecentFileList::Abbreviate("/home/user/pictures/holiday/photo.bmp", 30),
                 QStringLiteral("/.../holiday/photo.bmp"));
        QCOMPARE(RecentFileList::Abbreviate("/tmp/photo.bmp", 30), QStringLiteral("/tmp/photo.bmp"));
        QCOMPARE(RecentFileList::Abbreviate("/a/very-long-folder-name-indeed/x.bmp", 30), QStringLiteral("/.../x.bmp"));
        QCOMPARE(RecentFileList::Abbreviate("/a/b/an-extremely-long-file-name-here.bmp", 30),
                 QStringLiteral("an-extremely-long-file-name-here.bmp"));
    }

    void ClosingAModifiedDocumentAsks()
    {
        RunningApp running;
        const QString source = running.WriteBmp("photo.bmp", 24, 16);
        QVERIFY(running.app->OpenDocumentFile(source));
        running.app->OnCommand(ID_FILE_COMPRESS);
        QVERIFY(running.app->ActiveDocument()->IsModified());
        const QString cod = running.folder.filePath("photo.cod");

        // Cancel: the window stays.
        running.prompter.QueueAnswer(MessageAnswer::Cancel);
        running.app->OnCommand(ID_FILE_CLOSE);
        QCOMPARE(running.prompter.Messages(), (std::vector<Message>{SaveChanges("photo.cod")}));
        QCOMPARE(WindowCount(running), std::size_t{1});
        QVERIFY(!QFile::exists(cod));

        // Closing the frame asks the same; Yes writes the COD file next to the source.
        running.prompter.Clear();
        running.prompter.QueueAnswer(MessageAnswer::Yes);
        QVERIFY(running.Frame().ActiveFrame()->close());
        QCOMPARE(running.prompter.Messages(), (std::vector<Message>{SaveChanges("photo.cod")}));
        QVERIFY(QFile::exists(cod));
        QCOMPARE(QFile(cod).size() > 36, true);
        QCOMPARE(WindowCount(running), std::size_t{0});
        QVERIFY(running.app->Documents().empty());
        QVERIFY(!running.Frame().ShowsDocumentMenu());
    }

    void NoDiscardsAndOnlyTheLastWindowAsks()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 24, 16)));
        running.app->OnCommand(ID_FILE_COMPRESS);
        running.app->OnCommand(ID_WINDOW_NEW);
        QCOMPARE(running.Frame().Frames().size(), std::size_t{2});
        QVERIFY(running.Frame().ActiveFrame()->close());
        QVERIFY(running.prompter.Messages().empty());
        QCOMPARE(WindowCount(running), std::size_t{1});
        QCOMPARE(running.app->Documents().size(), std::size_t{1});

        running.prompter.QueueAnswer(MessageAnswer::No);
        QVERIFY(running.Frame().Frames().front()->close());
        QCOMPARE(running.prompter.Messages(), (std::vector<Message>{SaveChanges("photo.cod")}));
        QCOMPARE(WindowCount(running), std::size_t{0});
        QVERIFY(!QFile::exists(running.folder.filePath("photo.cod")));
    }

    void ExitAsksForEveryModifiedDocument()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("one.bmp", 16, 16)));
        running.app->OnCommand(ID_FILE_COMPRESS);
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("two.bmp", 16, 16)));
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("three.bmp", 16, 16)));
        running.app->OnCommand(ID_FILE_COMPRESS);

        running.prompter.QueueAnswer(MessageAnswer::No);
        running.prompter.QueueAnswer(MessageAnswer::Cancel);
        running.app->OnCommand(ID_APP_EXIT);
        QCOMPARE(running.prompter.Messages(), (std::vector<Message>{SaveChanges("one.cod"), SaveChanges("three.cod")}));
        QVERIFY(running.Frame().isVisible());
        QCOMPARE(WindowCount(running), std::size_t{3});

        running.prompter.Clear();
        running.prompter.QueueAnswer(MessageAnswer::Yes);
        running.prompter.QueueAnswer(MessageAnswer::Yes);
        running.app->OnCommand(ID_APP_EXIT);
        QCOMPARE(running.prompter.Messages().size(), std::size_t{2});
        QVERIFY(!running.Frame().isVisible());
        QCOMPARE(WindowCount(running), std::size_t{0});
        QVERIFY(QFile::exists(running.folder.filePath("one.cod")));
        QVERIFY(QFile::exists(running.folder.filePath("three.cod")));
        QVERIFY(!QFile::exists(running.folder.filePath("two.cod")));
    }

    void SavingWhenTheSourceIsGoneAsksForAName()
    {
        RunningApp running;
        const QString source = running.WriteBmp("photo.bmp", 16, 16);
        QVERIFY(running.app->OpenDocumentFile(source));
        running.app->OnCommand(ID_FILE_COMPRESS);
        QFile::remove(source);
        const QString elsewhere = running.folder.filePath("elsewhere.cod");
        running.prompter.QueueAnswer(MessageAnswer::Yes);
        running.prompter.QueueSaveFile(elsewhere.toStdString());
        running.app->OnCommand(ID_FILE_CLOSE);
        QCOMPARE(running.prompter.SaveRequests().size(), std::size_t{1});
        QCOMPARE(running.prompter.SaveRequests()[0].filter,
                 std::string("Corvane  (*.cod)|*.COD|All Files (*.*)|*.*||"));
        QCOMPARE(running.prompter.SaveRequests()[0].initialName, std::string("photo.cod"));
        QVERIFY(QFile::exists(elsewhere));
        QCOMPARE(WindowCount(running), std::size_t{0});

        // Cancelling the name keeps the document open.
        const QString again = running.WriteBmp("again.bmp", 16, 16);
        QVERIFY(running.app->OpenDocumentFile(again));
        running.app->OnCommand(ID_FILE_COMPRESS);
        QFile::remove(again);
        running.prompter.QueueAnswer(MessageAnswer::Yes);
        running.prompter.QueueSaveFile(std::nullopt);
        running.app->OnCommand(ID_FILE_CLOSE);
        QCOMPARE(WindowCount(running), std::size_t{1});
    }
};

QTEST_MAIN(DocumentsTest)
#include "documents_test.moc"
