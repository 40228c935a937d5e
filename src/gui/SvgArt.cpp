#include "gui/SvgArt.h"

#include <QPainter>
#include <QSvgRenderer>

namespace tamr::qt {

QPixmap RenderSvg(const QString& path, QSize size)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon SvgIcon(const QString& path)
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64}) {
        const QPixmap pixmap = RenderSvg(path, QSize(side, side));
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace tamr::qt
