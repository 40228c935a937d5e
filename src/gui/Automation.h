#pragma once
// A hidden hook for scripts that show the program at work (scripts/screenshot):
// TAMR_AUTOMATION names steps, separated by commas, that run one after the
// other once the main window is up:
//   maximize    the main window fills the screen
//   compress    Compress in the active window
//   statistics  the Statistics dialog (closed again after a few seconds)
//   open, saveas, properties, about, easysetup, mastersetup, filters, sharpen, zoomin,
//   zoomout, print, printpreview, printsetup
//               the dialog of that command (likewise)
//   help        the help window (likewise)
//   comparewindow, sidebyside, split, difference, heatmap, figures, fit,
//   stepin, stepout, actualsize, ratedistortion
//               that command (the compare window, its modes, the figures panel,
//               the zoom steps, the rate-distortion chart)
//   equalsizeNAME  against the peer NAME (jpeg, jp2, webp, ...) at equal size
//   finish      waits until the chart's sweep, the equal-size coding and the
//               figures panel's compress and figures are done
//   quality:N   the figures panel's Quality slider let go at N
//   zoom:N      the active compare window at N per cent
//   menu:TITLE  the menu bar's menu TITLE, without its "&" (likewise)
//   quit        ends the program at once, without asking to save
// Before each step a line "tamr-automation: STEP" goes to standard output,
// and "tamr-automation: done" after the last.

#include <QString>

namespace tamr::qt {

class CTamrApp;

void StartAutomation(CTamrApp& app, const QString& steps);

} // namespace tamr::qt
