#include "enhance/SharpenSession.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "enhance/Sharpen.h"
#include "image/DibImage.h"

namespace tamr {
namespace {

constexpr int kPercentMinimum = 0;
constexpr int kPercentMaximum = 100;
constexpr int kStartPercent = 50;

std::string PercentText(int percent)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d%%", percent);
    return text;
}

// Percent of a scroll bar as the amount the sharpening takes.
float Amount(int percent)
{
    return static_cast<float>(percent) * 0.01f;
}

} // namespace

std::optional<SharpenSession> SharpenSession::Open(PixelView pixels, bool isColour, Prompter& prompter,
                                                   ImageChangedNotice imageChanged)
{
    auto backupCopy = AllocateBlock(pixels.bytes.size());
    if (!backupCopy) {
        prompter.ShowMessage(Message{std::string(kSharpenMemoryMessage), std::string(kSharpenMemoryCaption),
                                     MessageIcon::Error, MessageButtons::Ok});
        return std::nullopt;
    }
    std::ranges::copy(pixels.bytes, backupCopy->begin());
    return SharpenSession(pixels, isColour, std::move(*backupCopy), std::move(imageChanged));
}

std::optional<SharpenSession> SharpenSession::Open(CDibImage& image, Prompter& prompter,
                                                   ImageChangedNotice imageChanged)
{
    return Open(image.WorkingView(), image.IsColour() != 0, prompter, std::move(imageChanged));
}

SharpenSession::SharpenSession(PixelView pixels, bool isColour, ByteBlock backupCopy, ImageChangedNotice imageChanged)
    : pixels_(pixels), isColour_(isColour), backupCopy_(std::move(backupCopy)), imageChanged_(std::move(imageChanged))
{
    OnInitDialog();
}

void SharpenSession::OnInitDialog()
{
    redPercent_ = greenPercent_ = bluePercent_ = grayPercent_ = kStartPercent;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        // Rows as the template leaves them: disabled ones keep an unset bar.
        rows_[i] = SharpenRowState{std::string(kSharpenRows[i].label),     false, 0, 0, 0,
                                   std::string(kSharpenInitialPercentText)};
    }
    auto setUp = [this](SharpenBar bar) {
        SharpenRowState& row = rows_[Index(bar)];
        row.enabled = true;
        row.minimum = kPercentMinimum;
        row.maximum = kPercentMaximum;
        row.position = kStartPercent;
        row.percentText = PercentText(kStartPercent);
    };
    setUp(SharpenBar::Top);
    if (isColour_) {
        setUp(SharpenBar::Middle);
        setUp(SharpenBar::Bottom);
    } else {
        rows_[Index(SharpenBar::Top)].label = std::string(kSharpenGrayLabel);
    }
}

bool SharpenSession::OnHScroll(SharpenBar bar, ScrollCode code, int thumbPosition)
{
    const SharpenRowState& row = rows_[Index(bar)];
    if (finished_ || !row.enabled) {
        return false;
    }
    const std::optional<int> value = ScrollTarget(code, row.position, row.minimum, row.maximum, thumbPosition);
    if (!value) {
        return false;
    }
    Store(bar, *value);
    return true;
}

void SharpenSession::Store(SharpenBar bar, int value)
{
    SharpenRowState& row = rows_[Index(bar)];
    row.position = value;
    row.percentText = PercentText(value);
    switch (bar) {
    case SharpenBar::Top:
        redPercent_ = value;
        grayPercent_ = value;
        break;
    case SharpenBar::Middle:
        greenPercent_ = value;
        break;
    case SharpenBar::Bottom:
        bluePercent_ = value;
        break;
    }
}

bool SharpenSession::Apply()
{
    if (finished_) {
        return false;
    }
    std::ranges::copy(backupCopy_, pixels_.bytes.begin());
    // The top bar drives byte 0 of a pixel, which holds blue: the bars' names
    // and the stored byte order disagree for red and blue.
    const bool sharpened =
        isColour_ ? SharpenColour(pixels_, Amount(redPercent_), Amount(greenPercent_), Amount(bluePercent_))
                  : SharpenGray(pixels_, Amount(grayPercent_));
    NotifyImageChanged();
    return sharpened;
}

SharpenFinished SharpenSession::Finish(SharpenEnding ending)
{
    if (finished_) {
        return {};
    }
    finished_ = true;
    if (ending == SharpenEnding::Cancel) {
        std::ranges::copy(backupCopy_, pixels_.bytes.begin());
    }
    backupCopy_ = ByteBlock();
    NotifyImageChanged();
    return {};
}

void SharpenSession::NotifyImageChanged() const
{
    if (imageChanged_) {
        imageChanged_();
    }
}

} // namespace tamr
