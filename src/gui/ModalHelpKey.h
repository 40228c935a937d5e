#pragma once
// F1 in a dialog: a modal dialog holds the keyboard, and a window of its own
// has no main-window keys, so the main window's F1 never fires there. This
// filter sees the key first and asks for the help page of that dialog (the
// contents when it has none of its own).

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace tamr::qt {

// The help page that explains `window` ("filters.html"); empty for a window
// without a page of its own.
QString HelpPageFor(const QWidget* window);

class ModalHelpKey : public QObject {
public:
    // Watches every key press of the application for as long as it lives;
    // showHelp gets the page, empty for the contents.
    explicit ModalHelpKey(std::function<void(const QString& page)> showHelp, QObject* parent = nullptr);
    ~ModalHelpKey() override;
    ModalHelpKey(const ModalHelpKey&) = delete;
    ModalHelpKey& operator=(const ModalHelpKey&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString& page)> showHelp_;
};

} // namespace tamr::qt
