#pragma once
// F1 while a modal dialog is open: the dialog holds the keyboard, so the main
// window's F1 never fires. This filter sees the key first and asks for help.

#include <QObject>
#include <functional>

namespace tamr::qt {

class ModalHelpKey : public QObject {
public:
    // Watches every key press of the application for as long as it lives.
    explicit ModalHelpKey(std::function<void()> showHelp, QObject* parent = nullptr);
    ~ModalHelpKey() override;
    ModalHelpKey(const ModalHelpKey&) = delete;
    ModalHelpKey& operator=(const ModalHelpKey&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> showHelp_;
};

} // namespace tamr::qt
