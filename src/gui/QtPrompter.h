#pragma once
// The desktop's answers to the core's questions: message boxes and the Save
// As dialog.

#include <QString>
#include <filesystem>

#include "platform/Prompter.h"

class QWidget;

namespace tamr::qt {

class QtPrompter : public Prompter {
public:
    // Dialogs start in currentDirectory, the folder last chosen in a file dialog.
    QtPrompter(QString applicationTitle, std::filesystem::path& currentDirectory)
        : applicationTitle_(std::move(applicationTitle)), currentDirectory_(currentDirectory)
    {
    }

    MessageAnswer ShowMessage(const Message& message) override;
    // The error box with the detail as its detailed text.
    void ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail) override;
    // In the main window's status bar.
    void ShowNotice(const std::string& text, const std::string& caption) override;
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& request) override;

private:
    QString applicationTitle_;
    std::filesystem::path& currentDirectory_;
};

// The window a modal box or dialog belongs to: the active modal widget, else
// the active window.
QWidget* DialogOwner();

// While a box or dialog runs the user needs the mouse and the normal cursor,
// even when a command holds both; they are given back afterwards.
class ModalInterruption {
public:
    ModalInterruption();
    ~ModalInterruption();
    ModalInterruption(const ModalInterruption&) = delete;
    ModalInterruption& operator=(const ModalInterruption&) = delete;

private:
    QWidget* grabber_;
    bool cursorPushed_;
};

} // namespace tamr::qt
