#include "gui/dialogs/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "gui/SvgArt.h"
#include "gui/dialogs/DialogControls.h"

namespace tamr::qt {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About tamr"));
    UseDialogFrame(*this);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("aboutPicture"));
    picture->setPixmap(RenderSvg(QStringLiteral(":/res/icons/about.svg"), QSize(64, 64)));
    picture->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(QStringLiteral("TAMR Version 2.6"), this);
    version->setObjectName(QStringLiteral("aboutVersion"));
    auto* built = new QLabel(QStringLiteral("Wavelet image compression workbench\nBuilt on July 8, 1996"), this);
    built->setObjectName(QStringLiteral("aboutBuilt"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(picture, 0, 0, 2, 1);
    layout->addWidget(version, 0, 1);
    layout->addWidget(built, 1, 1);
    layout->addWidget(buttons, 0, 2, 2, 1, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace tamr::qt
