#pragma once

#include "export/mapcapture.h"

#include <QPointer>
#include <functional>
#include <memory>

class QWebEngineView;

namespace rundel::bridge {
class WebEnginePage;
}

namespace rundel::shell {

/// The map picture from the browser's own rendering, so it needs no screen and shows no other
/// window: the map area less a margin, 504 by 504 pixels at the main window's start-up size.
class WebViewMapCapture final : public exporting::MapCapture {
public:
    /// @param prepare runs first (it moves the map control panel out of the way).
    WebViewMapCapture(QWebEngineView& view, bridge::WebEnginePage& page,
                      std::function<void()> prepare);

    void capture(QObject* context, std::function<void(const QImage&)> done) override;

    /// The part of a view of @p size that the picture shows.
    [[nodiscard]] static QRect picture_rect(const QSize& size);

private:
    /// Asks whether the page has painted; grabs once it has, or after @p tries questions.
    void await_paint(const QPointer<QObject>& context,
                     const std::shared_ptr<std::function<void(const QImage&)>>& done, int tries);
    void grab(const QPointer<QObject>& context, const std::function<void(const QImage&)>& done);

    QWebEngineView& view_;
    bridge::WebEnginePage& page_;
    std::function<void()> prepare_;
};

} // namespace rundel::shell
