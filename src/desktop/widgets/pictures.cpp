#include "desktop/widgets/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

namespace leafwright {

QPixmap picture(const QString& name, QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pictures/") + name + QStringLiteral(".svg"));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    return pixmap;
}

QIcon pictureIcon(const QString& name) {
    return QIcon(QStringLiteral(":/pictures/") + name + QStringLiteral(".svg"));
}

QIcon programIcon() {
    return pictureIcon(QStringLiteral("program-icon"));
}

}  // namespace leafwright
