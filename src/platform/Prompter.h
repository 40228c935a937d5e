#pragma once
// How the core talks to the user: modal message boxes, answered by whoever
// hosts the core (the desktop shell, the command line, or a test script).

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

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual MessageAnswer ShowMessage(const Message& message) = 0;

    // The common error box: OK button, error icon.
    void ShowError(const std::string& text, const std::string& caption)
    {
        ShowMessage(Message{text, caption, MessageIcon::Error, MessageButtons::Ok});
    }
};

// The answer a box gives when the user just presses Enter.
MessageAnswer DefaultAnswer(MessageButtons buttons);

} // namespace tamr
