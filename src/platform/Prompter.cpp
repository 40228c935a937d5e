#include "platform/Prompter.h"

namespace tamr {

MessageAnswer DefaultAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    case MessageButtons::RetryCancel:
        return MessageAnswer::Retry;
    }
    return MessageAnswer::Ok;
}

ChosenFile ChosenFileFor(const std::filesystem::path& path)
{
    ChosenFile chosen;
    chosen.path = path;
    chosen.title = path.stem().string();
    const std::string extension = path.extension().string();
    chosen.extension = extension.empty() ? std::string() : extension.substr(1);
    return chosen;
}

} // namespace tamr
