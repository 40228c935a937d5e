#pragma once
// The help window: contents and index over the program's help pages, and the
// page itself.

#include <QSplitter>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

namespace tamr::qt {

// The help pages as the window presents them.
struct HelpCatalogue {
    struct Topic {
        QString title;
        QString page; // file name under the help folder
    };
    std::vector<Topic> topics;
    // Keyword -> pages that explain it, from each page's "keywords" meta tag.
    std::map<QString, QStringList> index;

    // Reads contents.txt ("page|title" a line) and the pages under folder.
    static HelpCatalogue Load(const QString& folder);
};

class HelpWindow : public QSplitter {
    Q_OBJECT

public:
    explicit HelpWindow(QString folder = QStringLiteral(":/res/help"), QWidget* parent = nullptr);

    // Shows the window with the contents tab in front.
    void ShowFinder();
    void ShowPage(const QString& page);

    const HelpCatalogue& Catalogue() const { return catalogue_; }
    QTextBrowser* Browser() const { return browser_; }
    QTreeWidget* Contents() const { return contents_; }
    QListWidget* Index() const { return index_; }

private:
    void FilterIndex(const QString& text);
    void OpenIndexEntry();

    QString folder_;
    HelpCatalogue catalogue_;
    QTabWidget* tabs_;
    QTreeWidget* contents_;
    QLineEdit* indexSearch_;
    QListWidget* index_;
    QTextBrowser* browser_;
};

} // namespace tamr::qt
