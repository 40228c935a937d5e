#pragma once
// A QSettings format for the program's INI file written the way profile files
// read: section names and values as they are ("[Recent File List]"), where
// Qt's own INI format would percent-encode the blanks.

#include <QSettings>

namespace tamr::qt {

// Registered on first use.
QSettings::Format ProfileFormat();

} // namespace tamr::qt
