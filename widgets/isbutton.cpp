#include "widgets/isbutton.h"

#include <QEnterEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

namespace rundel::widgets {

isButton::isButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

isButton::isButton(const QString& caption, QWidget* parent) : isButton(parent) {
    setCaption(caption);
}

void isButton::setCaption(const QString& caption) {
    // A tooltip that only repeated the old caption follows the new one; one of its own stays.
    const bool tip_follows = toolTip().isEmpty() || toolTip() == text();
    setText(caption);
    if (tip_follows) {
        setToolTip(caption);
    }
    update();
}

void isButton::setIconAlign(int align) {
    icon_align_ = align;
    update();
}

void isButton::setFontColor(const QColor& color) {
    font_color_ = color;
    update();
}

void isButton::setFontHighlightColor(const QColor& color) {
    highlight_color_ = color;
    update();
}

QSize isButton::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 24, metrics.height() + 12};
}

void isButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void isButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void isButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPalette& pal = palette();
    const bool down = isDown() || isChecked();
    const bool enabled = isEnabled();

    QLinearGradient fill(frame.topLeft(), frame.bottomLeft());
    const QColor base = pal.color(QPalette::Button);
    if (!enabled) {
        fill.setColorAt(0, base);
        fill.setColorAt(1, base);
    } else if (down) {
        fill.setColorAt(0, base.darker(118));
        fill.setColorAt(1, base.darker(106));
    } else {
        fill.setColorAt(0, hovered_ ? base.lighter(112) : base.lighter(106));
        fill.setColorAt(1, hovered_ ? base : base.darker(104));
    }
    QPainterPath path;
    path.addRoundedRect(frame, 3, 3);
    painter.fillPath(path, fill);
    painter.setPen(
        QPen(hovered_ && enabled ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid), 1));
    painter.drawPath(path);

    QColor text_color =
        pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    if (enabled && font_color_.isValid()) {
        text_color = font_color_;
    }
    if (enabled && (hovered_ || down) && highlight_color_.isValid()) {
        text_color = highlight_color_;
    }

    QRect content = rect().adjusted(4, 2, -4, -2);
    if (down) {
        content.translate(1, 1);
    }
    const QIcon picture = icon();
    if (!picture.isNull() && icon_align_ != 2) {
        const int side = std::min(content.height(), content.width()) - (icon_align_ == 0 ? 4 : 6);
        const QSize size(side, side);
        const QIcon::Mode mode = enabled ? QIcon::Normal : QIcon::Disabled;
        if (icon_align_ == 0) {
            picture.paint(&painter, QRect(content.center() - QPoint(side / 2, side / 2), size),
                          Qt::AlignCenter, mode);
        } else {
            picture.paint(&painter,
                          QRect(content.left() + 2, content.center().y() - side / 2, side, side),
                          Qt::AlignCenter, mode);
            content.setLeft(content.left() + side + 6);
        }
    }
    if (icon_align_ != 0 && !text().isEmpty()) {
        painter.setPen(text_color);
        painter.drawText(content, Qt::AlignCenter | Qt::TextWordWrap, text());
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace rundel::widgets
