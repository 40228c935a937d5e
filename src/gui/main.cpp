// tamr: the desktop program.

#include <QApplication>

#include "gui/Automation.h"
#include "gui/CTamrApp.h"
#include "gui/StartOptions.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamr"));
    QApplication::setApplicationVersion(QStringLiteral("2.6"));
    QGuiApplication::setDesktopFileName(QStringLiteral("tamr"));

    const tamr::qt::StartOptions options =
        tamr::qt::ParseStartOptions(QApplication::arguments(), QProcessEnvironment::systemEnvironment());
    if (!options.error.isEmpty())
        qWarning("tamr: %s", qUtf8Printable(options.error));

    tamr::qt::CTamrApp app({options.screenDepth, {}});
    if (!app.InitInstance())
        return 1;
    // The desktop asks to open files by naming them on the command line.
    app.OpenDroppedFiles(options.files);
    tamr::qt::StartAutomation(app, options.automation);
    return QApplication::exec();
}
