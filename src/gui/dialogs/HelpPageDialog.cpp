#include "gui/dialogs/HelpPageDialog.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tamr::qt {

HelpPageDialog::HelpPageDialog(const QString& page, QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("TAMR Help"));
    browser_->setOpenLinks(true);
    browser_->setSource(QUrl(QStringLiteral("qrc:/res/help/") + page));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    resize(560, 480);
}

void ShowHelpPage(const QString& page, QWidget* parent)
{
    HelpPageDialog dialog(page, parent);
    dialog.exec();
}

} // namespace tamr::qt
