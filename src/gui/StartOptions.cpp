#include "gui/StartOptions.h"

#include "image/PictureKinds.h"

namespace tamr::qt {

namespace {

const QString kDepthOption = QStringLiteral("--screen-depth");
const QString kMegapixelsOption = QStringLiteral("--max-megapixels");

// A decode limit in million pixels, or 0 with a complaint.
quint64 ParseMegapixels(const QString& text, QString& error)
{
    bool ok = false;
    const quint64 megapixels = text.toULongLong(&ok);
    if (!ok || megapixels == 0 || megapixels > 1000000) {
        error = QStringLiteral("ignoring decode limit \"%1\"").arg(text);
        return 0;
    }
    return megapixels;
}

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
    if (environment.contains(QStringLiteral("TAMR_MAX_MEGAPIXELS")))
        options.maxMegapixels =
            ParseMegapixels(environment.value(QStringLiteral("TAMR_MAX_MEGAPIXELS")), options.error);
    options.automation = environment.value(QStringLiteral("TAMR_AUTOMATION"));

    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == QStringLiteral("-")) {
            options.files << argument;
        } else if (argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (argument == QStringLiteral("-h") || argument == QStringLiteral("--help")) {
            options.showHelp = true;
        } else if (argument == QStringLiteral("--version")) {
            options.showVersion = true;
        } else if (argument == kDepthOption) {
            if (i + 1 < arguments.size())
                options.screenDepth = ParseDepth(arguments[++i], options.error);
            else
                options.error = QStringLiteral("%1 needs a number of bits").arg(kDepthOption);
        } else if (argument == kMegapixelsOption) {
            if (i + 1 < arguments.size())
                options.maxMegapixels = ParseMegapixels(arguments[++i], options.error);
            else
                options.error = QStringLiteral("%1 needs a number of million pixels").arg(kMegapixelsOption);
        } else if (argument.startsWith(kMegapixelsOption + '=')) {
            options.maxMegapixels = ParseMegapixels(argument.mid(kMegapixelsOption.size() + 1), options.error);
        } else if (argument.startsWith(kDepthOption + '=')) {
            options.screenDepth = ParseDepth(argument.mid(kDepthOption.size() + 1), options.error);
        } else {
            options.error = QStringLiteral("ignoring unknown option %1").arg(argument);
        }
    }
    return options;
}

QString StartHelpText()
{
    return QStringLiteral("tamr: the image-compression workbench\n"
                          "Usage: tamr [OPTIONS] [PICTURE...]\n"
                          "\n"
                          "Opens each PICTURE (%1) in a window of its own.\n"
                          "\n"
                          "Options:\n"
                          "  -h,--help                   Print this help message and exit\n"
                          "  --version                   Print the version and exit\n"
                          "  --screen-depth N            draw pictures as a screen with N bits per pixel would\n"
                          "                              (8: through a 256-colour palette)\n"
                          "  --max-megapixels N          open pictures of up to N million colour pixels\n"
                          "                              (default: 256 MiB of decoded picture)\n"
                          "  --                          every argument after it names a picture\n"
                          "\n"
                          "Environment:\n"
                          "  TAMR_SCREEN_DEPTH=N         as --screen-depth N (the option wins)\n"
                          "  TAMR_MAX_MEGAPIXELS=N       as --max-megapixels N (the option wins)\n")
        .arg(QString::fromStdString(PictureKindsText()));
}

} // namespace tamr::qt
