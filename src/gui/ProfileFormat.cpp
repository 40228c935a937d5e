#include "gui/ProfileFormat.h"

#include <QIODevice>
#include <QMap>
#include <QString>

namespace tamr::qt {

namespace {

// Line breaks and backslashes in values are escaped so that each entry stays on its line.
QString Escape(QString value)
{
    value.replace('\\', QStringLiteral("\\\\"));
    value.replace('\n', QStringLiteral("\\n"));
    value.replace('\r', QStringLiteral("\\r"));
    return value;
}

QString Unescape(const QString& value)
{
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const QChar next = value[++i];
        plain += next == 'n' ? QChar('\n') : next == 'r' ? QChar('\r') : next;
    }
    return plain;
}

bool ReadProfile(QIODevice& device, QSettings::SettingsMap& map)
{
    QString section;
    while (!device.atEnd()) {
        const QString line = QString::fromUtf8(device.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        map.insert(section.isEmpty() ? key : section + '/' + key, Unescape(line.mid(equals + 1)));
    }
    return true;
}

bool WriteProfile(QIODevice& device, const QSettings::SettingsMap& map)
{
    // Keys without a section first, then each section with its keys.
    QMap<QString, QList<QPair<QString, QString>>> sections;
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry) {
        const qsizetype slash = entry.key().lastIndexOf('/');
        const QString section = slash < 0 ? QString() : entry.key().left(slash);
        const QString key = slash < 0 ? entry.key() : entry.key().mid(slash + 1);
        sections[section].append({key, Escape(entry.value().toString())});
    }
    QByteArray text;
    for (auto section = sections.cbegin(); section != sections.cend(); ++section) {
        if (!section.key().isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")).toUtf8() + '[' + section.key().toUtf8() + "]\n";
        for (const auto& [key, value] : section.value())
            text += key.toUtf8() + '=' + value.toUtf8() + '\n';
    }
    return device.write(text) == text.size();
}

} // namespace

QSettings::Format ProfileFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("ini"), ReadProfile, WriteProfile);
    return format;
}

} // namespace tamr::qt
