#pragma once
// A prompter for work off the user-interface thread: nothing is shown,
// messages are acknowledged and questions answered No, so nothing is ever
// written or overwritten.

#include "platform/Prompter.h"

namespace tamr::qt {

class QuietPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override
    {
        return message.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest&) override { return std::nullopt; }
};

} // namespace tamr::qt
