#pragma once
// The Open dialog's filter, made from the list of kinds tamr opens: the
// program's own entries (Common Files, BMP, COD, JPG, TGA, GIF), an entry for
// each added kind this build opens, "All pictures" with every one of them,
// and "All image files (*.*)".

#include <QString>
#include <QStringList>
#include <string>

namespace tamr::qt {

// In the program's form: "Name (*.x)|*.x;*.X|...||".
std::string OpenDialogFilterText();

// The position of "All pictures" among the dialog's entries. A file chosen
// under it may be of a variant tamr's own reader refuses: it then opens
// through the general reader of its kind.
int AllPicturesFilterIndex();

// The extensions, in lower case, that the Open dialog takes.
QStringList OpenDialogExtensions();

} // namespace tamr::qt
