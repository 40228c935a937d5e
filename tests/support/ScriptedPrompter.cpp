#include "support/ScriptedPrompter.h"

namespace tamr {

std::optional<ChosenFile> ScriptedPrompter::AskSaveFile(const SaveFileRequest& request)
{
    saveRequests_.push_back(request);
    if (saveFiles_.empty())
        return std::nullopt;
    auto path = saveFiles_.front();
    saveFiles_.pop_front();
    if (!path)
        return std::nullopt;
    return ChosenFileFor(*path);
}

MessageAnswer ScriptedPrompter::ShowMessage(const Message& message)
{
    messages_.push_back(message);
    if (answers_.empty())
        return DefaultAnswer(message.buttons);
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedPrompter::ShowErrorWithDetail(const std::string& text, const std::string& caption,
                                           const std::string& detail)
{
    details_.push_back(detail);
    ShowError(text, caption);
}

} // namespace tamr
