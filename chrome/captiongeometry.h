#pragma once

#include <QRect>
#include <vector>

namespace rundel::chrome {

/// What a caption bar shows and where, in window coordinates.
struct CaptionGeometry {
    enum class Button { Close, Maximize, Restore, Minimize };
    struct ButtonPlace {
        Button button;
        QRect rect;
        bool enabled;
    };

    /// The window's style, as the caption is drawn for it.
    struct Style {
        bool system_menu = true; ///< has caption buttons at all
        bool maximize_box = true;
        bool minimize_box = true;
        bool dialog_frame = false; ///< the thinner frame of dialogs
    };

    /// @param width window width W; @param caption_height H; @param button_width B;
    /// @param frame F; @param has_icon whether the small icon is drawn.
    [[nodiscard]] static CaptionGeometry compute(int width, int caption_height, int button_width,
                                                 int frame, const Style& style, bool maximized,
                                                 bool has_icon);

    QRect band; ///< the gradient rows: x from F, y from F, H - 1 rows
    QRect icon; ///< empty without an icon
    QRect text; ///< the caption text (single line, vertically centred, ellipsis)
    std::vector<ButtonPlace> buttons; ///< right to left: close, then maximise or restore, minimise
    QRect copied;                     ///< what is copied from the off-screen picture to the window
};

} // namespace rundel::chrome
