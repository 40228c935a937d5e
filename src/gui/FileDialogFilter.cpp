#include "gui/FileDialogFilter.h"

#include <QRegularExpression>

namespace tamr::qt {

QStringList QtNameFilters(std::string_view filter)
{
    const QStringList fields = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size())).split('|');
    QStringList result;
    // Fields come in pairs; the list ends at the first empty description.
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString& description = fields[i];
        if (description.isEmpty())
            break;
        QStringList patterns;
        for (const QString& pattern : fields[i + 1].split(';')) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty())
                patterns << trimmed;
        }
        result << QStringLiteral("%1 (%2)").arg(description, patterns.join(' '));
    }
    return result;
}

QStringList FilterPatterns(const QString& qtFilter)
{
    static const QRegularExpression lastGroup(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch match = lastGroup.match(qtFilter);
    if (!match.hasMatch())
        return {};
    return match.captured(1).split(' ', Qt::SkipEmptyParts);
}

QString SuffixForFilter(const QString& qtFilter)
{
    static const QRegularExpression plainExtension(QStringLiteral("^\\*\\.([A-Za-z0-9]+)$"));
    for (const QString& pattern : FilterPatterns(qtFilter)) {
        const QRegularExpressionMatch match = plainExtension.match(pattern);
        if (match.hasMatch())
            return match.captured(1);
    }
    return {};
}

} // namespace tamr::qt
