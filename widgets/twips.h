#pragma once

#include <QRect>
#include <QString>
#include <utility>

class QWidget;

namespace rundel::widgets {

/// Window geometry is given in twips; the screen has 15 twips to a pixel.
[[nodiscard]] constexpr int px(int twips) {
    return twips / 15;
}

/// A rectangle given in twips, in pixels.
[[nodiscard]] constexpr QRect twips(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

/// A child control named @p name (its objectName) at @p geometry.
template <typename Widget, typename... Args>
Widget* make(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

} // namespace rundel::widgets
