#include "cli/StderrPrompter.h"

namespace tamr {

MessageAnswer StderrPrompter::ShowMessage(const Message& message)
{
    ++count_;
    // A box without a caption of its own shows the application's title.
    stream_ << (message.caption.empty() ? "tamr" : message.caption) << ": " << message.text << '\n';
    return DefaultAnswer(message.buttons);
}

} // namespace tamr
