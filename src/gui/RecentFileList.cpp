#include "gui/RecentFileList.h"

#include <QSettings>

#include "gui/ProfileFormat.h"

namespace tamr::qt {

namespace {

const QString kSectionName = QStringLiteral("Recent File List");
constexpr int kShownLength = 30;

QString KeyFor(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

} // namespace

RecentFileList::RecentFileList(QString iniPath, int capacity) : iniPath_(std::move(iniPath)), capacity_(capacity)
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.beginGroup(kSectionName);
    for (int i = 0; i < capacity_; ++i) {
        const QString path = settings.value(KeyFor(i)).toString();
        if (!path.isEmpty() && !files_.contains(path))
            files_ << path;
    }
}

void RecentFileList::Add(const QString& path)
{
    files_.removeAll(path);
    files_.prepend(path);
    while (files_.size() > capacity_)
        files_.removeLast();
    Save();
}

void RecentFileList::Remove(int index)
{
    if (index < 0 || index >= files_.size())
        return;
    files_.removeAt(index);
    Save();
}

void RecentFileList::Save() const
{
    QSettings settings(iniPath_, ProfileFormat());
    settings.beginGroup(kSectionName);
    for (int i = 0; i < capacity_; ++i) {
        if (i < files_.size())
            settings.setValue(KeyFor(i), files_[i]);
        else
            settings.remove(KeyFor(i));
    }
    settings.endGroup();
    settings.sync();
}

QString RecentFileList::MenuText(int index) const
{
    QString shown = Abbreviate(files_.value(index), kShownLength);
    shown.replace('&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

QString RecentFileList::Abbreviate(const QString& path, int maxLength)
{
    if (path.size() <= maxLength)
        return path;
    const QStringList parts = path.split('/');
    const QString& name = parts.back();
    if (parts.size() < 3 || name.size() + 4 > maxLength)
        return name;
    // The first folder ("" for an absolute path), "...", then the tail.
    const QString head = parts.front() + QStringLiteral("/...");
    QString tail = QLatin1Char('/') + name;
    for (qsizetype i = parts.size() - 2; i > 0; --i) {
        const QString longer = QLatin1Char('/') + parts[i] + tail;
        if (head.size() + longer.size() > maxLength)
            break;
        tail = longer;
    }
    if (head.size() + tail.size() > maxLength)
        return name;
    return head + tail;
}

} // namespace tamr::qt
