#pragma once

#include "chrome/captiongeometry.h"

#include <QColor>
#include <QFont>
#include <QImage>

class QMainWindow;

namespace rundel::chrome {

/// The painted caption bar of the main window. This platform has no window subclassing: the
/// window goes frameless and a caption bar widget of ours takes the system caption's place.
///
/// The colours stand in for the system's caption colours, read once at hook_window:
///   active caption              QPalette::Active   Highlight
///   inactive caption            QPalette::Inactive Mid
///   active caption text         QPalette::Active   HighlightedText
///   inactive caption text       QPalette::Inactive WindowText
///   gradient start (both states, the scroll-bar colour) QPalette::Button
/// and the caption font is the system title font.
class modGradTitlebar {
public:
    struct Colours {
        QColor active_caption;
        QColor inactive_caption;
        QColor caption_text;
        QColor inactive_caption_text;
        QColor active_gradient_start;
        QColor inactive_gradient_start;
    };

    /// Reads the colours and the caption font, as hook_window does.
    static void load_caption_colours();
    [[nodiscard]] static const Colours& colours();
    [[nodiscard]] static const QFont& caption_font();

    /// Frame width, caption height and caption button width, in pixels.
    static constexpr int kFrame = 4;
    static constexpr int kCaptionHeight = 24;
    static constexpr int kButtonWidth = 24;

    /// Draws the caption of a window @p width wide into a picture 50 pixels high, as one
    /// off-screen composition that is then copied to the screen in one step.
    [[nodiscard]] static QImage paint_caption(int width, const QString& text, const QIcon& icon,
                                              bool active, const CaptionGeometry::Style& style,
                                              bool maximized);

    /// The caption text as drawn: leading blanks dropped, trailing ones kept.
    [[nodiscard]] static QString caption_text(const QString& window_title);
    /// The caption text cut with an ellipsis to fit @p width pixels of the caption font.
    [[nodiscard]] static QString shown_text(const QString& window_title, int width);
};

/// Gives @p window the painted caption bar, sizing edges and caption behaviour.
void hook_window(QMainWindow& window);
/// Gives the window its system frame back.
void unhook_window(QMainWindow& window);

} // namespace rundel::chrome
