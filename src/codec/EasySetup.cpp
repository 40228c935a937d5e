#include "codec/EasySetup.h"

#include <algorithm>

#include "codec/QualityFactor.h"

namespace tamr {

std::optional<int> ParseQualityText(std::string_view text)
{
    if (text.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value > kEasySetupMaximumQuality) {
        return std::nullopt;
    }
    return value;
}

EasySetupSession::EasySetupSession(const CodecSettings& settings)
{
    // The settings only ever hold a quality the dialog or the command line
    // accepted; anything else is shown as the nearest end of the bar.
    quality_ = std::clamp<int>(settings.qualityFactor, kEasySetupMinimumQuality, kEasySetupMaximumQuality);
    scrollPosition_ = quality_;
    editText_ = std::to_string(quality_);
}

void EasySetupSession::OnEditUpdate(std::string_view text)
{
    if (const std::optional<int> value = ParseQualityText(text)) {
        editText_ = std::string(text);
        scrollPosition_ = *value;
        quality_ = *value;
        return;
    }
    // The rewritten text is itself an update, and always an accepted one.
    WriteEdit(quality_);
}

bool EasySetupSession::OnHScroll(ScrollCode code, int thumbPosition)
{
    const std::optional<int> value =
        ScrollTarget(code, scrollPosition_, kEasySetupMinimumQuality, kEasySetupMaximumQuality, thumbPosition);
    if (!value) {
        return false;
    }
    scrollPosition_ = *value;
    WriteEdit(*value);
    return true;
}

void EasySetupSession::Reset()
{
    WriteEdit(kEasySetupResetQuality);
}

void EasySetupSession::CopyTo(CodecSettings& settings) const
{
    settings.qualityFactor = static_cast<std::int16_t>(quality_);
    ApplyQualityFactor(settings);
}

void EasySetupSession::WriteEdit(int value)
{
    const std::string text = std::to_string(value);
    OnEditUpdate(text);
}

} // namespace tamr
