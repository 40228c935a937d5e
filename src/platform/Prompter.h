#pragma once
// How the core talks to the user: modal message boxes, answered by whoever
// hosts the core (the desktop shell, the command line, or a test script).

#include <filesystem>
#include <optional>
#include <string>

namespace tamr {

enum class MessageIcon { None, Error, Warning, Information, Question };

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

struct Message {
    std::string text;
    std::string caption; // empty: the application's title
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;

    bool operator==(const Message&) const = default;
};

// A common Save As dialog: the filter string as the system defines it
// ("Name (*.x)|*.x;*.X|...||"), the default extension and the initial name.
struct SaveFileRequest {
    std::string filter;
    std::string defaultExtension;
    std::string initialName;

    bool operator==(const SaveFileRequest&) const = default;
};

// What the dialog returns: the full path, the file title (name without its
// extension) and the extension (without the dot; empty when none was given).
struct ChosenFile {
    std::filesystem::path path;
    std::string title;
    std::string extension;
};

// Splits a chosen path the way the common dialog reports it.
ChosenFile ChosenFileFor(const std::filesystem::path& path);

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer ShowMessage(const Message& message) = 0;
    // Nothing when the user cancels.
    virtual std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& request) = 0;

    // A notice that asks nothing and need not stop the user; the desktop
    // shows it in the status bar. By default an information box.
    virtual void ShowNotice(const std::string& text, const std::string& caption)
    {
        ShowMessage(Message{text, caption, MessageIcon::Information, MessageButtons::Ok});
    }

    // The common error box: OK button, error icon.
    void ShowError(const std::string& text, const std::string& caption)
    {
        ShowMessage(Message{text, caption, MessageIcon::Error, MessageButtons::Ok});
    }

    // The same with more about it, such as why a file was refused: the
    // command line prints it on the line under the text, the desktop shows it
    // as the box's detailed text. By default the box alone.
    virtual void ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail)
    {
        (void)detail;
        ShowError(text, caption);
    }
};

// The answer a box gives when the user just presses Enter.
MessageAnswer DefaultAnswer(MessageButtons buttons);

} // namespace tamr
