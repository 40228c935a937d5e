#include "gui/StartOptions.h"

namespace tamr::qt {

namespace {

const QString kDepthOption = QStringLiteral("--screen-depth");

// A depth in bits per pixel, or 0 with a complaint.
int ParseDepth(const QString& text, QString& error)
{
    bool ok = false;
    const int depth = text.toInt(&ok);
    if (!ok || depth <= 0 || depth > 64) {
        error = QStringLiteral("ignoring screen depth \"%1\"").arg(text);
        return 0;
    }
    return depth;
}

} // namespace

StartOptions ParseStartOptions(const QStringList& arguments, const QProcessEnvironment& environment)
{
    StartOptions options;
    if (environment.contains(QStringLiteral("TAMR_SCREEN_DEPTH")))
        options.screenDepth = ParseDepth(environment.value(QStringLiteral("TAMR_SCREEN_DEPTH")), options.error);
    options.automation = environment.value(QStringLiteral("TAMR_AUTOMATION"));

    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == QStringLiteral("-")) {
            options.files << argument;
        } else if (argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (argument == kDepthOption) {
            if (i + 1 < arguments.size())
                options.screenDepth = ParseDepth(arguments[++i], options.error);
            else
                options.error = QStringLiteral("%1 needs a number of bits").arg(kDepthOption);
        } else if (argument.startsWith(kDepthOption + '=')) {
            options.screenDepth = ParseDepth(argument.mid(kDepthOption.size() + 1), options.error);
        } else {
            options.error = QStringLiteral("ignoring unknown option %1").arg(argument);
        }
    }
    return options;
}

} // namespace tamr::qt
