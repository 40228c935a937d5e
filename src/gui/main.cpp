// tamr: the desktop program.

#include <QApplication>
#include <cstdio>

#include "gui/Automation.h"
#include "gui/CTamrApp.h"
#include "gui/StartOptions.h"

namespace {

// The version the package carries, from the build (the project's version).
constexpr const char* kVersion = TAMR_VERSION;

// --help and --version are answered before Qt starts, so they need no display.
bool AnsweredWithoutWindows(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const tamr::qt::StartOptions options = tamr::qt::ParseStartOptions(arguments, QProcessEnvironment());
    if (options.showHelp)
        std::fputs(qUtf8Printable(tamr::qt::StartHelpText()), stdout);
    else if (options.showVersion)
        std::printf("tamr %s\n", kVersion);
    return options.showHelp || options.showVersion;
}

} // namespace

int main(int argc, char** argv)
{
    if (AnsweredWithoutWindows(argc, argv))
        return 0;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamr"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("tamr"));

    const tamr::qt::StartOptions options =
        tamr::qt::ParseStartOptions(QApplication::arguments(), QProcessEnvironment::systemEnvironment());
    if (!options.error.isEmpty())
        qWarning("tamr: %s", qUtf8Printable(options.error));

    tamr::qt::CTamrApp app({options.screenDepth, {}, options.maxMegapixels});
    if (!app.InitInstance())
        return 1;
    // The desktop asks to open files by naming them on the command line.
    app.OpenDroppedFiles(options.files);
    tamr::qt::StartAutomation(app, options.automation);
    return QApplication::exec();
}
