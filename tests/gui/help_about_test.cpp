// Help (Help Topics, F1, Shift+F1 and a click) and the About box.

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "gui/CommandTable.h"
#include "gui/GuiTestSupport.h"
#include "gui/HelpWindow.h"
#include "gui/dialogs/CAboutDlg.h"

using namespace tamr;
using namespace tamr::qt;
using tamr::test::RunningApp;

class HelpAboutTest : public QObject {
    Q_OBJECT

private slots:
    void HelpPagesHaveContentsAndIndex()
    {
        const HelpCatalogue catalogue = HelpCatalogue::Load(QStringLiteral(":/res/help"));
        QVERIFY(catalogue.topics.size() >= 10);
        QCOMPARE(catalogue.topics.front().page, QStringLiteral("index.html"));
        QStringList pages;
        for (const HelpCatalogue::Topic& topic : catalogue.topics)
            pages << topic.page;
        for (const char* subject : {"opening.html", "compressing.html", "quality.html", "statistics.html",
                                    "filters.html", "sharpen.html", "zoom.html", "palettes.html"})
            QVERIFY2(pages.contains(QString::fromLatin1(subject)), subject);
        QVERIFY(catalogue.index.at(QStringLiteral("PSNR")).contains(QStringLiteral("statistics.html")));
        QVERIFY(catalogue.index.at(QStringLiteral("quality factor")).contains(QStringLiteral("quality.html")));

        // Every page is there, and every link between pages leads to one.
        const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)"));
        for (const QString& page : pages) {
            QFile file(":/res/help/" + page);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
            const QString html = QString::fromUtf8(file.readAll());
            for (auto match = link.globalMatch(html); match.hasNext();) {
                const QString target = match.next().captured(1);
                QVERIFY2(pages.contains(target), qPrintable(page + " -> " + target));
            }
        }
    }

    void HelpWindowShowsPagesFromContentsAndIndex()
    {
        HelpWindow window;
        window.ShowFinder();
        QVERIFY(window.isVisible());
        QVERIFY(window.Browser()->toPlainText().contains(QStringLiteral("Welcome to tamr")));
        QCOMPARE(window.Contents()->topLevelItemCount(), static_cast<int>(window.Catalogue().topics.size()));
        const auto zooming = window.Contents()->findItems(QStringLiteral("Zooming"), Qt::MatchExactly);
        QCOMPARE(zooming.size(), 1);
        emit window.Contents()->itemClicked(zooming.front(), 0);
        QVERIFY(window.Browser()->toPlainText().contains(QStringLiteral("Zoom in")));
        const auto found = window.Index()->findItems(QStringLiteral("PSNR"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        emit window.Index()->itemClicked(found.front());
        QVERIFY(window.Browser()->toPlainText().contains(QStringLiteral("peak signal-to-noise ratio")));
    }

    void EveryHelpRequestOpensTheFinder()
    {
        for (const int id : {ID_HELP_FINDER, ID_HELP}) {
            RunningApp running;
            QVERIFY(running.app->Help() == nullptr);
            running.app->OnCommand(id);
            QVERIFY(running.app->Help() != nullptr);
            QVERIFY(running.app->Help()->isVisible());
        }

        // F1 is a key of the main window.
        RunningApp byKey;
        QTest::keyClick(&byKey.Frame(), Qt::Key_F1);
        QVERIFY(byKey.app->Help() != nullptr && byKey.app->Help()->isVisible());
    }

    void F1InsideAModalDialogOpensHelp()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 16, 16)) != nullptr);
        bool helpShown = false;
        QTimer::singleShot(0, qApp, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                qFatal("no Easy Setup dialog");
            QWidget* focus = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
            QTest::keyClick(focus, Qt::Key_F1);
            helpShown = running.app->Help() != nullptr && running.app->Help()->isVisible();
            // The help stays readable above the dialog.
            helpShown = helpShown && running.app->Help()->isModal();
            dialog->reject();
        });
        running.app->OnCommand(ID_OPTIONS_EASY_SETUP);
        QVERIFY(helpShown);
        // Asked for without a dialog, the help is an ordinary window again.
        running.app->OnCommand(ID_HELP_FINDER);
        QVERIFY(!running.app->Help()->isModal());
    }

    void F1InEachDialogOpensItsOwnPage()
    {
        RunningApp running;
        QVERIFY(running.app->OpenDocumentFile(running.WriteBmp("photo.bmp", 16, 16)) != nullptr);
        for (const auto& [command, page] :
             {std::pair{ID_OPTIONS_EASY_SETUP, "quality.html"}, std::pair{ID_OPTIONS_MASTER_SETUP, "quality.html"},
              std::pair{ID_OPTIONS_FILTERS, "filters.html"}, std::pair{ID_OPTIONS_SHARPEN, "sharpen.html"},
              std::pair{ID_VIEW_ZOOM_IN, "zoom.html"}, std::pair{ID_FILE_STATISTICS, "statistics.html"}}) {
            // The page shown last must not pass for this dialog's.
            running.app->OnCommand(ID_HELP_FINDER);
            running.app->Help()->ShowPage(QStringLiteral("keys.html"));
            running.app->Help()->close();
            QString shown;
            QTimer::singleShot(0, qApp, [&] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr)
                    qFatal("no dialog");
                QTest::keyClick(dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog, Qt::Key_F1);
                if (running.app->Help()->isVisible())
                    shown = running.app->Help()->Browser()->source().fileName();
                running.app->Help()->close();
                dialog->reject();
            });
            running.app->OnCommand(command);
            QCOMPARE(shown, QString::fromLatin1(page));
        }
    }

    void ContextHelpWaitsForAClick()
    {
        RunningApp running;
        running.app->OnCommand(ID_CONTEXT_HELP);
        QVERIFY(running.app->InHelpMode());
        QCOMPARE(running.Frame().statusBar()->currentMessage(),
                 QStringLiteral("Select an object on which to get Help"));
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
        QVERIFY(running.app->Help() == nullptr);
        // The click goes to help, not to what was clicked.
        QTest::mouseClick(running.Frame().MessagePane(), Qt::LeftButton);
        QVERIFY(!running.app->InHelpMode());
        QVERIFY(running.app->Help() != nullptr && running.app->Help()->isVisible());
        QVERIFY(running.Frame().statusBar()->currentMessage().isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // Escape leaves help mode without help.
        RunningApp escaped;
        escaped.app->OnCommand(ID_CONTEXT_HELP);
        QTest::keyClick(&escaped.Frame(), Qt::Key_Escape);
        QVERIFY(!escaped.app->InHelpMode());
        QVERIFY(escaped.app->Help() == nullptr);
    }

    void AboutBoxShowsVersionAndBuildDate()
    {
        CAboutDlg about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About tamr"));
        QCOMPARE(about.findChild<QLabel*>("aboutVersion")->text(), QStringLiteral("TAMR Version 2.6"));
        const QStringList lines = about.findChild<QLabel*>("aboutBuilt")->text().split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1], QStringLiteral("Built on July 8, 1996"));
        QVERIFY(!about.findChild<QLabel*>("aboutPicture")->pixmap().isNull());
        const auto buttons = about.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.front()->text(), QStringLiteral("OK"));

        RunningApp running;
        QTimer::singleShot(0, qApp, [] {
            auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            if (box == nullptr)
                qFatal("no About box");
            box->findChild<QPushButton*>()->click();
        });
        running.app->OnCommand(ID_APP_ABOUT);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
};

QTEST_MAIN(HelpAboutTest)
#include "help_about_test.moc"
