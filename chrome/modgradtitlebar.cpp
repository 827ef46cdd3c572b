#include "chrome/modgradtitlebar.h"

#include "chrome/captionbar.h"
#include "chrome/gradient.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMainWindow>
#include <QPainter>
#include <QStyleOptionTitleBar>

namespace rundel::chrome {
namespace {

modGradTitlebar::Colours g_colours;
QFont g_font;
bool g_loaded = false;

} // namespace

void modGradTitlebar::load_caption_colours() {
    const QPalette palette = QApplication::palette();
    g_colours.caption_text = palette.color(QPalette::Active, QPalette::HighlightedText);
    g_colours.active_caption = palette.color(QPalette::Active, QPalette::Highlight);
    g_colours.active_gradient_start = palette.color(QPalette::Active, QPalette::Button);
    g_colours.inactive_caption_text = palette.color(QPalette::Inactive, QPalette::WindowText);
    g_colours.inactive_caption = palette.color(QPalette::Inactive, QPalette::Mid);
    g_colours.inactive_gradient_start = palette.color(QPalette::Inactive, QPalette::Button);
    g_font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    g_font.setBold(true);
    g_loaded = true;
}

const modGradTitlebar::Colours& modGradTitlebar::colours() {
    if (!g_loaded) {
        load_caption_colours();
    }
    return g_colours;
}

const QFont& modGradTitlebar::caption_font() {
    if (!g_loaded) {
        load_caption_colours();
    }
    return g_font;
}

QString modGradTitlebar::caption_text(const QString& window_title) {
    qsizetype first = 0;
    while (first < window_title.size() && window_title.at(first) == QLatin1Char(' ')) {
        ++first;
    }
    return window_title.mid(first);
}

QString modGradTitlebar::shown_text(const QString& window_title, int width) {
    return QFontMetrics(caption_font())
        .elidedText(caption_text(window_title), Qt::ElideRight, width);
}

QImage modGradTitlebar::paint_caption(int width, const QString& text, const QIcon& icon,
                                      bool active, const CaptionGeometry::Style& style,
                                      bool maximized) {
    const Colours& c = colours();
    const QColor colour1 = active ? c.active_caption : c.inactive_caption;
    const QColor colour2 = active ? c.active_gradient_start : c.inactive_gradient_start;
    const int F = kFrame;
    const int H = kCaptionHeight;
    const CaptionGeometry g =
        CaptionGeometry::compute(width, H, kButtonWidth, F, style, maximized, !icon.isNull());
    QImage picture(std::max(1, width), 50, QImage::Format_ARGB32_Premultiplied);
    picture.fill(colour1);
    QPainter painter(&picture);
    const std::vector<QColor> gradient = build_gradient(colour2, colour1, H);
    for (int i = 0; i <= H - 2; ++i) {
        painter.setPen(gradient[static_cast<std::size_t>(i)]);
        painter.drawLine(F, F + i, width - 1, F + i);
    }
    if (!icon.isNull()) {
        icon.paint(&painter, g.icon);
    }
    painter.setFont(caption_font());
    painter.setPen(colour1 == c.active_caption ? c.caption_text : c.inactive_caption_text);
    painter.drawText(g.text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     shown_text(text, g.text.width()));

    // The caption buttons, drawn by the style the rest of the program uses.
    QStyle* style_engine = QApplication::style();
    for (const CaptionGeometry::ButtonPlace& place : g.buttons) {
        QStyle::StandardPixmap glyph = QStyle::SP_TitleBarCloseButton;
        switch (place.button) {
        case CaptionGeometry::Button::Close:
            glyph = QStyle::SP_TitleBarCloseButton;
            break;
        case CaptionGeometry::Button::Maximize:
            glyph = QStyle::SP_TitleBarMaxButton;
            break;
        case CaptionGeometry::Button::Restore:
            glyph = QStyle::SP_TitleBarNormalButton;
            break;
        case CaptionGeometry::Button::Minimize:
            glyph = QStyle::SP_TitleBarMinButton;
            break;
        }
        QStyleOptionButton option;
        option.rect = place.rect;
        option.state =
            place.enabled ? QStyle::State_Enabled | QStyle::State_Raised : QStyle::State_Raised;
        style_engine->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter);
        painter.fillRect(place.rect.adjusted(1, 1, -1, -1), QColor(0xf0, 0xf0, 0xf0));
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(place.rect.adjusted(0, 0, -1, -1));
        const QIcon button_icon = style_engine->standardIcon(glyph);
        button_icon.paint(&painter, place.rect.adjusted(3, 3, -3, -3), Qt::AlignCenter,
                          place.enabled ? QIcon::Normal : QIcon::Disabled);
    }
    return picture;
}

void hook_window(QMainWindow& window) {
    modGradTitlebar::load_caption_colours();
    if (window.findChild<CaptionBar*>() != nullptr) {
        return;
    }
    auto* bar = new CaptionBar(window);
    bar->install();
}

void unhook_window(QMainWindow& window) {
    if (auto* bar = window.findChild<CaptionBar*>()) {
        bar->uninstall();
        bar->deleteLater();
    }
}

} // namespace rundel::chrome
