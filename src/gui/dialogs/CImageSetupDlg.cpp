#include "gui/dialogs/CImageSetupDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/dialogs/DialogControls.h"

namespace tamr::qt {

CImageSetupDlg::CImageSetupDlg(CodecSettings& settings, std::function<void()> compress, QWidget* parent)
    : QDialog(parent), settings_(settings), compress_(std::move(compress)), session_(settings),
      scrollBar_(new QScrollBar(Qt::Horizontal, this)), edit_(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Image Setup"));
    UseDialogFrame(*this);

    scrollBar_->setObjectName(ControlName(kScrollBarId));
    scrollBar_->setRange(kEasySetupMinimumQuality, kEasySetupMaximumQuality);
    scrollBar_->setMinimumWidth(DialogUnitsToPixels(*this, 120, 0).width());
    RouteScrollEvents(*scrollBar_, *this, [this](ScrollCode code, int thumbPosition) {
        session_.OnHScroll(code, thumbPosition);
        ShowSession();
        return session_.ScrollPosition();
    });

    edit_->setObjectName(ControlName(kEditId));
    edit_->setMaximumWidth(DialogUnitsToPixels(*this, 30, 0).width());
    connect(edit_, &QLineEdit::textChanged, this, &CImageSetupDlg::OnEditChanged);

    QPushButton* reset = MakeButton(QStringLiteral("Reset"), kResetId, this);
    QPushButton* test = MakeButton(QStringLiteral("Test"), kTestId, this);
    QPushButton* ok = MakeButton(QStringLiteral("OK"), 1, this);
    QPushButton* cancel = MakeButton(QStringLiteral("Cancel"), 2, this);
    ok->setDefault(true);
    connect(reset, &QPushButton::clicked, this, &CImageSetupDlg::OnReset);
    connect(test, &QPushButton::clicked, this, &CImageSetupDlg::OnTest);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The scroll bar and the number say nothing by themselves.
    auto* meaning = MakeStaticText(QStringLiteral("Quality factor (0 to 100; 100 is lossless)"),
                                   QStringLiteral("labelQuality"), this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(meaning, 0, 0, 1, 3);
    layout->addWidget(scrollBar_, 1, 0, 1, 2);
    layout->addWidget(edit_, 1, 2);
    layout->addWidget(reset, 2, 0);
    layout->addWidget(test, 2, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 3, 3, 1);

    ShowSession();
}

void CImageSetupDlg::OnEditChanged(const QString& text)
{
    if (showing_) {
        return;
    }
    session_.OnEditUpdate(text.toStdString());
    ShowSession();
}

void CImageSetupDlg::OnReset()
{
    session_.Reset();
    ShowSession();
}

void CImageSetupDlg::OnTest()
{
    session_.CopyTo(settings_);
    if (compress_) {
        compress_();
    }
}

void CImageSetupDlg::ShowSession()
{
    showing_ = true;
    const QString text = QString::fromStdString(session_.EditText());
    if (edit_->text() != text) {
        edit_->setText(text);
    }
    scrollBar_->setValue(session_.ScrollPosition());
    showing_ = false;
}

} // namespace tamr::qt
