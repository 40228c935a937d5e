#include "gui/dialogs/ZoomDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "gui/dialogs/DialogControls.h"

namespace tamr::qt {

namespace {

constexpr int kLargestFactor = 16;

} // namespace

CZoomDialog::CZoomDialog(QWidget* parent, const QString& caption, const QStringList& entries)
    : QDialog(parent), list_(new QComboBox(this))
{
    setWindowTitle(caption);
    UseDialogFrame(*this);
    list_->addItems(entries);
    // Like the list it stands for, nothing is chosen until the user picks an entry.
    list_->setCurrentIndex(-1);
    list_->setMaxVisibleItems(entries.size());
    list_->setMinimumContentsLength(6);

    // The dialog owns its children.
    auto* buttons = new QDialogButtonBox(this); // NOLINT(cppcoreguidelines-owning-memory)
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QHBoxLayout(this); // NOLINT(cppcoreguidelines-owning-memory)
    layout->addWidget(list_, 0, Qt::AlignTop);
    buttons->setOrientation(Qt::Vertical);
    layout->addWidget(buttons);
}

QString CZoomDialog::ZoomText() const
{
    return list_->currentIndex() < 0 ? QString() : list_->currentText();
}

CZoomInDlg::CZoomInDlg(QWidget* parent) : CZoomDialog(parent, tr("Zoom in"), Entries()) {}

QStringList CZoomInDlg::Entries()
{
    QStringList entries{QStringLiteral("none")};
    for (int n = 2; n <= kLargestFactor; ++n)
        entries << QStringLiteral("%1:1").arg(n);
    return entries;
}

CZoomOutDlg::CZoomOutDlg(QWidget* parent) : CZoomDialog(parent, tr("Zoom out"), Entries()) {}

QStringList CZoomOutDlg::Entries()
{
    QStringList entries{QStringLiteral("none")};
    for (int n = 2; n <= kLargestFactor; ++n)
        entries << QStringLiteral("1:%1").arg(n);
    return entries;
}

} // namespace tamr::qt
