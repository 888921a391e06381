#include "desktop/app/pictures.h"

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
    QIcon icon;
    icon.addPixmap(picture(QStringLiteral("program-icon"), QSize(16, 16)));
    icon.addPixmap(picture(QStringLiteral("program-icon"), QSize(32, 32)));
    icon.addPixmap(picture(QStringLiteral("program-icon"), QSize(64, 64)));
    return icon;
}

}  // namespace leafwright
