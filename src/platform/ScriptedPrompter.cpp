#include "platform/ScriptedPrompter.h"

namespace tamr {

MessageAnswer ScriptedPrompter::ShowMessage(const Message& message)
{
    messages_.push_back(message);
    if (answers_.empty())
        return DefaultAnswer(message.buttons);
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace tamr
