#include "panels/arrowicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace rundel::panels {

QIcon arrow_icon(int dx, int dy) {
    constexpr int kSize = 64;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kSize / 2.0, kSize / 2.0);
    const QColor ink(0x2b, 0x55, 0x8c);
    if (dx == 0 && dy == 0) {
        painter.setPen(QPen(ink, 5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(0, 0), 17, 17);
        painter.setBrush(ink);
        painter.drawEllipse(QPointF(0, 0), 6, 6);
        return QIcon(pixmap);
    }
    // An arrow drawn pointing up, then turned to its direction.
    painter.rotate(std::atan2(static_cast<double>(dx), static_cast<double>(-dy)) * 180.0 / M_PI);
    QPainterPath arrow;
    arrow.moveTo(0, -26);
    arrow.lineTo(20, -4);
    arrow.lineTo(8, -4);
    arrow.lineTo(8, 24);
    arrow.lineTo(-8, 24);
    arrow.lineTo(-8, -4);
    arrow.lineTo(-20, -4);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(ink);
    painter.drawPath(arrow);
    return QIcon(pixmap);
}

} // namespace rundel::panels
