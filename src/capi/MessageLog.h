#pragma once
// The prompter of a picture of the C interface: it shows nothing, answers
// every question as Enter would, and keeps the errors and warnings, which
// become the message of a failed call. Notices are dropped.

#include <string>
#include <utility>

#include "platform/Prompter.h"

namespace tamr::capi {

class MessageLog : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override
    {
        if (message.icon == MessageIcon::Error || message.icon == MessageIcon::Warning)
            Keep(message.text);
        return DefaultAnswer(message.buttons);
    }
    void ShowErrorWithDetail(const std::string& text, const std::string& /*caption*/,
                             const std::string& detail) override
    {
        Keep(detail.empty() ? text : text + " " + detail);
    }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& /*request*/) override { return std::nullopt; }

    // Everything kept since the last call, one line each.
    std::string Take() { return std::exchange(text_, std::string()); }

private:
    void Keep(const std::string& line) { text_ += text_.empty() ? line : "\n" + line; }

    std::string text_;
};

} // namespace tamr::capi
