#include "shell/webviewmapcapture.h"

#include "bridge/pagewait.h"
#include "bridge/webenginepage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWebEngineView>

namespace rundel::shell {

WebViewMapCapture::WebViewMapCapture(QWebEngineView& view, bridge::WebEnginePage& page,
                                     std::function<void()> prepare)
    : view_(view), page_(page), prepare_(std::move(prepare)) {}

QRect WebViewMapCapture::picture_rect(const QSize& size) {
    // At the start-up size the view is 537 x 569: the picture leaves 16 px left, 17 right,
    // 32 above (the page's own controls) and 33 below (scale and credits).
    return {16, 32, std::max(0, size.width() - 33), std::max(0, size.height() - 65)};
}

QImage WebViewMapCapture::capture() {
    if (prepare_) {
        prepare_();
    }
    // Let the page draw its latest state: two animation frames, then the compositor's update.
    // The page's own buttons and credits stay out of the picture.
    page_.run(QStringLiteral("document.documentElement.classList.add('capturing');"
                             "window.__rundelPainted=false;requestAnimationFrame(function(){"
                             "requestAnimationFrame(function(){window.__rundelPainted=true;});});"
                             "true"));
    QElapsedTimer waited;
    waited.start();
    bridge::PageWait::until([&] {
        return waited.elapsed() > 3000 ||
               page_.run(QStringLiteral("window.__rundelPainted===true")).toBool();
    });
    QElapsedTimer settle;
    settle.start();
    bridge::PageWait::until([&] { return settle.elapsed() > 100; });
    const QImage full = view_.grab().toImage();
    page_.run(QStringLiteral("document.documentElement.classList.remove('capturing');true"));
    return full.copy(picture_rect(full.size()));
}

} // namespace rundel::shell
