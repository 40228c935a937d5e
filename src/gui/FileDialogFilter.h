#pragma once
// The program's file filters ("Name (*.x)|*.x;*.X|...||") as Qt file dialog
// name filters, pattern for pattern.

#include <QString>
#include <QStringList>
#include <string_view>

namespace tamr::qt {

// One Qt filter per description/patterns pair: the description as written
// followed by its patterns in parentheses, "COD (*.cod)" and "*.cod;*.COD"
// giving "COD (*.cod) (*.cod *.COD)". Dialogs show them with the
// HideNameFilterDetails option, so the user reads the description as written.
QStringList QtNameFilters(std::string_view filter);

// The patterns of a translated filter.
QStringList FilterPatterns(const QString& qtFilter);

// The extension a name typed without one gets under this filter: that of the
// first pattern of the form "*.ext"; empty when there is none.
QString SuffixForFilter(const QString& qtFilter);

} // namespace tamr::qt
