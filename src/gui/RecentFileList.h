#pragma once
// The recent-file list: up to six paths, newest first, kept in the program's
// INI file (section "Recent File List", keys File1..File6) and written back
// whenever it changes.

#include <QString>
#include <QStringList>

namespace tamr::qt {

class RecentFileList {
public:
    // Reads the list from the INI file at iniPath.
    RecentFileList(QString iniPath, int capacity);

    const QStringList& Files() const { return files_; }
    // Moves path to the front (adding it if new) and drops what falls off the end.
    void Add(const QString& path);
    void Remove(int index);

    // The menu text of entry index: "&1 " and the path shortened to 30 characters.
    QString MenuText(int index) const;
    // Keeps the first folder and as many of the last parts as fit in maxLength,
    // always the file name: "/home/.../pictures/photo.bmp".
    static QString Abbreviate(const QString& path, int maxLength);

    const QString& IniPath() const { return iniPath_; }

private:
    void Save() const;

    QString iniPath_;
    int capacity_;
    QStringList files_;
};

} // namespace tamr::qt
