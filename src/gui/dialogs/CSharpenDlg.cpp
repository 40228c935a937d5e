#include "gui/dialogs/CSharpenDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialogs/DialogControls.h"

namespace tamr::qt {
namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr std::array<SharpenBar, 3> kBars{SharpenBar::Top, SharpenBar::Middle, SharpenBar::Bottom};

} // namespace

CSharpenDlg::CSharpenDlg(SharpenSession& session, QWidget* parent) : QDialog(parent), session_(session)
{
    setWindowTitle(Text(kSharpenDialogTitle));
    UseDialogFrame(*this);

    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < kBars.size(); ++i) {
        const SharpenRowControls& controls = kSharpenRows[i];
        Row& row = rows_[i];
        row.label = MakeStaticText(QString(), ControlName(controls.labelId), this);
        row.bar = new QScrollBar(Qt::Horizontal, this);
        row.bar->setObjectName(ControlName(controls.scrollBarId));
        row.bar->setMinimumWidth(DialogUnitsToPixels(*this, 100, 0).width());
        row.percent = MakeStaticText(QString(), ControlName(controls.percentTextId), this);
        row.percent->setMinimumWidth(row.percent->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
        const SharpenBar bar = kBars[i];
        RouteScrollEvents(*row.bar, *this, [this, bar](ScrollCode code, int thumbPosition) {
            session_.OnHScroll(bar, code, thumbPosition);
            ShowRow(bar);
            return session_.Row(bar).position;
        });
        const int line = static_cast<int>(i);
        grid->addWidget(row.label, line, 0);
        grid->addWidget(row.bar, line, 1);
        grid->addWidget(row.percent, line, 2);
        ShowRow(bar);
    }
    grid->setColumnStretch(1, 1);

    QPushButton* ok = MakeButton(Text(kSharpenOkText), kSharpenOkId, this);
    QPushButton* cancel = MakeButton(Text(kSharpenCancelText), kSharpenCancelId, this);
    QPushButton* apply = MakeButton(Text(kSharpenApplyText), kSharpenApplyId, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply, &QPushButton::clicked, this, [this] { session_.Apply(); });

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ok, cancel, apply}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttons);

    resize(DialogUnitsToPixels(*this, kSharpenDialogWidthUnits, kSharpenDialogHeightUnits));
}

void CSharpenDlg::ShowRow(SharpenBar bar)
{
    const SharpenRowState& state = session_.Row(bar);
    Row& row = rows_[static_cast<std::size_t>(bar)];
    row.label->setText(QString::fromStdString(state.label));
    row.percent->setText(QString::fromStdString(state.percentText));
    row.bar->setRange(state.minimum, state.maximum);
    row.bar->setValue(state.position);
    // A gray image's lower rows stay visible but greyed.
    for (QWidget* control :
         {static_cast<QWidget*>(row.label), static_cast<QWidget*>(row.bar), static_cast<QWidget*>(row.percent)}) {
        control->setEnabled(state.enabled);
    }
}

} // namespace tamr::qt
