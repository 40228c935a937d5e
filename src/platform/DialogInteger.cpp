#include "platform/DialogInteger.h"

#include <charconv>
#include <string>

namespace tamr {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

std::optional<int> ParseDialogInteger(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    // from_chars takes a minus sign but no plus sign.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

Message DialogIntegerRefusal()
{
    return Message{std::string(kDialogIntegerMessage), std::string(), MessageIcon::Warning, MessageButtons::Ok};
}

} // namespace tamr
