#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

namespace rundel::widgets {

/// The program's command button: a caption, an optional picture, optional own text colours
/// for the normal and the highlighted (hovered or pressed) state, a focus mark and a tooltip.
/// With IconAlign 0 it shows the picture alone.
class isButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int IconAlign READ IconAlign WRITE setIconAlign)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(QColor FontHighlightColor READ FontHighlightColor WRITE setFontHighlightColor)

public:
    explicit isButton(QWidget* parent = nullptr);
    isButton(const QString& caption, QWidget* parent = nullptr);

    [[nodiscard]] QString Caption() const { return text(); }
    void setCaption(const QString& caption);
    /// 0: the picture alone; 1: picture left of the caption; 2: caption only.
    [[nodiscard]] int IconAlign() const { return icon_align_; }
    void setIconAlign(int align);
    [[nodiscard]] QColor FontColor() const { return font_color_; }
    void setFontColor(const QColor& color);
    [[nodiscard]] QColor FontHighlightColor() const { return highlight_color_; }
    void setFontHighlightColor(const QColor& color);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int icon_align_ = 2;
    QColor font_color_;
    QColor highlight_color_;
    bool hovered_ = false;
};

} // namespace rundel::widgets
