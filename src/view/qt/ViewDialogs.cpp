#include "view/qt/ViewDialogs.h"

// Placeholders until the dialogs are built; every command reaching one does nothing yet.
namespace tamr::qt {

void RunEasySetup(QWidget*, CodecSettings&, const std::function<void()>&) {}
void RunMasterSetup(QWidget*, CodecSettings&, Prompter&, const std::function<void()>&) {}
void RunFilters(QWidget*, CTamrDoc&, Prompter&, const std::function<void()>&) {}
void RunSharpen(QWidget*, CTamrDoc&, Prompter&, const std::function<void()>&) {}
void RunImageInformation(QWidget*, const CTamrDoc&) {}
void RunImageStatistics(QWidget*, const CTamrDoc&) {}

} // namespace tamr::qt
