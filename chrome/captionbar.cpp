#include "chrome/captionbar.h"

#include "chrome/modgradtitlebar.h"

#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

namespace rundel::chrome {
namespace {
constexpr int F = modGradTitlebar::kFrame;
constexpr int H = modGradTitlebar::kCaptionHeight;
} // namespace

CaptionBar::CaptionBar(QMainWindow& window) : QWidget(&window), window_(window) {
    setObjectName(QStringLiteral("captionBar"));
    setFixedHeight(F + H - 1);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CaptionBar::install() {
    const bool visible = window_.isVisible();
    window_.setWindowFlag(Qt::FramelessWindowHint, true);
    // The caption goes above the menu bar, both in the window's menu area.
    menu_bar_ = window_.menuBar();
    holder_ = new QWidget(&window_);
    auto* layout = new QVBoxLayout(holder_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setParent(holder_);
    layout->addWidget(this);
    layout->addWidget(menu_bar_);
    window_.setMenuWidget(holder_);
    window_.setContentsMargins(F, 0, F, F);
    window_.setMouseTracking(true);
    window_.installEventFilter(this);
    if (visible) {
        window_.show();
    }
}

void CaptionBar::uninstall() {
    window_.removeEventFilter(this);
    window_.setContentsMargins(0, 0, 0, 0);
    window_.setWindowFlag(Qt::FramelessWindowHint, false);
}

CaptionGeometry CaptionBar::geometry_now() const {
    CaptionGeometry::Style style;
    return CaptionGeometry::compute(window_.width(), H, modGradTitlebar::kButtonWidth, F, style,
                                    window_.isMaximized(), !window_.windowIcon().isNull());
}

void CaptionBar::paintEvent(QPaintEvent* /*event*/) {
    CaptionGeometry::Style style;
    const QImage picture =
        modGradTitlebar::paint_caption(window_.width(), window_.windowTitle(), window_.windowIcon(),
                                       window_.isActiveWindow(), style, window_.isMaximized());
    QPainter painter(this);
    // One copy of the composed caption; the frame rows above it are the gradient's own colour.
    painter.drawImage(QPoint(0, 0), picture, QRect(F, 0, width(), height()));
}

void CaptionBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint() + QPoint(F, 0);
    for (const CaptionGeometry::ButtonPlace& place : geometry_now().buttons) {
        if (place.rect.contains(at)) {
            if (!place.enabled) {
                return;
            }
            switch (place.button) {
            case CaptionGeometry::Button::Close:
                window_.close();
                break;
            case CaptionGeometry::Button::Minimize:
                window_.showMinimized();
                break;
            case CaptionGeometry::Button::Maximize:
            case CaptionGeometry::Button::Restore:
                toggle_maximized();
                break;
            }
            return;
        }
    }
    const Qt::Edges edges = edges_at(mapTo(&window_, event->position().toPoint()));
    if (edges != Qt::Edges() && !window_.isMaximized() && window_.windowHandle() != nullptr) {
        window_.windowHandle()->startSystemResize(edges);
        return;
    }
    if (!window_.isMaximized() && window_.windowHandle() != nullptr) {
        window_.windowHandle()->startSystemMove();
    }
}

void CaptionBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        toggle_maximized();
    }
}

void CaptionBar::toggle_maximized() {
    if (window_.isMaximized()) {
        window_.showNormal();
    } else {
        window_.showMaximized();
    }
}

Qt::Edges CaptionBar::edges_at(const QPoint& pos) const {
    Qt::Edges edges;
    if (pos.x() < F) {
        edges |= Qt::LeftEdge;
    }
    if (pos.x() >= window_.width() - F) {
        edges |= Qt::RightEdge;
    }
    if (pos.y() < F) {
        edges |= Qt::TopEdge;
    }
    if (pos.y() >= window_.height() - F) {
        edges |= Qt::BottomEdge;
    }
    return edges;
}

bool CaptionBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::WindowTitleChange:
    case QEvent::WindowStateChange:
    case QEvent::Resize:
        update();
        break;
    case QEvent::MouseMove:
    case QEvent::HoverMove: {
        const auto* mouse = static_cast<QSinglePointEvent*>(event);
        const Qt::Edges edges =
            window_.isMaximized() ? Qt::Edges() : edges_at(mouse->position().toPoint());
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge)) {
            window_.setCursor(Qt::SizeFDiagCursor);
        } else if (edges == (Qt::RightEdge | Qt::TopEdge) ||
                   edges == (Qt::LeftEdge | Qt::BottomEdge)) {
            window_.setCursor(Qt::SizeBDiagCursor);
        } else if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
            window_.setCursor(Qt::SizeHorCursor);
        } else if (edges & (Qt::TopEdge | Qt::BottomEdge)) {
            window_.setCursor(Qt::SizeVerCursor);
        } else {
            window_.unsetCursor();
        }
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::Edges edges = edges_at(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && edges != Qt::Edges() && !window_.isMaximized() &&
            window_.windowHandle() != nullptr) {
            window_.windowHandle()->startSystemResize(edges);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace rundel::chrome
