// The main window as it starts: titled "TAMR", an MDI area with no child.

#include <QFile>
#include <QMdiArea>
#include <QtTest>

#include "app/qt/CMainFrame.h"

class MainFrameTest : public QObject {
    Q_OBJECT

private slots:
    void StartsEmptyAndTitled()
    {
        tamr::qt::CMainFrame frame;
        QCOMPARE(frame.windowTitle(), QStringLiteral("TAMR"));
        QVERIFY(frame.MdiArea() != nullptr);
        QCOMPARE(frame.centralWidget(), frame.MdiArea());
        QVERIFY(frame.MdiArea()->subWindowList().isEmpty());
        QVERIFY(QFile::exists(QStringLiteral(":/res/icons/tamr.svg")));
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
