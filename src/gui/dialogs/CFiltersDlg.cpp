#include "gui/dialogs/CFiltersDlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "document/TamrDoc.h"
#include "enhance/FiltersDialogTexts.h"
#include "gui/dialogs/DialogControls.h"

namespace tamr::qt {
namespace {

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The wait cursor with the mouse held by the dialog, for as long as a filter runs.
class BusyWhileFiltering {
public:
    explicit BusyWhileFiltering(QWidget& dialog) : dialog_(dialog)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (dialog_.isVisible()) {
            dialog_.grabMouse();
            grabbed_ = true;
        }
    }
    ~BusyWhileFiltering()
    {
        if (grabbed_) {
            dialog_.releaseMouse();
        }
        QApplication::restoreOverrideCursor();
    }
    BusyWhileFiltering(const BusyWhileFiltering&) = delete;
    BusyWhileFiltering& operator=(const BusyWhileFiltering&) = delete;

private:
    QWidget& dialog_;
    bool grabbed_ = false;
};

} // namespace

CFiltersDlg::CFiltersDlg(FiltersSession& session, std::function<void()> imageChanged, QWidget* parent)
    : QDialog(parent), session_(session), imageChanged_(std::move(imageChanged)), list_(new QListWidget(this))
{
    setWindowTitle(Text(kFiltersTitle));
    UseDialogFrame(*this);

    auto* listGroup = new QGroupBox(Text(kFilterListGroup), this);
    listGroup->setObjectName(QStringLiteral("groupFilterList"));
    list_->setObjectName(ControlName(kFilterListId));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const FilterEntry& entry : FilterList()) {
        list_->addItem(Text(entry.name));
    }
    // Wide enough for the longest name next to the list's scroll bar.
    list_->setMinimumWidth(list_->sizeHintForColumn(0) + list_->verticalScrollBar()->sizeHint().width() +
                           2 * list_->frameWidth() + list_->fontMetrics().averageCharWidth());
    if (session_.Selection() != FiltersSession::kNoSelection) {
        list_->setCurrentRow(session_.Selection());
    }
    (new QVBoxLayout(listGroup))->addWidget(list_);

    // Plain text edits: whatever is typed goes to the session as it is.
    auto makeEdit = [this](FilterEdit field, QWidget* group) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(ControlName(kFilterEditIds[field]));
        edit->setMaximumWidth(DialogUnitsToPixels(*this, 30, 0).width());
        connect(edit, &QLineEdit::textEdited, this,
                [this, field](const QString& text) { session_.SetEditText(field, text.toStdString()); });
        edits_[field] = edit;
        return edit;
    };

    auto* multipliers = new QGroupBox(Text(kMultipliersGroup), this);
    multipliers->setObjectName(QStringLiteral("groupMultipliers"));
    auto* grid = new QGridLayout(multipliers);
    for (std::size_t i = kEditK0; i <= kEditK8; ++i) {
        grid->addWidget(makeEdit(static_cast<FilterEdit>(i), multipliers), static_cast<int>(i / 3),
                        static_cast<int>(i % 3));
    }
    auto* divisor = new QGroupBox(Text(kDivisorGroup), this);
    divisor->setObjectName(QStringLiteral("groupDivisor"));
    (new QVBoxLayout(divisor))->addWidget(makeEdit(kEditDivisor, divisor));
    auto* intensity = new QGroupBox(Text(kIntensityGroup), this);
    intensity->setObjectName(QStringLiteral("groupIntensity"));
    (new QVBoxLayout(intensity))->addWidget(makeEdit(kEditIntensity, intensity));

    QPushButton* ok = MakeButton(Text(kOkButton), 1, this);
    QPushButton* cancel = MakeButton(Text(kCancelButton), 2, this);
    QPushButton* defaults = MakeButton(Text(kDefaultButton), kDefaultButtonId, this);
    QPushButton* apply = MakeButton(Text(kApplyButton), kApplyButtonId, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, &CFiltersDlg::OnDefault);
    connect(apply, &QPushButton::clicked, this, &CFiltersDlg::OnApply);
    connect(list_, &QListWidget::itemSelectionChanged, this, &CFiltersDlg::OnSelectionChanged);

    auto* numbers = new QVBoxLayout;
    numbers->addWidget(multipliers);
    auto* single = new QHBoxLayout;
    single->addWidget(divisor);
    single->addWidget(intensity);
    numbers->addLayout(single);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ok, cancel, defaults, apply}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(listGroup);
    layout->addLayout(numbers);
    layout->addLayout(buttons);

    ShowEditTexts();
    resize(DialogUnitsToPixels(*this, 272, 121));
}

void CFiltersDlg::OnSelectionChanged()
{
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    session_.Select(selected.isEmpty() ? FiltersSession::kNoSelection : list_->row(selected.front()));
    ShowEditTexts();
}

void CFiltersDlg::OnDefault()
{
    session_.LoadDefaults();
    ShowEditTexts();
}

void CFiltersDlg::OnApply()
{
    {
        const BusyWhileFiltering busy(*this);
        session_.Apply();
    }
    if (imageChanged_) {
        imageChanged_();
    }
}

void CFiltersDlg::ShowEditTexts()
{
    for (std::size_t i = 0; i < kFilterEditCount; ++i) {
        edits_[i]->setText(QString::fromStdString(session_.EditText(static_cast<FilterEdit>(i))));
    }
}

void RunFiltersCommand(QWidget* parent, CTamrDoc& document, Prompter& prompter,
                       const std::function<void()>& imageChanged, FiltersSession::BlockAllocator allocate)
{
    CDibImage* image = document.Image();
    if (!image || !image->HasPixels()) {
        return;
    }
    std::optional<FiltersSession> session =
        FiltersSession::Open(image->WorkingView(), image->IsColour() != 0, prompter, allocate);
    if (!session) {
        return;
    }
    FiltersClosed closed;
    {
        CFiltersDlg dialog(*session, imageChanged, parent);
        closed = dialog.exec() == QDialog::Accepted ? session->Ok() : session->Cancel();
    }
    document.SetImageEdited(closed.imageEdited != 0);
    if (closed.imageChanged && imageChanged) {
        imageChanged();
    }
}

} // namespace tamr::qt
