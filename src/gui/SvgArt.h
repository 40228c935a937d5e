#pragma once
// The program's pictures are SVG files among its resources; these draw them
// at the sizes a widget needs without relying on an image plug-in.

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace tamr::qt {

// Transparent where the picture draws nothing; null when the file is missing.
QPixmap RenderSvg(const QString& path, QSize size);

// The picture at the usual tool bar and window icon sizes.
QIcon SvgIcon(const QString& path);

} // namespace tamr::qt
