#pragma once
// What the tests of the two figure dialogs (Image Information and Image
// Statistics) share: their labelled value fields, checked against the text
// records the document computes.

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "gui/DialogTestSupport.h"

namespace tamr::qt::test {

// A value field: its control, its label's text, the group box that holds
// both, and the member of the texts record it shows.
template <typename Texts> struct ValueField {
    int id;
    const char* label;
    const char* group;
    std::string Texts::*text;
};

inline QString ValueText(const QWidget& dialog, int id)
{
    auto* value = Find<QLabel>(dialog, id);
    return value ? value->text() : QStringLiteral("<missing>");
}

// Every field has its label, sits in its group and shows nothing (the dialog
// was made from an empty texts record).
template <typename Texts, std::size_t N>
void CheckEmptyFields(const QWidget& dialog, const ValueField<Texts> (&fields)[N])
{
    for (const ValueField<Texts>& field : fields) {
        auto* label = FindNamed<QLabel>(dialog, LabelName(field.id));
        QVERIFY2(label, field.label);
        QCOMPARE(label->text(), QString::fromUtf8(field.label));
        auto* group = FindNamed<QGroupBox>(dialog, QString::fromUtf8(field.group));
        QVERIFY(group->isAncestorOf(label));
        QVERIFY(group->isAncestorOf(Find<QLabel>(dialog, field.id)));
        QCOMPARE(ValueText(dialog, field.id), QString());
    }
}

// The value fields of the dialog `run` shows, read from inside it before OK
// closes it; empty when no dialog titled `title` came up.
template <typename Texts, std::size_t N>
std::map<int, QString> ShownValues(const ValueField<Texts> (&fields)[N], const QString& title,
                                   const std::function<void()>& run)
{
    std::map<int, QString> values;
    ModalDialogDriver driver([&](QDialog& dialog) {
        if (dialog.windowTitle() != title)
            return;
        for (const ValueField<Texts>& field : fields)
            values[field.id] = ValueText(dialog, field.id);
        Find<QPushButton>(dialog, 1)->click();
    });
    run();
    if (!driver.Ran())
        values.clear();
    return values;
}

// The shown values are the texts record's, field by field.
template <typename Texts, std::size_t N>
void ExpectTexts(const std::map<int, QString>& shown, const ValueField<Texts> (&fields)[N], const Texts& expected)
{
    QCOMPARE(shown.size(), N);
    for (const ValueField<Texts>& field : fields)
        QCOMPARE(shown.at(field.id), QString::fromStdString(expected.*field.text));
}

} // namespace tamr::qt::test
