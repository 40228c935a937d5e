// The desktop prompter: message boxes exactly as asked, the Save As dialog
// with the program's filters, and the switch that lets tests answer instead.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "gui/FileDialogFilter.h"
#include "gui/PrompterSlot.h"
#include "gui/QtPrompter.h"
#include "support/ScriptedPrompter.h"

using namespace tamr;
using namespace tamr::qt;

namespace {

// What a message box showed, and the button pressed to close it.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Looks at the next box once it runs and presses `press`.
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton press)
{
    QTimer::singleShot(0, qApp, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            qFatal("no message box");
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                box->defaultButton() != nullptr ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton};
        box->button(press)->click();
    });
}

} // namespace

class PrompterTest : public QObject {
    Q_OBJECT

private slots:
    void FiltersTranslatePatternForPattern()
    {
        const QStringList filters = QtNameFilters(
            "Common Files (*.bmp;*.cod;*.tga;*.gif;*.jpg)|*.bmp;*.BMP;*.cod;*.COD;*.tga;*.TGA;*.gif;*.GIF;*.jpg;*.JPG;|"
            "BMP (*.bmp)|*.bmp; *.BMP|All image files (*.*)|*.*; ****||");
        QCOMPARE(filters,
                 (QStringList{"Common Files (*.bmp;*.cod;*.tga;*.gif;*.jpg) (*.bmp *.BMP *.cod *.COD *.tga *.TGA *.gif "
                              "*.GIF *.jpg *.JPG)",
                              "BMP (*.bmp) (*.bmp *.BMP)", "All image files (*.*) (*.* ****)"}));
        QCOMPARE(FilterPatterns(filters[1]), (QStringList{"*.bmp", "*.BMP"}));
        QCOMPARE(SuffixForFilter(filters[1]), QStringLiteral("bmp"));
        QCOMPARE(SuffixForFilter(filters[2]), QString());
        QCOMPARE(QtNameFilters("COD (*.cod)|*.cod;*.COD|BMP (*.bmp)|*.bmp;*.BMP;****||"),
                 (QStringList{"COD (*.cod) (*.cod *.COD)", "BMP (*.bmp) (*.bmp *.BMP ****)"}));
        QCOMPARE(QtNameFilters(""), QStringList());
    }

    void MessageBoxesShowWhatTheyAreGiven()
    {
        std::filesystem::path folder = std::filesystem::temp_directory_path();
        QtPrompter prompter(QStringLiteral("tamr"), folder);
        SeenBox seen;
        AnswerNextBox(seen, QMessageBox::No);
        const MessageAnswer answer =
            prompter.ShowMessage({"Save changes to photo.cod?", "", MessageIcon::Warning, MessageButtons::YesNoCancel});
        QCOMPARE(answer, MessageAnswer::No);
        QCOMPARE(seen.caption, QStringLiteral("tamr"));
        QCOMPARE(seen.text, QStringLiteral("Save changes to photo.cod?"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(seen.defaultButton, QMessageBox::Yes);

        AnswerNextBox(seen, QMessageBox::Ok);
        prompter.ShowError("Cannot Save to the file!!", "Error");
        QCOMPARE(seen.caption, QStringLiteral("Error"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

        AnswerNextBox(seen, QMessageBox::Ok);
        prompter.ShowMessage(
            {"Errors occur during compressing/Decompressing", "", MessageIcon::None, MessageButtons::Ok});
        QCOMPARE(seen.icon, QMessageBox::NoIcon);

        AnswerNextBox(seen, QMessageBox::Yes);
        QCOMPARE(
            prompter.ShowMessage({"Copy over existsting file??", "", MessageIcon::Question, MessageButtons::YesNo}),
            MessageAnswer::Yes);
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    }

    void BoxesGetTheMouseAndTheNormalCursor()
    {
        std::filesystem::path folder = std::filesystem::temp_directory_path();
        QtPrompter prompter(QStringLiteral("tamr"), folder);
        QWidget busy;
        busy.show();
        QVERIFY(QTest::qWaitForWindowExposed(&busy));
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busy.grabMouse();
        Qt::CursorShape shapeWhileShown = Qt::WaitCursor;
        QWidget* grabberWhileShown = &busy;
        QTimer::singleShot(0, qApp, [&] {
            shapeWhileShown = QApplication::overrideCursor()->shape();
            grabberWhileShown = QWidget::mouseGrabber();
            QApplication::activeModalWidget()->close();
        });
        prompter.ShowMessage(
            {"Orginal Image is compressed by JPEG!!", "Warning", MessageIcon::Information, MessageButtons::Ok});
        QCOMPARE(shapeWhileShown, Qt::ArrowCursor);
        QVERIFY(grabberWhileShown == nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QCOMPARE(QWidget::mouseGrabber(), &busy);
        busy.releaseMouse();
        QApplication::restoreOverrideCursor();
    }

    void SaveAsOffersTheFiltersAndAddsTheExtension()
    {
        QTemporaryDir folderHolder;
        std::filesystem::path folder = folderHolder.path().toStdString();
        QtPrompter prompter(QStringLiteral("tamr"), folder);
        QStringList filters;
        QString initial;
        QTimer::singleShot(0, qApp, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                qFatal("no file dialog");
            filters = dialog->nameFilters();
            initial = dialog->findChild<QLineEdit*>()->text();
            QVERIFY(dialog->testOption(QFileDialog::HideNameFilterDetails));
            QCOMPARE(dialog->directory().absolutePath(), folderHolder.path());
            // The user picks the second kind of file in the list.
            auto* kinds = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(kinds != nullptr);
            kinds->setCurrentIndex(1);
            emit kinds->activated(1);
            emit kinds->textActivated(kinds->currentText());
            dialog->selectFile(QStringLiteral("chosen"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const auto chosen = prompter.AskSaveFile(
            {"COD (*.cod)|*.cod;*.COD|BMP (*.bmp)|*.bmp;*.BMP;****||", "cod;bmp;****", "photo.cod"});
        QVERIFY(chosen.has_value());
        QCOMPARE(filters, (QStringList{"COD (*.cod) (*.cod *.COD)", "BMP (*.bmp) (*.bmp *.BMP ****)"}));
        QCOMPARE(initial, QStringLiteral("photo.cod"));
        QCOMPARE(chosen->title, std::string("chosen"));
        QCOMPARE(chosen->extension, std::string("bmp"));
        QCOMPARE(QString::fromStdString(chosen->path.string()), folderHolder.filePath("chosen.bmp"));

        QTimer::singleShot(0, qApp, [] { QApplication::activeModalWidget()->close(); });
        QVERIFY(!prompter.AskSaveFile({"BMP (*.bmp)|*.bmp;*.BMP;****||", "bmp", "photo"}).has_value());
    }

    void TheSlotPassesQuestionsToTheInstalledPrompter()
    {
        ScriptedPrompter first;
        ScriptedPrompter second;
        PrompterSlot slot(first);
        first.QueueAnswer(MessageAnswer::No);
        QCOMPARE(slot.ShowMessage({"a", "", MessageIcon::None, MessageButtons::YesNo}), MessageAnswer::No);
        slot.Install(second);
        second.QueueSaveFile(std::filesystem::path("/tmp/x.bmp"));
        QCOMPARE(slot.AskSaveFile({"f", "bmp", "x"})->extension, std::string("bmp"));
        QCOMPARE(first.Messages().size(), std::size_t{1});
        QCOMPARE(second.SaveRequests().size(), std::size_t{1});
        QCOMPARE(&slot.Installed(), static_cast<Prompter*>(&second));
    }
};

QTEST_MAIN(PrompterTest)
#include "prompter_test.moc"
