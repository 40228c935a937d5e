#pragma once
// What every view works with, owned by the application and handed to each
// view by reference.

#include <QString>
#include <functional>

#include "codec/CodecSettings.h"
#include "document/TamrDoc.h"
#include "gui/ZoomArithmetic.h"
#include "image/DisplaySettings.h"
#include "platform/Prompter.h"

class QWidget;

namespace tamr::qt {

// Display state shared by all views.
struct SharedViewState {
    ZoomAnchor zoomAnchor;
    // The palette of the document whose view last got the focus: a 256-colour
    // screen shows every view through it. Null when none.
    const ImagePalette* currentPalette = nullptr;
};

struct ViewEnvironment {
    CodecSettings& settings;
    DisplaySettings& display;
    Prompter& prompter;
    SharedViewState& shared;
    // The screen depth in bits per pixel; 0 means ask the screen the view is on.
    int forcedScreenDepth = 0;
    // Runs the zoom dialogs; tests replace it. Returns false on Cancel, else
    // the chosen entry in *text. Unset means the real dialogs.
    std::function<bool(QWidget* parent, bool zoomIn, QString* text)> chooseZoom;
};

} // namespace tamr::qt
