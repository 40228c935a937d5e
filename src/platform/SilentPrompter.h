#pragma once
// A prompter that tells nobody anything: for looking at a file without
// opening it, where the open that may follow says what is wrong.

#include "platform/Prompter.h"

namespace tamr {

class SilentPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override { return DefaultAnswer(message.buttons); }
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& /*request*/) override { return std::nullopt; }
};

} // namespace tamr
