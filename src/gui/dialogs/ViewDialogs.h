#pragma once
// The modal dialogs the view's commands open, each run to its end. The view
// decides when to open them; these functions own everything in between.

#include <functional>

class QWidget;

namespace tamr {
struct CodecSettings;
class CTamrDoc;
class Prompter;
} // namespace tamr

namespace tamr::qt {

// "Image Setup": on OK the chosen quality goes into the settings and is mapped
// to raw settings; "Test" does the same at once and then calls compress.
void RunEasySetup(QWidget* parent, CodecSettings& settings, const std::function<void()>& compress);

// "Master Setup": on OK (and on "Test Setting", followed by compress) accepted
// values are copied into the settings; refused ones are reported through the prompter.
void RunMasterSetup(QWidget* parent, CodecSettings& settings, Prompter& prompter,
                    const std::function<void()>& compress);

// "Filters" and "Sharpen image" on the document's working image; imageChanged
// is called whenever the view must rebuild its index image and repaint. Both
// mark the document edited when they close.
void RunFilters(QWidget* parent, CTamrDoc& document, Prompter& prompter, const std::function<void()>& imageChanged);
void RunSharpen(QWidget* parent, CTamrDoc& document, Prompter& prompter, const std::function<void()>& imageChanged);

// "Image Information" (Properties) and "Image Statistics".
void RunImageInformation(QWidget* parent, const CTamrDoc& document);
void RunImageStatistics(QWidget* parent, const CTamrDoc& document);

} // namespace tamr::qt
