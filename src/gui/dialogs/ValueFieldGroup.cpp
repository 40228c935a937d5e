#include "gui/dialogs/ValueFieldGroup.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

#include "gui/dialogs/DialogControls.h"

namespace tamr::qt {

QGroupBox* MakeValueFieldGroup(const QString& title, const QString& objectName,
                               std::initializer_list<ValueField> fields, QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(objectName);
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const ValueField& field : fields) {
        grid->addWidget(MakeStaticText(QString::fromUtf8(field.label), LabelName(field.id), group), row, 0);
        // Values come from the document (its title is a file name): plain text only.
        QLabel* value = MakeStaticText(QString::fromStdString(field.value), ControlName(field.id), group);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("0000000000 Bytes")));
        grid->addWidget(value, row, 1);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);
    return group;
}

} // namespace tamr::qt
