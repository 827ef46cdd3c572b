#include "chrome/appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace rundel::chrome {

QIcon app_icon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 64.0, size / 64.0);
        painter.setBrush(QColor(0x2b, 0x6c, 0xb0));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        const QPointF points[] = {{16, 18}, {46, 14}, {50, 44}, {20, 50}};
        QPainterPath route;
        route.moveTo(points[0]);
        for (const QPointF& p : points) {
            route.lineTo(p);
        }
        route.closeSubpath();
        painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(route);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xe8, 0x4a, 0x3c));
        for (const QPointF& p : points) {
            painter.drawEllipse(p, 6, 6);
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace rundel::chrome
