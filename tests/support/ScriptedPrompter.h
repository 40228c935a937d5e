#pragma once
// A prompter for tests and scripts: records every message and answers from a queue.

#include <deque>
#include <optional>
#include <vector>

#include "platform/Prompter.h"

namespace tamr {

class ScriptedPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override;
    std::optional<ChosenFile> AskSaveFile(const SaveFileRequest& request) override;
    // Recorded as the error box, and its detail beside it.
    void ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail) override;
    // Recorded apart from the boxes: a notice stops nobody.
    void ShowNotice(const std::string& text, const std::string& caption) override
    {
        notices_.push_back(Message{text, caption, MessageIcon::Information, MessageButtons::Ok});
    }

    // Queues the answer to the next message; without one, boxes get their default answer.
    void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }

    // Queues what the next Save As dialog returns (nothing: the user cancels).
    void QueueSaveFile(std::optional<std::filesystem::path> path) { saveFiles_.push_back(std::move(path)); }

    const std::vector<Message>& Messages() const { return messages_; }
    const std::vector<SaveFileRequest>& SaveRequests() const { return saveRequests_; }
    // The details of the error boxes that had one, in order.
    const std::vector<std::string>& Details() const { return details_; }
    const std::vector<Message>& Notices() const { return notices_; }
    void Clear()
    {
        messages_.clear();
        details_.clear();
        notices_.clear();
    }

private:
    std::vector<Message> messages_;
    std::vector<std::string> details_;
    std::vector<Message> notices_;
    std::deque<MessageAnswer> answers_;
    std::vector<SaveFileRequest> saveRequests_;
    std::deque<std::optional<std::filesystem::path>> saveFiles_;
};

} // namespace tamr
