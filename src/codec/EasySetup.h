#pragma once
// The "Image Setup" dialog without its window: one quality factor shown in a
// scroll bar and an edit that follow each other, "Reset", and what "Test"
// and "OK" do to the settings.

#include <optional>
#include <string>
#include <string_view>

#include "codec/CodecSettings.h"
#include "platform/ScrollCode.h"

namespace tamr {

inline constexpr int kEasySetupMinimumQuality = 0;
inline constexpr int kEasySetupMaximumQuality = 100;
inline constexpr int kEasySetupResetQuality = 50;

// The edit's rule: every character a decimal digit, at most three of them and a
// value of 0..100; an empty text counts as 0. Nothing for any other text.
std::optional<int> ParseQualityText(std::string_view text);

class EasySetupSession {
public:
    // Opens on the settings' quality factor.
    explicit EasySetupSession(const CodecSettings& settings);

    int Quality() const { return quality_; }
    int ScrollPosition() const { return scrollPosition_; }
    const std::string& EditText() const { return editText_; }

    // The edit's update notification, with the text it holds now: an accepted
    // text moves the bar and becomes the quality; any other text is replaced
    // by the current quality.
    void OnEditUpdate(std::string_view text);

    // A scroll event: a new position is written into the edit, whose update
    // then moves the bar. False when the event leaves the bar where it is.
    bool OnHScroll(ScrollCode code, int thumbPosition);

    // "Reset": quality 50.
    void Reset();

    // "Test" now, and "OK" when the dialog has closed: the quality goes into
    // the settings and is mapped onto the raw parameters.
    void CopyTo(CodecSettings& settings) const;

private:
    void WriteEdit(int value);

    int quality_ = kEasySetupResetQuality;
    int scrollPosition_ = kEasySetupResetQuality;
    std::string editText_;
};

} // namespace tamr
