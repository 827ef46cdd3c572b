#include "shell/webviewmapcapture.h"

#include "bridge/webenginepage.h"

#include <QTimer>
#include <QWebEngineView>

namespace rundel::shell {
namespace {

/// The page is asked whether it painted every 30 ms, for at most 3 s.
constexpr int kPaintQuestionMs = 30;
constexpr int kPaintQuestions = 100;

} // namespace

WebViewMapCapture::WebViewMapCapture(QWebEngineView& view, bridge::WebEnginePage& page,
                                     std::function<void()> prepare)
    : view_(view), page_(page), prepare_(std::move(prepare)) {}

QRect WebViewMapCapture::picture_rect(const QSize& size) {
    // At the start-up size the view is 537 x 569: the picture leaves 16 px left, 17 right,
    // 32 above (the page's own controls) and 33 below (scale and credits).
    return {16, 32, std::max(0, size.width() - 33), std::max(0, size.height() - 65)};
}

void WebViewMapCapture::capture(QObject* context, std::function<void(const QImage&)> done) {
    if (prepare_) {
        prepare_();
    }
    if (!page_.is_loaded()) {
        done({});
        return;
    }
    // Let the page draw its latest state: two animation frames, then the compositor's update.
    // The page's own buttons and credits stay out of the picture.
    page_.run(QStringLiteral("document.documentElement.classList.add('capturing');"
                             "window.__rundelPainted=false;requestAnimationFrame(function(){"
                             "requestAnimationFrame(function(){window.__rundelPainted=true;});});"
                             "true"));
    await_paint(context, std::make_shared<std::function<void(const QImage&)>>(std::move(done)),
                kPaintQuestions);
}

void WebViewMapCapture::await_paint(const QPointer<QObject>& context,
                                    const std::shared_ptr<std::function<void(const QImage&)>>& done,
                                    int tries) {
    page_.run(QStringLiteral("window.__rundelPainted===true"), [this, context, done,
                                                                tries](const QVariant& painted) {
        if (painted.toBool() || tries <= 1) {
            // The compositor shows the frame a moment after the page painted it.
            QTimer::singleShot(100, &view_, [this, context, done] { grab(context, *done); });
            return;
        }
        QTimer::singleShot(kPaintQuestionMs, &view_,
                           [this, context, done, tries] { await_paint(context, done, tries - 1); });
    });
}

void WebViewMapCapture::grab(const QPointer<QObject>& context,
                             const std::function<void(const QImage&)>& done) {
    const QImage full = view_.grab().toImage();
    page_.run(QStringLiteral("document.documentElement.classList.remove('capturing');true"));
    if (context) {
        done(full.copy(picture_rect(full.size())));
    }
}

} // namespace rundel::shell
