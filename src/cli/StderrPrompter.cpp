#include "cli/StderrPrompter.h"

namespace tamr {

MessageAnswer StderrPrompter::ShowMessage(const Message& message)
{
    ++count_;
    // A box without a caption of its own shows the application's title.
    const std::string caption = message.caption.empty() ? "tamr" : message.caption;
    const bool notice = message.buttons == MessageButtons::Ok;
    const bool silent = quiet_ && notice && message.icon != MessageIcon::Error;
    if (!silent && (!notice || noticesShown_.emplace(caption, message.text).second))
        stream_ << caption << ": " << message.text << '\n';
    switch (message.buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return answerYes_ ? MessageAnswer::Yes : MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::RetryCancel:
        return answerYes_ ? DefaultAnswer(message.buttons) : MessageAnswer::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return MessageAnswer::Ok;
}

void StderrPrompter::ShowErrorWithDetail(const std::string& text, const std::string& caption, const std::string& detail)
{
    ++count_;
    stream_ << (caption.empty() ? "tamr" : caption) << ": " << text << '\n';
    if (!detail.empty())
        stream_ << detail << '\n';
}

std::optional<ChosenFile> StderrPrompter::AskSaveFile(const SaveFileRequest&)
{
    return saveChoice_;
}

} // namespace tamr
