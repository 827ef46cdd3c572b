#pragma once

#include "chrome/captiongeometry.h"

#include <QWidget>

class QMainWindow;
class QMenuBar;

namespace rundel::chrome {

/// The caption bar widget over a frameless main window, with the window's sizing edges.
class CaptionBar : public QWidget {
    Q_OBJECT

public:
    explicit CaptionBar(QMainWindow& window);

    void install();
    void uninstall();

    [[nodiscard]] CaptionGeometry geometry_now() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] Qt::Edges edges_at(const QPoint& pos) const;
    void toggle_maximized();

    QMainWindow& window_;
    QWidget* holder_ = nullptr;
    QMenuBar* menu_bar_ = nullptr;
};

} // namespace rundel::chrome
