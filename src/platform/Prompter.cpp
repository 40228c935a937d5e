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

} // namespace tamr
