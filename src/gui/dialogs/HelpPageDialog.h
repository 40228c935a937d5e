#pragma once
// One help page in a small modal window, for the Help buttons of dialogs that
// are themselves modal: a window of its own would stay blocked behind them.

#include <QDialog>

class QTextBrowser;

namespace tamr::qt {

class HelpPageDialog : public QDialog {
    Q_OBJECT

public:
    // `page` names a file of the bundled help, e.g. "quality.html".
    HelpPageDialog(const QString& page, QWidget* parent);

    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

// Shows the page over `parent` until the user closes it.
void ShowHelpPage(const QString& page, QWidget* parent);

} // namespace tamr::qt
