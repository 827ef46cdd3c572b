#include "chrome/captiongeometry.h"

namespace rundel::chrome {

CaptionGeometry CaptionGeometry::compute(int width, int caption_height, int button_width, int frame,
                                         const Style& style, bool maximized, bool has_icon) {
    const int W = width;
    const int H = caption_height;
    const int B = button_width;
    const int F = frame;
    CaptionGeometry g;
    g.band = QRect(F, F, W - F, H - 1);
    int text_left = F + 2;
    if (has_icon) {
        g.icon = QRect(F + 1, F + 1, B - 2, B - 2);
        text_left = F + B + 4;
    }
    const int text_right = F + W - (style.dialog_frame ? 8 : 10);
    g.text = QRect(QPoint(text_left, F), QPoint(text_right - 1, F + H - 2));
    g.copied = QRect(F, F, W - (style.dialog_frame ? 6 : 8), H - 1);
    if (!style.system_menu) {
        return g;
    }
    const int right = W - F - 2;
    QRect place(QPoint(right - B + 2, F + 2), QPoint(right - 1, F + 2 + H - 5 - 1));
    g.buttons.push_back({Button::Close, place, true});
    if (!style.maximize_box && !style.minimize_box) {
        return g;
    }
    place.translate(-B, 0);
    const Button size_button = maximized ? Button::Restore : Button::Maximize;
    g.buttons.push_back({size_button, place, style.maximize_box});
    place.translate(-(B - 2), 0);
    g.buttons.push_back({Button::Minimize, place, style.minimize_box});
    return g;
}

} // namespace rundel::chrome
