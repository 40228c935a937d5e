// A first session with the program, through its menus, tool bar and dialogs:
// open a picture, compress it at a chosen quality, read the statistics, zoom,
// filter, sharpen, print to a PDF file and save as COD and as BMP.

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "gui/CChildFrame.h"
#include "gui/CTamrView.h"
#include "gui/CommandTable.h"
#include "gui/GuiTestSupport.h"
#include "gui/HelpWindow.h"
#include "gui/dialogs/DialogControls.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

namespace {

// The enabled entry of a menu bar menu with this text, or a failure.
QAction* MenuEntry(const CMainFrame& frame, const QString& menu, const QString& text)
{
    QMenu* top = test::TopMenu(frame, menu);
    if (top == nullptr)
        return nullptr;
    emit top->aboutToShow();
    QList<QMenu*> menus{top};
    while (!menus.isEmpty()) {
        for (QAction* action : menus.takeFirst()->actions()) {
            if (action->menu() != nullptr)
                menus << action->menu();
            else if (action->text() == text && action->isVisible() && action->isEnabled())
                return action;
        }
    }
    return nullptr;
}

// Chooses a menu entry while `inDialog` answers the modal dialog it opens.
void ChooseWithDialog(const CMainFrame& frame, const QString& menu, const QString& text,
                      const std::function<void(QDialog&)>& inDialog)
{
    QAction* entry = MenuEntry(frame, menu, text);
    QVERIFY2(entry != nullptr, qPrintable(menu + " > " + text));
    bool answered = false;
    QTimer::singleShot(0, qApp, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        answered = true;
        inDialog(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    entry->trigger();
    QVERIFY2(answered, qPrintable(text + ": no dialog"));
}

template <typename Control> Control* Find(const QDialog& dialog, int id)
{
    return dialog.findChild<Control*>(ControlName(id));
}

void Click(const QDialog& dialog, int id)
{
    QPushButton* button = Find<QPushButton>(dialog, id);
    if (button == nullptr)
        qFatal("no button %d in %s", id, qPrintable(dialog.windowTitle()));
    QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray FileStart(const QString& path, int count)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(count) : QByteArray();
}

std::vector<std::uint8_t> WorkingPixels(const CTamrDoc& document)
{
    const auto pixels = document.Image()->Pixels();
    return {pixels.begin(), pixels.end()};
}

} // namespace

class WorkflowTest : public QObject {
    Q_OBJECT

private slots:
    void FirstSessionReachesEveryStep()
    {
        RunningApp running;
        CMainFrame& frame = running.Frame();
        const QString photo = running.WriteBmp("photo.bmp", 96, 64);

        // File > Open.
        running.app->SetOpenFileChooser([photo] { return photo; });
        QAction* open = MenuEntry(frame, "&File", "&Open...\tCtrl+O");
        QVERIFY(open != nullptr);
        open->trigger();
        CTamrView* view = running.app->ActiveView();
        QVERIFY(view != nullptr);
        CTamrDoc& document = view->Document();
        QCOMPARE(frame.windowTitle(), QStringLiteral("TAMR - photo.bmp"));

        // Options > Easy Setup at quality 75.
        ChooseWithDialog(frame, "&Options", "&Easy Setup", [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Image Setup"));
            QLineEdit* quality = Find<QLineEdit>(dialog, 1001);
            QVERIFY(quality != nullptr);
            quality->selectAll();
            QTest::keyClicks(quality, "75");
            Click(dialog, 1);
        });
        QCOMPARE(running.app->Settings().qualityFactor, 75);

        // The tool bar's Compress button.
        auto* compress = qobject_cast<QToolButton*>(frame.ToolBar()->widgetForAction(frame.Action(ID_FILE_COMPRESS)));
        QVERIFY(compress != nullptr && compress->isEnabled());
        QTest::mouseClick(compress, Qt::LeftButton);
        QVERIFY(running.prompter.Messages().empty());
        QCOMPARE(document.Title(), std::string("photo.cod"));
        QCOMPARE(frame.windowTitle(), QStringLiteral("TAMR - photo.cod"));
        QVERIFY(frame.Action(ID_FILE_SAVE)->isEnabled());

        // File > Statistics shows the coding loss.
        ChooseWithDialog(frame, "&File", "Statistics", [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Image Statistics"));
            const QLabel* psnr = Find<QLabel>(dialog, 1015);
            QVERIFY(psnr != nullptr);
            QVERIFY2(QRegularExpression(QStringLiteral("^[0-9]+\\.[0-9]{2} dB\\.$")).match(psnr->text()).hasMatch(),
                     qPrintable(psnr->text()));
            QCOMPARE(Find<QLabel>(dialog, 1004)->text(), QStringLiteral("96 x 64"));
            Click(dialog, 1);
        });

        // File > Save As writes the COD file.
        const QString cod = running.folder.filePath("saved.cod");
        running.prompter.QueueSaveFile(cod.toStdString());
        QAction* saveAs = MenuEntry(frame, "&File", "Save &As...");
        QVERIFY(saveAs != nullptr);
        saveAs->trigger();
        QCOMPARE(FileStart(cod, 3), QByteArray("CIS"));
        QCOMPARE(document.Title(), std::string("saved.cod"));
        QVERIFY(!document.IsModified());

        // View > Zoom in 4:1, then No Zoom.
        ChooseWithDialog(frame, "&View", "Zoom in", [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Zoom in"));
            auto* list = dialog.findChild<QComboBox*>();
            QVERIFY(list != nullptr);
            QCOMPARE(list->count(), 16);
            list->setCurrentIndex(list->findText("4:1"));
            dialog.accept();
        });
        QCOMPARE(view->ScrollTotal(), (ZoomSize{384, 256}));
        QAction* noZoom = MenuEntry(frame, "&View", "No Zoom");
        QVERIFY(noZoom != nullptr);
        noZoom->trigger();
        QCOMPARE(view->ScrollTotal(), (ZoomSize{96, 64}));

        // Options > Filters: Smooth, Apply, OK.
        const std::vector<std::uint8_t> beforeFilter = WorkingPixels(document);
        ChooseWithDialog(frame, "&Options", "Filters", [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Filters"));
            auto* list = Find<QListWidget>(dialog, 1047);
            QVERIFY(list != nullptr);
            list->setCurrentRow(4);
            QCOMPARE(list->currentItem()->text(), QStringLiteral("Smooth"));
            QCOMPARE(Find<QLineEdit>(dialog, 1059)->text(), QStringLiteral("13"));
            Click(dialog, 1050);
            Click(dialog, 1);
        });
        const std::vector<std::uint8_t> filtered = WorkingPixels(document);
        QVERIFY(filtered != beforeFilter);
        QVERIFY(document.ImageEdited());

        // Options > Sharpen Image: Apply, OK.
        ChooseWithDialog(frame, "&Options", "&Sharpen Image", [](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Sharpen image"));
            Click(dialog, 1024);
            Click(dialog, 1);
        });
        QVERIFY(WorkingPixels(document) != filtered);
        // The view shows the sharpened picture once its queued notice arrived.
        QCoreApplication::sendPostedEvents(view, kImageChangedEvent);

        // File > Print to a PDF file.
        const QString pdf = running.folder.filePath("photo.pdf");
        running.app->Printer().setOutputFormat(QPrinter::PdfFormat);
        running.app->Printer().setOutputFileName(pdf);
        ChooseWithDialog(frame, "&File", "&Print...\tCtrl+P", [](QDialog& dialog) {
            QVERIFY(qobject_cast<QPrintDialog*>(&dialog) != nullptr);
            dialog.accept();
        });
        QCOMPARE(FileStart(pdf, 5), QByteArray("%PDF-"));
        // The print job carries the document's name.
        QCOMPARE(running.app->Printer().docName(), QStringLiteral("saved.cod"));

        // An edited picture is saved as BMP.
        const QString bmp = running.folder.filePath("edited.bmp");
        running.prompter.QueueSaveFile(bmp.toStdString());
        saveAs = MenuEntry(frame, "&File", "Save &As...");
        QVERIFY(saveAs != nullptr);
        saveAs->trigger();
        QCOMPARE(running.prompter.SaveRequests().back().filter,
                 std::string("BMP (*.bmp)|*.bmp;*.BMP;****|PNG (*.png)|*.png;*.PNG|"
                             "PNM (*.ppm;*.pgm)|*.ppm;*.PPM;*.pgm;*.PGM||"));
        QCOMPARE(FileStart(bmp, 2), QByteArray("BM"));
        QCOMPARE(document.Title(), std::string("edited.bmp"));

        // Nothing was refused on the way, and closing asks nothing more.
        QVERIFY(running.prompter.Messages().empty());
        QAction* close = MenuEntry(frame, "&File", "&Close");
        QVERIFY(close != nullptr);
        close->trigger();
        test::DeleteClosedWindows();
        QVERIFY(running.prompter.Messages().empty());
        QVERIFY(running.app->Documents().empty());
        QCOMPARE(frame.windowTitle(), QStringLiteral("TAMR"));
    }

    void TestInEasySetupShowsTheCompressionAtOnce()
    {
        RunningApp running;
        CMainFrame& frame = running.Frame();
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 32, 24)));
        ChooseWithDialog(frame, "&Options", "&Easy Setup", [&frame](QDialog& dialog) {
            Click(dialog, 1003);
            QCoreApplication::processEvents();
            // Still inside the dialog: the window and the main title name the COD file.
            QCOMPARE(frame.ActiveFrame()->windowTitle(), QStringLiteral("photo.cod"));
            QCOMPARE(frame.windowTitle(), QStringLiteral("TAMR - photo.cod"));
            Click(dialog, 2);
        });
        QVERIFY(running.prompter.Messages().empty());
        QVERIFY(running.app->ActiveDocument()->IsModified());
    }

    void EveryToolBarButtonDoesSomething()
    {
        RunningApp running;
        CMainFrame& frame = running.Frame();
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 32, 24)));
        for (QAction* action : frame.ToolBar()->actions()) {
            if (action->isSeparator())
                continue;
            auto* button = qobject_cast<QToolButton*>(frame.ToolBar()->widgetForAction(action));
            QVERIFY(button != nullptr);
            QVERIFY2(button->isEnabled(), qPrintable(action->toolTip()));
        }
        // Each dialog button opens its dialog.
        const std::vector<std::pair<int, QString>> dialogs{{ID_FILE_STATISTICS, "Image Statistics"},
                                                           {ID_FILE_PROPERTIES, "Image Information"},
                                                           {ID_APP_ABOUT, "About tamr"},
                                                           {ID_FILE_PRINT, QString()}};
        for (const auto& [id, caption] : dialogs) {
            QString shown;
            QTimer::singleShot(0, qApp, [&shown] {
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    shown = dialog->windowTitle();
                    dialog->reject();
                }
            });
            QTest::mouseClick(frame.ToolBar()->widgetForAction(frame.Action(id)), Qt::LeftButton);
            QVERIFY2(!shown.isNull(), qPrintable(QString::number(id)));
            if (!caption.isEmpty())
                QCOMPARE(shown, caption);
        }
        QTest::mouseClick(frame.ToolBar()->widgetForAction(frame.Action(ID_HELP_FINDER)), Qt::LeftButton);
        QVERIFY(running.app->Help() != nullptr && running.app->Help()->isVisible());
    }
};

QTEST_MAIN(WorkflowTest)
#include "workflow_test.moc"
