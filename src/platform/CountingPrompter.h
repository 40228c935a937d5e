#pragma once
// A prompter that passes everything on to another one and counts the messages
// shown, so that a caller can tell whether a callee has already told the user.

#include "platform/Prompter.h"

namespace tamr {

class CountingPrompter : public Prompter {
public:
    explicit CountingPrompter(Prompter& inner) : inner_(inner) {}

    MessageAnswer ShowMessage(const Message& message) override
    {
        ++messages_;
        return inner_.ShowMessage(message);
    }
    void ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail) override
    {
        ++messages_;
        inner_.ShowErrorWithDetail(text, caption, detail);
    }
    void ShowNotice(const std::string& text, const std::string& caption) override
    {
        ++messages_;
        inner_.ShowNotice(text, caption);
    }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& request) override
    {
        return inner_.AskSaveFile(request);
    }

    int MessagesShown() const { return messages_; }

private:
    Prompter& inner_;
    int messages_ = 0;
};

} // namespace tamr
