#pragma once
// What every dialog of the program shares: object names derived from the
// controls' identifiers (tests and the screenshot script find controls by
// them), sizes given in dialog units, and scroll bars whose events are
// decided by the dialog's own rules.

#include <QString>
#include <functional>

#include "platform/ScrollCode.h"

class QDialog;
class QLabel;
class QObject;
class QPushButton;
class QScrollBar;
class QSize;
class QWidget;

namespace tamr::qt {

// "id1001" for the control with identifier 1001.
QString ControlName(int id);
// "label1001" for the static text that names the field 1001.
QString LabelName(int id);

// A button with its identifier's name; OK is 1 and Cancel 2.
QPushButton* MakeButton(const QString& text, int id, QWidget* parent);

// A static text shown exactly as given (never as rich text).
QLabel* MakeStaticText(const QString& text, const QString& objectName, QWidget* parent);

// A title bar with a close button only: a modal dialog that could be
// minimized would leave the program waiting for a window nobody sees.
void UseDialogFrame(QDialog& dialog);

// A size in dialog units for the dialog's font: a quarter of the average
// character width across, an eighth of the character height down.
QSize DialogUnitsToPixels(const QWidget& dialog, int width, int height);

// Routes the user's actions on a bar to `handler` as scroll codes with the
// thumb position; the bar then shows the position the handler returns. Bars
// moved by the program (setValue) report nothing.
using ScrollHandler = std::function<int(ScrollCode code, int thumbPosition)>;
void RouteScrollEvents(QScrollBar& bar, QObject& receiver, ScrollHandler handler);

// The scroll code of a QAbstractSlider::SliderAction.
ScrollCode ScrollCodeForAction(int action);

} // namespace tamr::qt
