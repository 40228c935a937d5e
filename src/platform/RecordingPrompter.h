#pragma once
// A prompter that shows nothing and keeps every box it is asked to show, so
// that a reader's messages travel with its result and are shown, or not, by
// whoever opens the file.

#include <vector>

#include "platform/Prompter.h"

namespace tamr {

class RecordingPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override
    {
        messages_.push_back(message);
        return DefaultAnswer(message.buttons);
    }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& /*request*/) override { return std::nullopt; }

    std::vector<Message> Take() { return std::move(messages_); }

private:
    std::vector<Message> messages_;
};

} // namespace tamr
