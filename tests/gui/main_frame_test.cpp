// The main window's menus, tool bar, status bar, keys, command enabling and
// check marks in each document state, and its title.

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "gui/CChildFrame.h"
#include "gui/CFiguresPanel.h"
#include "gui/CTamrView.h"
#include "gui/CommandTable.h"
#include "gui/GuiTestSupport.h"
#include "gui/KeyLockIndicators.h"
#include "gui/WorkbenchSettings.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

bool Enabled(const RunningApp& running, int id)
{
    return running.Frame().Action(id)->isEnabled();
}

bool Checked(const RunningApp& running, int id)
{
    return running.Frame().Action(id)->isChecked();
}

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private slots:
    void StartsEmptyAndTitledWithTheBareMenu()
    {
        RunningApp running;
        CMainFrame& frame = running.Frame();
        QCOMPARE(frame.windowTitle(), QStringLiteral("TAMR"));
        QVERIFY(frame.MdiArea()->subWindowList().isEmpty());
        QVERIFY(!frame.ShowsDocumentMenu());
        QCOMPARE(test::MenuBarTitles(frame), (QStringList{"&File", "&View", "&Help"}));
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&File")),
                 (QStringList{"&Open...\tCtrl+O", "P&rint Setup...", "Recent File", "E&xit"}));
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&View")), (QStringList{"&Toolbar", "&Status Bar"}));
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&Help")), (QStringList{"&Help Topics", "&About tamr..."}));
        // The place of the recent files is shown grayed while the list is empty.
        QVERIFY(!frame.RecentFileAction(0)->isEnabled());
    }

    void DocumentMenuListsEveryCommandInOrder()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 40, 30)) != nullptr);
        CMainFrame& frame = running.Frame();
        QVERIFY(frame.ShowsDocumentMenu());
        QCOMPARE(test::MenuBarTitles(frame),
                 (QStringList{"&File", "&View", "&Options", "&Compare", "&Window", "&Help"}));
        const QString recent = running.app->RecentFiles().MenuText(0);
        QVERIFY(recent.startsWith("&1 ") && recent.endsWith("photo.bmp"));
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&File")),
                 (QStringList{"&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S", "Save &As...", "-", "&Print...\tCtrl+P",
                              "Print Pre&view", "P&rint Setup...", "-", "Co&mpress", "Properties", "Statistics", "-",
                              recent, "-", "E&xit"}));
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&View")),
                 (QStringList{"&Toolbar", "&Status Bar", "No Zoom", "Zoom in", "Zoom out",
                              // The additions follow.
                              "-", "Fit to &Window\tCtrl+9", "&Actual Size\tCtrl+0", "Zoom In &Step\tCtrl++",
                              "Zoom Out S&tep\tCtrl+-", "&Figures Panel", "F&ull Screen\tF11"}));
        // One equal-size entry for each peer of the build, in the registry's order.
        QStringList compare{"&Compare Window",
                            "-",
                            "&Side by Side\tCtrl+1",
                            "S&plit\tCtrl+2",
                            "&Difference\tCtrl+3",
                            "&Heat Map\tCtrl+4",
                            ">Heat Map S&hows",
                            "  &Absolute Difference\tCtrl+5",
                            "  &Local SSIM\tCtrl+6",
                            "  &Butteraugli Distance\tCtrl+7",
                            "-",
                            "&Rate–Distortion..."};
        for (const PeerCommand& command : EqualSizeCommands())
            compare << QString::fromStdString(command.menuText);
        compare << "&Target..."
                << "E&valuate Folder...";
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&Compare")), compare);
        QCOMPARE(compare.mid(12, 3), (QStringList{"Against &JPEG at Equal Size", "Against JPEG &2000 at Equal Size",
                                                  "Against &WebP at Equal Size"}));
        if (FindCodec("avif")->available)
            QVERIFY(compare.contains("Against &AVIF at Equal Size"));
        if (FindCodec("jxl")->available)
            QVERIFY(compare.contains("Against JPEG &XL at Equal Size"));
        QCOMPARE(
            test::MenuLines(*test::TopMenu(frame, "&Options")),
            (QStringList{"&Easy Setup", "&Master Setup", "&FS_Dithering", ">Color &Palette", "  &Fixed", "  Custom",
                         "&Incremental Display", "&Sharpen Image", "Filters", "-", "Open Any &Variant"}));
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&Window")),
                 (QStringList{"&New Window", "&Cascade", "&Tile", "&Arrange Icons"}));
        QCOMPARE(test::MenuLines(*test::TopMenu(frame, "&Help")), (QStringList{"&Help Topics", "-", "&About tamr..."}));

        // The Window menu lists the open windows when it opens.
        QMenu* window = test::TopMenu(frame, "&Window");
        emit window->aboutToShow();
        QCOMPARE(test::MenuLines(*window).mid(4), (QStringList{"-", "&1 photo.bmp"}));
    }

    void ToolBarHasNineButtonsWithTipsAndPictures()
    {
        RunningApp running;
        QToolBar* toolBar = running.Frame().ToolBar();
        QList<int> ids;
        QStringList tips;
        for (QAction* action : toolBar->actions()) {
            ids << (action->isSeparator() ? 0 : action->data().toInt());
            if (!action->isSeparator()) {
                tips << action->toolTip();
                QVERIFY2(!action->icon().isNull(), qPrintable(action->toolTip()));
            }
        }
        QCOMPARE(ids, (QList<int>{ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_COMPRESS, ID_FILE_STATISTICS, ID_FILE_PROPERTIES,
                                  0, ID_FILE_PRINT, ID_APP_ABOUT, ID_HELP_FINDER}));
        QCOMPARE(tips, (QStringList{"Open", "Save", "Compress", "Statistics", "Properties", "Print", "About",
                                    "Help Topics"}));
    }

    void StatusBarShowsPromptsAndIndicators()
    {
        RunningApp running;
        CMainFrame& frame = running.Frame();
        QCOMPARE(frame.MessagePane()->text(), QStringLiteral("For Help, press F1"));

        // Pointing at a tool bar button shows its prompt; leaving it brings the idle text back.
        auto* button = qobject_cast<QToolButton*>(frame.ToolBar()->widgetForAction(frame.Action(ID_FILE_OPEN)));
        QVERIFY(button != nullptr);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(button, &enter);
        QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Open an existing document"));
        QStatusTipEvent leave{QString()};
        QCoreApplication::sendEvent(button, &leave);
        QVERIFY(frame.statusBar()->currentMessage().isEmpty());

        // Menu items speak the same way.
        frame.Action(ID_FILE_PRINT_SETUP)->showStatusText(&frame);
        QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Change the printer and printing options"));
        frame.Action(ID_OPTIONS_DITHERING)->showStatusText(&frame);
        QCOMPARE(frame.statusBar()->currentMessage(),
                 QStringLiteral("Do dithering when image is quantized to 256 colors"));
    }

    void IndicatorsShowTheLockStates()
    {
        KeyLockIndicators indicators;
        indicators.Show(KeyLocks{true, false, true});
        QCOMPARE(indicators.Caps()->text(), QStringLiteral("CAP"));
        QCOMPARE(indicators.Num()->text(), QString());
        QCOMPARE(indicators.Scroll()->text(), QStringLiteral("SCRL"));
        indicators.Show(std::nullopt);
        QCOMPARE(indicators.Num()->text(), QStringLiteral("NUM"));
        QVERIFY(!indicators.Num()->isEnabled());
    }

    void KeysAreTheAcceleratorTable()
    {
        RunningApp running;
        const auto keys = [&running](int id) { return running.Frame().Action(id)->shortcuts(); };
        QCOMPARE(keys(ID_FILE_OPEN), (QList<QKeySequence>{QKeySequence("Ctrl+O")}));
        QCOMPARE(keys(ID_FILE_SAVE), (QList<QKeySequence>{QKeySequence("Ctrl+S")}));
        QCOMPARE(keys(ID_FILE_PRINT), (QList<QKeySequence>{QKeySequence("Ctrl+P")}));
        QCOMPARE(keys(ID_FILE_NEW), (QList<QKeySequence>{QKeySequence("Ctrl+N")}));
        QCOMPARE(keys(ID_HELP), (QList<QKeySequence>{QKeySequence(Qt::Key_F1)}));
        QCOMPARE(keys(ID_CONTEXT_HELP), (QList<QKeySequence>{QKeySequence(Qt::SHIFT | Qt::Key_F1)}));
        QCOMPARE(keys(ID_EDIT_UNDO), (QList<QKeySequence>{QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
        QCOMPARE(keys(ID_EDIT_CUT), (QList<QKeySequence>{QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}));
        QCOMPARE(keys(ID_EDIT_COPY), (QList<QKeySequence>{QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}));
        QCOMPARE(keys(ID_EDIT_PASTE), (QList<QKeySequence>{QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}));
        QCOMPARE(keys(ID_NEXT_PANE), (QList<QKeySequence>{QKeySequence(Qt::Key_F6)}));
        QCOMPARE(keys(ID_PREV_PANE), (QList<QKeySequence>{QKeySequence(Qt::SHIFT | Qt::Key_F6)}));
        // Every command with keys is reachable whichever menu is shown.
        for (const CommandInfo& command : Commands())
            QVERIFY(running.Frame().actions().contains(running.Frame().Action(command.id)));
    }

    void EnablingWithoutDocument()
    {
        RunningApp running;
        for (const int id : {ID_FILE_OPEN, ID_FILE_PRINT_SETUP, ID_APP_EXIT, ID_APP_ABOUT, ID_HELP_FINDER, ID_HELP,
                             ID_CONTEXT_HELP, ID_FILE_NEW, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR})
            QVERIFY2(Enabled(running, id), qPrintable(QString::number(id)));
        for (const int id :
             {ID_FILE_SAVE, ID_FILE_COMPRESS, ID_FILE_STATISTICS, ID_FILE_PROPERTIES, ID_FILE_PRINT, ID_FILE_CLOSE,
              ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_NEXT_PANE, ID_PREV_PANE})
            QVERIFY2(!Enabled(running, id), qPrintable(QString::number(id)));
        QVERIFY(Checked(running, ID_VIEW_TOOLBAR));
        QVERIFY(Checked(running, ID_VIEW_STATUS_BAR));
    }

    void EnablingFollowsTheDocumentState()
    {
        RunningApp running;
        CTamrDoc* bitmap = running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 40, 30));
        QVERIFY(bitmap != nullptr);
        for (const int id :
             {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_CLOSE, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_FILE_COMPRESS,
              ID_FILE_PROPERTIES, ID_FILE_STATISTICS, ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_NO_ZOOM,
              ID_OPTIONS_FILTERS, ID_OPTIONS_SHARPEN, ID_WINDOW_NEW, ID_WINDOW_ARRANGE})
            QVERIFY2(Enabled(running, id), qPrintable(QString::number(id)));
        for (const int id :
             {ID_FILE_NEW, ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_NEXT_PANE, ID_PREV_PANE})
            QVERIFY2(!Enabled(running, id), qPrintable(QString::number(id)));

        // An edited bitmap may be saved only once it is modified.
        bitmap->SetImageEdited(true);
        running.Frame().UpdateCommandUI();
        QVERIFY(!Enabled(running, ID_FILE_SAVE));
        QVERIFY(Enabled(running, ID_FILE_SAVE_AS));

        // A TGA picture has nothing to save until it is compressed.
        QVERIFY(running.app->OpenDocumentFile(running.Write("plan.tga", test::MakeTga24(8, 8, test::Pattern))));
        QVERIFY(!Enabled(running, ID_FILE_SAVE));
        QVERIFY(!Enabled(running, ID_FILE_SAVE_AS));
        running.app->OnCommand(ID_FILE_COMPRESS);
        QCOMPARE(running.app->ActiveDocument()->Title(), std::string("plan.cod"));
        QVERIFY(Enabled(running, ID_FILE_SAVE));
        QVERIFY(Enabled(running, ID_FILE_SAVE_AS));
        QVERIFY(running.prompter.Messages().empty());
    }

    void DisplaySettingCommandsShowCheckMarks()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 16, 16)));
        for (const int id : {ID_OPTIONS_DITHERING, ID_PALETTE_FIXED, ID_PALETTE_CUSTOM, ID_OPTIONS_INCREMENTAL})
            QVERIFY(!Checked(running, id));

        running.app->OnCommand(ID_OPTIONS_DITHERING);
        QVERIFY(Checked(running, ID_OPTIONS_DITHERING));
        QVERIFY(running.app->Display().ditherEnabled);
        running.app->OnCommand(ID_OPTIONS_DITHERING);
        QVERIFY(!Checked(running, ID_OPTIONS_DITHERING));

        running.app->OnCommand(ID_PALETTE_FIXED);
        QVERIFY(Checked(running, ID_PALETTE_FIXED));
        QVERIFY(!Checked(running, ID_PALETTE_CUSTOM));
        running.app->OnCommand(ID_PALETTE_CUSTOM);
        QVERIFY(!Checked(running, ID_PALETTE_FIXED));
        QVERIFY(Checked(running, ID_PALETTE_CUSTOM));
        QVERIFY(!running.app->Display().fixedPalette);

        running.app->OnCommand(ID_OPTIONS_INCREMENTAL);
        QVERIFY(Checked(running, ID_OPTIONS_INCREMENTAL));
        QVERIFY(running.app->Settings().incrementalDisplay);
    }

    void DisabledCommandsDoNothing()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 16, 16)));
        const std::size_t documents = running.app->Documents().size();
        // New is disabled while a document is active: neither the key nor the command make one.
        running.app->OnCommand(ID_FILE_NEW);
        for (const int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_NEXT_PANE, ID_PREV_PANE})
            running.app->OnCommand(id);
        QCOMPARE(running.app->Documents().size(), documents);
        QVERIFY(running.prompter.Messages().empty());
    }

    void CtrlNMakesAnEmptyDocumentOnlyWithoutOne()
    {
        RunningApp running;
        running.Frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&running.Frame()));
        QTest::keyClick(&running.Frame(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        CTamrDoc* document = running.app->ActiveDocument();
        QVERIFY(document != nullptr);
        QCOMPARE(document->Title(), std::string("Tamr1"));
        QVERIFY(document->Image() == nullptr);
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - Tamr1"));
        QVERIFY(!Enabled(running, ID_FILE_NEW));
        QTest::keyClick(running.app->ActiveView(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(running.app->Documents().size(), std::size_t{1});
        // Compressing a document without a picture fails with the view's message.
        running.app->OnCommand(ID_FILE_COMPRESS);
        QCOMPARE(running.prompter.Messages().size(), std::size_t{1});
        QCOMPARE(running.prompter.Messages()[0],
                 (Message{"Errors occur during compressing/Decompressing", "", MessageIcon::None, MessageButtons::Ok}));
    }

    void TitleCarriesTheActiveDocument()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("first.bmp", 16, 16)));
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - first.bmp"));
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("second.bmp", 16, 16)));
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - second.bmp"));
        CChildFrame* second = running.Frame().ActiveFrame();
        second->showMaximized();
        QTRY_COMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - [second.bmp]"));
        second->showNormal();
        QTRY_COMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - second.bmp"));

        // A second window of a document numbers both captions.
        running.app->OnCommand(ID_WINDOW_NEW);
        QCOMPARE(running.Frame().Frames().size(), std::size_t{3});
        QCOMPARE(running.Frame().ActiveFrame()->windowTitle(), QStringLiteral("second.bmp:2"));
        QCOMPARE(second->windowTitle(), QStringLiteral("second.bmp:1"));
        QCOMPARE(running.Frame().windowTitle(), QStringLiteral("TAMR - second.bmp:2"));
    }

    void LayoutAndCompareHabitsOutliveTheProgram()
    {
        QTemporaryDir folder;
        const QString ini = folder.filePath("tamr.ini");
        const QByteArray recent = "[Recent File List]\nFile1=/pictures/a b.bmp\nFile2=/pictures/c.cod\n";
        tamr::test::WriteBytes(ini, std::vector<std::uint8_t>(recent.begin(), recent.end()));
        {
            CTamrApp first(CTamrApp::Options{0, ini, 0});
            first.InitInstance();
            first.OnCommand(ID_VIEW_FIGURES);
            first.OnCommand(ID_VIEW_TOOLBAR);
            first.MainFrame().resize(640, 480);
            WorkbenchSettings(ini).SetCompareHabits({CompareMode::Split, 4, 2.5, MapKind::Ssim});
        }
        CTamrApp second(CTamrApp::Options{0, ini, 0});
        second.InitInstance();
        QVERIFY(second.MainFrame().FiguresPanel()->isVisibleTo(&second.MainFrame()));
        QVERIFY(!second.MainFrame().ToolBar()->isVisibleTo(&second.MainFrame()));
        QCOMPARE(second.MainFrame().size(), QSize(640, 480));
        const CompareView::Habits habits = second.Workbench().CompareHabits();
        QCOMPARE(habits.mode, CompareMode::Split);
        QCOMPARE(habits.amplification, 4);
        QCOMPARE(habits.scale, std::optional<double>(2.5));
        QCOMPARE(habits.heatMap, MapKind::Ssim);
        // The recent-file list's section is as it was, byte for byte.
        QFile file(ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(recent + "\n[Workbench]\n"));
    }

    void AnyVariantIsOffUnlessTheSettingSaysSo()
    {
        QTemporaryDir folder;
        const QString ini = folder.filePath("tamr.ini");
        QVERIFY(!WorkbenchSettings(ini).OpenAnyVariant());
        WorkbenchSettings(ini).SetOpenAnyVariant(true);
        QVERIFY(WorkbenchSettings(ini).OpenAnyVariant());
        WorkbenchSettings(ini).SetOpenAnyVariant(false);
        QVERIFY(!WorkbenchSettings(ini).OpenAnyVariant());
    }

    void OpenAnyVariantIsAPreferenceKept()
    {
        RunningApp running;
        const QString progressive = running.WriteProgressiveJpeg("progressive.jpg");
        QVERIFY(running.app->OpenDocumentFile(progressive) == nullptr);
        QCOMPARE(running.prompter.Messages().size(), std::size_t{1});

        running.app->OnCommand(ID_OPTIONS_ANY_VARIANT);
        running.Frame().UpdateCommandUI();
        QVERIFY(Checked(running, ID_OPTIONS_ANY_VARIANT));
        QVERIFY(WorkbenchSettings(running.folder.filePath("tamr.ini")).OpenAnyVariant());
        running.prompter.Clear();
        const CTamrDoc* document = running.app->OpenDocumentFile(progressive);
        QVERIFY(document != nullptr);
        QCOMPARE(document->ReaderName(), std::string("libjpeg-turbo"));
        // The status bar names the reader.
        QCOMPARE(running.prompter.Notices().front().text, std::string("Read by libjpeg-turbo"));
        QVERIFY(running.prompter.Messages().empty());
        {
            CTamrApp second(CTamrApp::Options{0, running.folder.filePath("tamr.ini"), 0});
            QVERIFY(second.OpensAnyVariant());
        }

        running.app->OnCommand(ID_FILE_CLOSE);
        test::DeleteClosedWindows();
        running.app->OnCommand(ID_OPTIONS_ANY_VARIANT);
        QVERIFY(!WorkbenchSettings(running.folder.filePath("tamr.ini")).OpenAnyVariant());
        QVERIFY(running.app->OpenDocumentFile(progressive) == nullptr);
    }

    void FullScreenAndBack()
    {
        RunningApp running;
        running.app->OnCommand(ID_VIEW_FULL_SCREEN);
        QTRY_VERIFY(running.Frame().isFullScreen());
        QVERIFY(Checked(running, ID_VIEW_FULL_SCREEN));
        QCOMPARE(running.Frame().Action(ID_VIEW_FULL_SCREEN)->shortcut(), QKeySequence(Qt::Key_F11));
        running.app->OnCommand(ID_VIEW_FULL_SCREEN);
        QTRY_VERIFY(!running.Frame().isFullScreen());
        QVERIFY(!Checked(running, ID_VIEW_FULL_SCREEN));
    }

    void ToolbarAndStatusBarToggle()
    {
        RunningApp running;
        running.app->OnCommand(ID_VIEW_TOOLBAR);
        QVERIFY(running.Frame().ToolBar()->isHidden());
        QVERIFY(!Checked(running, ID_VIEW_TOOLBAR));
        running.app->OnCommand(ID_VIEW_STATUS_BAR);
        QVERIFY(running.Frame().statusBar()->isHidden());
        QVERIFY(!Checked(running, ID_VIEW_STATUS_BAR));
        running.app->OnCommand(ID_VIEW_TOOLBAR);
        QVERIFY(!running.Frame().ToolBar()->isHidden());
        QVERIFY(Checked(running, ID_VIEW_TOOLBAR));
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
