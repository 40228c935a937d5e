#include "app/qt/Automation.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/qt/CMainFrame.h"
#include "app/qt/CTamrApp.h"
#include "app/qt/CommandTable.h"

namespace tamr::qt {

namespace {

constexpr int kStepPauseMilliseconds = 1500;
constexpr int kDialogShownMilliseconds = 4000;

void Announce(const QString& step)
{
    std::printf("tamr-automation: %s\n", qUtf8Printable(step));
    std::fflush(stdout);
}

// A modal dialog opened by the next step closes itself after a while.
void CloseNextDialogLater()
{
    QTimer::singleShot(kDialogShownMilliseconds, qApp, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
}

void RunStep(CTamrApp& app, const QString& step)
{
    if (step == QLatin1String("maximize")) {
        CMainFrame& frame = app.MainFrame();
        if (const QScreen* screen = frame.screen())
            frame.setGeometry(screen->availableGeometry());
        frame.showMaximized();
    } else if (step == QLatin1String("compress")) {
        app.OnCommand(ID_FILE_COMPRESS);
    } else if (step == QLatin1String("statistics")) {
        CloseNextDialogLater();
        app.OnCommand(ID_FILE_STATISTICS);
    } else if (step == QLatin1String("properties")) {
        CloseNextDialogLater();
        app.OnCommand(ID_FILE_PROPERTIES);
    } else if (step == QLatin1String("about")) {
        CloseNextDialogLater();
        app.OnCommand(ID_APP_ABOUT);
    } else if (step == QLatin1String("quit")) {
        QCoreApplication::exit(0);
    }
}

void RunFrom(CTamrApp& app, QStringList steps)
{
    if (steps.isEmpty()) {
        Announce(QStringLiteral("done"));
        return;
    }
    const QString step = steps.takeFirst().trimmed();
    Announce(step);
    RunStep(app, step);
    QTimer::singleShot(kStepPauseMilliseconds, &app, [&app, steps] { RunFrom(app, steps); });
}

} // namespace

void StartAutomation(CTamrApp& app, const QString& steps)
{
    if (steps.trimmed().isEmpty())
        return;
    const QStringList list = steps.split(',', Qt::SkipEmptyParts);
    QTimer::singleShot(kStepPauseMilliseconds, &app, [&app, list] { RunFrom(app, list); });
}

} // namespace tamr::qt
