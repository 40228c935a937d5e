#pragma once
// What the command line and the environment ask of the desktop program.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tamr::qt {

struct StartOptions {
    // --screen-depth N or TAMR_SCREEN_DEPTH=N (the option wins); 0 when neither.
    // 8 shows every picture as on a 256-colour screen.
    int screenDepth = 0;
    // --max-megapixels N or TAMR_MAX_MEGAPIXELS=N: the decode limit, in
    // million colour pixels; 0 keeps the default.
    quint64 maxMegapixels = 0;
    // Files to open, as the desktop names them.
    QStringList files;
    // TAMR_AUTOMATION: steps run after start-up (used by scripts/screenshot).
    QString automation;
    // What was not understood; the program starts anyway.
    QString error;
    // -h/--help and --version: print and end before any window opens.
    bool showHelp = false;
    bool showVersion = false;
};

// arguments[0] is the program.
StartOptions ParseStartOptions(const QStringList& arguments, const QProcessEnvironment& environment);

// What `tamr --help` prints: the usage, every option and the environment it reads.
QString StartHelpText();

} // namespace tamr::qt
