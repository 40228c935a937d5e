#include "gui/dialogs/CMasterSetupDlg.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialogs/DialogControls.h"
#include "gui/dialogs/HelpPageDialog.h"

namespace tamr::qt {
namespace {

using enum MasterSetupField;

struct FieldControl {
    MasterSetupField field;
    int id;
    const char* label;
};

constexpr FieldControl kTotalLevels{TotalLevels, 1003, "Total Levels"};
constexpr FieldControl kThreshold{Threshold, 1008, "Threshold Vector"};
constexpr std::array<FieldControl, 3> kQuantize{{
    {QuantizeA, 1009, "A Level"},
    {QuantizeB, 1010, "B Level"},
    {QuantizeC, 1011, "C Level"},
}};
constexpr std::array<FieldControl, 3> kDiscard{{
    {DiscardA, 1004, "A Level"},
    {DiscardB, 1005, "B Level"},
    {DiscardC, 1006, "C Level"},
}};
constexpr std::array<FieldControl, 3> kSample{{
    {SampleA, 1013, "A Sample"},
    {SampleB, 1014, "B Sample"},
    {SampleC, 1015, "C Sample"},
}};

// The most decomposition levels the rules accept.
constexpr int kMostLevels = 6;

bool IsVector(MasterSetupField field)
{
    return field == QuantizeA || field == QuantizeB || field == QuantizeC || field == Threshold;
}

} // namespace

int CMasterSetupDlg::FieldId(MasterSetupField field)
{
    for (const FieldControl& control : {kTotalLevels, kThreshold}) {
        if (control.field == field) {
            return control.id;
        }
    }
    for (const auto& group : {kQuantize, kDiscard, kSample}) {
        for (const FieldControl& control : group) {
            if (control.field == field) {
                return control.id;
            }
        }
    }
    return 0;
}

CMasterSetupDlg::CMasterSetupDlg(CodecSettings& settings, Prompter& prompter, std::function<void()> compress,
                                 QWidget* parent)
    : QDialog(parent), settings_(settings), prompter_(prompter), compress_(std::move(compress))
{
    setWindowTitle(QStringLiteral("Master Setup"));
    UseDialogFrame(*this);
    const MasterSetupForm form = ToForm(FromSettings(settings));

    // One labelled edit in a grid row; vector edits are wide and take at most
    // as many characters as the values allow.
    auto addField = [&](QGridLayout& grid, int row, const FieldControl& control, QWidget* owner) {
        auto* edit = new QLineEdit(QString::fromStdString(form[control.field]), owner);
        edit->setObjectName(ControlName(control.id));
        if (IsVector(control.field)) {
            edit->setMaxLength(kMasterSetupVectorTextLimit);
            // The entries are padded to three columns; a fixed pitch lines them
            // up, and the edit shows all of six levels' entries.
            edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            const int longest = 4 * (3 * kMostLevels + 1);
            edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(longest, QLatin1Char('0'))) +
                                  edit->fontMetrics().averageCharWidth() * 2);
            edit->setCursorPosition(0);
        } else {
            edit->setMaximumWidth(DialogUnitsToPixels(*this, 30, 0).width());
        }
        grid.addWidget(MakeStaticText(QString::fromUtf8(control.label), LabelName(control.id), owner), row, 0);
        grid.addWidget(edit, row, 1);
        edits_[static_cast<std::size_t>(control.field)] = edit;
    };
    auto makeGroup = [&](const char* title, const QString& name, const std::array<FieldControl, 3>& controls) {
        auto* group = new QGroupBox(QString::fromUtf8(title), this);
        group->setObjectName(name);
        auto* grid = new QGridLayout(group);
        for (int row = 0; row < 3; ++row) {
            addField(*grid, row, controls[static_cast<std::size_t>(row)], group);
        }
        return group;
    };

    auto* totals = new QGridLayout;
    addField(*totals, 0, kTotalLevels, this);
    totals->setColumnStretch(2, 1);
    QGroupBox* quantize = makeGroup("Quantize Vectors", QStringLiteral("groupQuantizeVectors"), kQuantize);
    auto* threshold = new QGridLayout;
    addField(*threshold, 0, kThreshold, this);
    QGroupBox* discard = makeGroup("Levels to Discard", QStringLiteral("groupLevelsToDiscard"), kDiscard);
    QGroupBox* sample = makeGroup("Levels to Sample", QStringLiteral("groupLevelsToSample"), kSample);

    QPushButton* ok = MakeButton(QStringLiteral("OK"), 1, this);
    QPushButton* cancel = MakeButton(QStringLiteral("Cancel"), 2, this);
    QPushButton* test = MakeButton(QStringLiteral("Test Setting"), kTestSettingId, this);
    QPushButton* resetDefault = MakeButton(QStringLiteral("Reset Default"), kResetDefaultId, this);
    QPushButton* help = MakeButton(QStringLiteral("Help"), kHelpId, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CMasterSetupDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(test, &QPushButton::clicked, this, &CMasterSetupDlg::OnTestSetting);
    connect(resetDefault, &QPushButton::clicked, this, &CMasterSetupDlg::OnResetDefault);
    connect(help, &QPushButton::clicked, this, [this] { ShowHelpPage(QStringLiteral("quality.html"), this); });

    auto* levels = new QHBoxLayout;
    levels->addWidget(discard);
    levels->addWidget(sample);
    auto* fields = new QVBoxLayout;
    fields->addLayout(totals);
    fields->addWidget(quantize);
    fields->addLayout(threshold);
    fields->addLayout(levels);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ok, cancel, test, resetDefault, help}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

MasterSetupForm CMasterSetupDlg::Form() const
{
    MasterSetupForm form;
    for (std::size_t i = 0; i < kMasterSetupFieldCount; ++i) {
        form.texts[i] = edits_[i]->text().toStdString();
    }
    return form;
}

std::optional<MasterSetupValues> CMasterSetupDlg::Read()
{
    const MasterSetupReading reading = ReadMasterSetupForm(Form(), prompter_);
    if (reading.refusedField) {
        QLineEdit* edit = Edit(*reading.refusedField);
        edit->setFocus();
        edit->selectAll();
    }
    return reading.values;
}

void CMasterSetupDlg::accept()
{
    accepted_ = Read();
    if (accepted_) {
        QDialog::accept();
    }
}

void CMasterSetupDlg::OnResetDefault()
{
    // The edits only: the settings change when OK or Test Setting accepts them.
    const MasterSetupForm form = ToForm(FromSettings(CodecSettings{}));
    for (std::size_t i = 0; i < kMasterSetupFieldCount; ++i) {
        edits_[i]->setText(QString::fromStdString(form.texts[i]));
        edits_[i]->setCursorPosition(0);
    }
}

void CMasterSetupDlg::OnTestSetting()
{
    if (const std::optional<MasterSetupValues> values = Read()) {
        ApplyMasterSetup(*values, settings_);
        if (compress_) {
            compress_();
        }
    }
}

} // namespace tamr::qt
