// tamr: the desktop program.

#include <QApplication>

#include "app/qt/CMainFrame.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamr"));
    tamr::qt::CMainFrame mainFrame;
    mainFrame.show();
    return QApplication::exec();
}
