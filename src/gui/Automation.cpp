#include "gui/Automation.h"

#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "gui/CCompareFrame.h"
#include "gui/CFiguresPanel.h"
#include "gui/CMainFrame.h"
#include "gui/CTamrApp.h"
#include "gui/CommandTable.h"
#include "gui/CompareView.h"
#include "gui/HelpWindow.h"
#include "gui/RateDistortionWindow.h"

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

// Opens a menu of the menu bar by its title without the ampersand; it closes
// again after a while.
void OpenMenuLater(CTamrApp& app, const QString& title)
{
    QMenuBar* bar = app.MainFrame().menuBar();
    for (QAction* action : bar->actions()) {
        if (action->text().remove('&') != title || action->menu() == nullptr)
            continue;
        bar->setActiveAction(action);
        QMenu* menu = action->menu();
        QTimer::singleShot(kDialogShownMilliseconds, menu, [menu] { menu->close(); });
        return;
    }
}

// Steps that open a modal dialog through a command.
struct DialogStep {
    const char* name;
    int command;
};
constexpr DialogStep kDialogSteps[] = {
    {"statistics", ID_FILE_STATISTICS},
    {"properties", ID_FILE_PROPERTIES},
    {"about", ID_APP_ABOUT},
    {"easysetup", ID_OPTIONS_EASY_SETUP},
    {"mastersetup", ID_OPTIONS_MASTER_SETUP},
    {"filters", ID_OPTIONS_FILTERS},
    {"sharpen", ID_OPTIONS_SHARPEN},
    {"zoomin", ID_VIEW_ZOOM_IN},
    {"zoomout", ID_VIEW_ZOOM_OUT},
    {"printpreview", ID_FILE_PRINT_PREVIEW},
    {"open", ID_FILE_OPEN},
    {"saveas", ID_FILE_SAVE_AS},
    {"print", ID_FILE_PRINT},
    {"printsetup", ID_FILE_PRINT_SETUP},
};

// Steps that run a command without a dialog: the workbench's views.
constexpr DialogStep kCommandSteps[] = {
    {"comparewindow", ID_COMPARE_WINDOW}, {"sidebyside", ID_COMPARE_SIDE_BY_SIDE},
    {"split", ID_COMPARE_SPLIT},          {"difference", ID_COMPARE_DIFFERENCE},
    {"heatmap", ID_COMPARE_HEAT_MAP},     {"figures", ID_VIEW_FIGURES},
    {"fit", ID_VIEW_FIT_WINDOW},          {"ratedistortion", ID_COMPARE_RATE_DISTORTION},
    {"stepin", ID_VIEW_ZOOM_STEP_IN},     {"stepout", ID_VIEW_ZOOM_STEP_OUT},
    {"actualsize", ID_VIEW_ACTUAL_SIZE},
};

// Waits for the work the rate-distortion and compare windows do in the
// background, so that the next picture shows them done.
void FinishBackgroundWork(CTamrApp& app)
{
    for (RateDistortionWindow* chart : app.MainFrame().findChildren<RateDistortionWindow*>()) {
        while (chart->Running())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    for (CCompareFrame* compare : app.MainFrame().CompareFrames()) {
        while (compare->View().Working())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (const CFiguresPanel* figures = app.MainFrame().FiguresPanel()) {
        while (figures->CompressRunner().Busy() || figures->MetricsRunner().Busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void RunStep(CTamrApp& app, const QString& step)
{
    for (const DialogStep& command : kCommandSteps) {
        if (step == QLatin1String(command.name)) {
            app.OnCommand(command.command);
            return;
        }
    }
    // equalsizeNAME: tamr against the peer of that name at equal size.
    if (step.startsWith(QLatin1String("equalsize"))) {
        if (const PeerCodec* peer = FindCodec(step.mid(9).toStdString()))
            if (const int id = EqualSizeCommandId(*peer))
                app.OnCommand(id);
        return;
    }
    if (step.startsWith(QLatin1String("zoom:"))) {
        // The compare window at a scale in per cent, about its middle.
        if (CompareView* compare = app.ActiveCompareView())
            compare->SetScale(step.mid(5).toDouble() / 100);
        return;
    }
    for (const DialogStep& dialog : kDialogSteps) {
        if (step == QLatin1String(dialog.name)) {
            CloseNextDialogLater();
            app.OnCommand(dialog.command);
            return;
        }
    }
    if (step.startsWith(QLatin1String("quality:"))) {
        // The figures panel's slider let go at that quality.
        if (CFiguresPanel* figures = app.MainFrame().FiguresPanel())
            figures->CompressAt(step.mid(8).toInt());
        return;
    }
    if (step.startsWith(QLatin1String("menu:"))) {
        OpenMenuLater(app, step.mid(5));
        return;
    }
    if (step == QLatin1String("maximize")) {
        CMainFrame& frame = app.MainFrame();
        if (const QScreen* screen = frame.screen())
            frame.setGeometry(screen->availableGeometry());
        frame.showMaximized();
    } else if (step == QLatin1String("finish")) {
        FinishBackgroundWork(app);
    } else if (step == QLatin1String("compress")) {
        app.OnCommand(ID_FILE_COMPRESS);
    } else if (step == QLatin1String("help")) {
        app.OnCommand(ID_HELP_FINDER);
        if (HelpWindow* help = app.Help())
            QTimer::singleShot(kDialogShownMilliseconds, help, [help] { help->close(); });
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
