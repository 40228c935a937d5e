#pragma once
// The Sharpen Image command and its dialog's logic without any widget: a copy
// of the working image taken when the command begins, three scroll bars of
// 0 … 100 % with their percent texts, Apply that always starts again from the
// copy, and the end of the command with OK (keep) or Cancel (restore).
//
// The desktop dialog shows Row() for each bar, forwards scroll events to
// OnHScroll and the Apply button to Apply, and when it closes calls Finish and
// sets the document's imageEdited flag to the value returned. "The view was
// told the image changed" is the ImageChangedNotice the session is given.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "enhance/SharpenDialog.h"
#include "image/PixelPlaneViews.h"
#include "platform/ByteBlock.h"
#include "platform/Prompter.h"
#include "platform/ScrollCode.h"

namespace tamr {

class CDibImage;

enum class SharpenEnding { Ok, Cancel };

// What one row of the dialog shows. A disabled row (the lower two of a gray
// image) greys its label, scroll bar and percent text together; its bar keeps
// the empty range of a scroll bar nobody set up.
struct SharpenRowState {
    std::string label;
    bool enabled = false;
    int minimum = 0;
    int maximum = 0;
    int position = 0;
    std::string percentText;
};

// What the end of the command asks of the document.
struct SharpenFinished {
    std::int32_t imageEdited = 1; // set after OK and after Cancel alike
};

class SharpenSession {
public:
    // Posts WM_IMAGE_CHANGED to the view: its index image is rebuilt and it repaints.
    using ImageChangedNotice = std::function<void()>;

    // Begins the command on the working image: copies it and sets the dialog
    // up (OnInitDialog). When the copy cannot be allocated the user is told
    // "Not enough memory do sharpen image" and nothing is returned.
    static std::optional<SharpenSession> Open(PixelView pixels, bool isColour, Prompter& prompter,
                                              ImageChangedNotice imageChanged);
    // The same for a document's image (colour when its isColour is non-zero).
    static std::optional<SharpenSession> Open(CDibImage& image, Prompter& prompter, ImageChangedNotice imageChanged);

    bool IsColour() const { return isColour_; }
    bool IsFinished() const { return finished_; }
    const SharpenRowState& Row(SharpenBar bar) const { return rows_[Index(bar)]; }

    int RedPercent() const { return redPercent_; }
    int GreenPercent() const { return greenPercent_; }
    int BluePercent() const { return bluePercent_; }
    int GrayPercent() const { return grayPercent_; }

    // A scroll event of one bar; true when a new value was written to the
    // bar, its percent text and its amount. Nothing is applied to the image.
    // Disabled bars (which send no events) and a finished session ignore it.
    bool OnHScroll(SharpenBar bar, ScrollCode code, int thumbPosition);

    // Restores the copy into the working image, sharpens it with the current
    // amounts and tells the view. False when the sharpening could not get its
    // memory (the image then holds the copy) or the session is finished.
    bool Apply();

    // Ends the command: Cancel copies the start state back, OK keeps the last
    // Apply. The copy is released and the view told; the document is marked
    // edited either way. A second call changes nothing.
    SharpenFinished Finish(SharpenEnding ending);

private:
    SharpenSession(PixelView pixels, bool isColour, ByteBlock backupCopy, ImageChangedNotice imageChanged);

    static std::size_t Index(SharpenBar bar) { return static_cast<std::size_t>(bar); }
    void OnInitDialog();
    void Store(SharpenBar bar, int value);
    void NotifyImageChanged() const;

    PixelView pixels_;
    bool isColour_ = false;
    ByteBlock backupCopy_;
    ImageChangedNotice imageChanged_;
    std::array<SharpenRowState, 3> rows_;
    int redPercent_ = 0;
    int greenPercent_ = 0;
    int bluePercent_ = 0;
    int grayPercent_ = 0;
    bool finished_ = false;
};

} // namespace tamr
