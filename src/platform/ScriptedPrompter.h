#pragma once
// A prompter for tests and scripts: records every message and answers from a queue.

#include <deque>
#include <vector>

#include "platform/Prompter.h"

namespace tamr {

class ScriptedPrompter : public Prompter {
public:
    MessageAnswer ShowMessage(const Message& message) override;

    // Queues the answer to the next message; without one, boxes get their default answer.
    void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }

    const std::vector<Message>& Messages() const { return messages_; }
    void Clear() { messages_.clear(); }

private:
    std::vector<Message> messages_;
    std::deque<MessageAnswer> answers_;
};

} // namespace tamr
