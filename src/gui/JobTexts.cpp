#include "gui/JobTexts.h"

#include <QCoreApplication>

namespace tamr::qt {

QString JobDoneText()
{
    return QCoreApplication::translate("JobTexts", "Done.");
}

QString JobStoppedText()
{
    return QCoreApplication::translate("JobTexts", "Stopped.");
}

QString RateAxisTitle()
{
    return QCoreApplication::translate("JobTexts", "bits per pixel");
}

} // namespace tamr::qt
