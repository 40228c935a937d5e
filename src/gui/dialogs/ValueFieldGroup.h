#pragma once
// A group box of read-only figures, one labelled static text per value, as
// the information and statistics dialogs show them.

#include <QString>
#include <initializer_list>
#include <string>

class QGroupBox;
class QWidget;

namespace tamr::qt {

struct ValueField {
    int id;            // the value's identifier; its label is named after it too
    const char* label; // shown left of the value
    const std::string& value;
};

QGroupBox* MakeValueFieldGroup(const QString& title, const QString& objectName,
                               std::initializer_list<ValueField> fields, QWidget* parent);

} // namespace tamr::qt
