// How fast the map follows the map control panel, through real mouse events: run under an X
// server (xvfb-run) with xdotool installed. Ten drags of the zoom slider's handle (press,
// move 15 px, release) and ten presses each of + and −; for each, the time from the release
// to the page showing the new zoom level, and whether the handle ever jumped back.

#include "bridge/mappage.h"
#include "bridge/webenginepage.h"
#include "desktopsupport.h"
#include "panels/frmcontrolpanel.h"

#include <QApplication>
#include <QDateTime>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace rundel::bench;

/// Runs xdotool with @p arguments and waits (the benchmark's wait) until it has finished.
bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return wait_for([&] { return process.state() == QProcess::NotRunning; }, 5000) &&
           process.exitCode() == 0;
}

/// The screen position of the slider's handle at @p value.
QPoint handle_at(const QSlider& slider, int value) {
    const int length = slider.style()->pixelMetric(QStyle::PM_SliderLength, nullptr, &slider);
    const int x = QStyle::sliderPositionFromValue(slider.minimum(), slider.maximum(), value,
                                                  slider.width() - length) +
                  length / 2;
    return slider.mapToGlobal(QPoint(x, slider.height() / 2));
}

/// Watches the page: when it took a new zoom level (its own "zoomend" time), and when it has
/// redrawn the map at that level (it answers a script again only then).
class Follower {
public:
    explicit Follower(rundel::bridge::WebEnginePage& page) : page_(page) {
        page_.run(QStringLiteral("window.__zoomedAt=0;window.rundel.map.on('zoomend',"
                                 "function(){window.__zoomedAt=Date.now();});true"));
    }

    struct Times {
        qint64 level = -1;  ///< release to the page at the new level
        qint64 redraw = -1; ///< release to the map redrawn
    };

    /// The times since @p released (ms since the epoch) until the page shows @p level.
    Times until_zoom(int level, qint64 released) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            const QVariantList answer =
                eval(page_, QStringLiteral("[window.rundel.map.getZoom(),window.__zoomedAt]"))
                    .toList();
            if (answer.size() == 2 && answer.at(0).toInt() == level) {
                return {static_cast<qint64>(answer.at(1).toDouble()) - released,
                        QDateTime::currentMSecsSinceEpoch() - released};
            }
        }
        return {};
    }

private:
    rundel::bridge::WebEnginePage& page_;
};

double median(std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : static_cast<double>(values[values.size() / 2]);
}

void report(const char* what, const std::vector<Follower::Times>& times, int jumped_back) {
    std::vector<qint64> level;
    std::vector<qint64> redraw;
    for (const auto& t : times) {
        level.push_back(t.level);
        redraw.push_back(t.redraw);
    }
    std::printf(
        "controls: %s → page at the new level: median %.0f ms, worst %lld ms; map "
        "redrawn: median %.0f ms, worst %lld ms (%zu tries); handle jumped back %d "
        "times\n",
        what, median(level), static_cast<long long>(*std::max_element(level.begin(), level.end())),
        median(redraw), static_cast<long long>(*std::max_element(redraw.begin(), redraw.end())),
        times.size(), jumped_back);
}

/// Clicks at @p where with real X events; the time of the release, in ms since the epoch.
qint64 click_at(const QPoint& where) {
    xdotool({"mousemove", QString::number(where.x()), QString::number(where.y())});
    const qint64 at = QDateTime::currentMSecsSinceEpoch();
    xdotool({"click", "1"});
    return at;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking");
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "controls_bench needs an X display: run it under xvfb-run\n");
        return 2;
    }
    QApplication app(argc, argv);
    QuietDialogs dialogs;
    QTemporaryDir program;
    auto rundel = start(program, dialogs, {});
    if (!rundel) {
        std::fprintf(stderr, "the map page did not become ready\n");
        return 1;
    }
    Follower follower(rundel->page());
    wait_for([] { return false; }, 1500); // tiles and names settled

    // For comparison: the page's own + button, before the control panel hides it.
    const QVariantList xy =
        eval(rundel->page(),
             QStringLiteral(
                 "(function(){var r=document.querySelector('.leaflet-control-zoom-in')"
                 ".getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()"))
            .toList();
    const QPoint own =
        rundel->window().browser().mapToGlobal(QPoint(xy.value(0).toInt(), xy.value(1).toInt()));
    std::vector<Follower::Times> page_button;
    for (int i = 0; i < 5; ++i) {
        const int level =
            eval(rundel->page(), QStringLiteral("window.rundel.map.getZoom()")).toInt();
        const qint64 released = click_at(own);
        page_button.push_back(follower.until_zoom(level + 1, released));
        wait_for([] { return false; }, 300);
    }
    report("the page's own + pressed", page_button, 0);

    rundel->open_control_panel();
    auto* panel = rundel->control_panel();
    auto* slider = panel->findChild<QSlider*>(QStringLiteral("Slider1"));
    wait_for([] { return false; }, 1500); // the panel shown and synchronised

    std::vector<Follower::Times> drags;
    int jumped_back = 0;
    for (int i = 0; i < 10; ++i) {
        const int from = slider->value();
        const QPoint press = handle_at(*slider, from);
        const int direction = from > 12 ? -1 : 1;
        xdotool({"mousemove", QString::number(press.x()), QString::number(press.y()), "mousedown",
                 "1"});
        xdotool(
            {"mousemove", QString::number(press.x() + direction * 15), QString::number(press.y())});
        wait_for([] { return false; }, 50);
        const qint64 released = QDateTime::currentMSecsSinceEpoch();
        xdotool({"mouseup", "1"});
        wait_for([] { return false; }, 20); // the release reaches the slider
        const int chosen = slider->value();
        drags.push_back(follower.until_zoom(chosen, released));
        wait_for([] { return false; }, 400);
        jumped_back += slider->value() != chosen ? 1 : 0;
    }
    report("zoom slider released", drags, jumped_back);

    for (const char* name : {"cmdZoomin", "cmdZoomout"}) {
        auto* button = panel->findChild<QPushButton*>(QString::fromLatin1(name));
        const QPoint centre = button->mapToGlobal(button->rect().center());
        // Ten steps from level 8 up or from 18 down stay within the slider's range.
        const int first = QByteArray(name) == "cmdZoomin" ? 8 : 18;
        rundel->map_page().set_zoom(first);
        slider->setValue(first);
        wait_for([] { return false; }, 500);
        std::vector<Follower::Times> presses;
        int jumps = 0;
        for (int i = 0; i < 10; ++i) {
            const int before = slider->value();
            const qint64 released = click_at(centre);
            wait_for([&] { return slider->value() != before; }, 2000);
            const int level = slider->value();
            presses.push_back(follower.until_zoom(level, released));
            wait_for([] { return false; }, 300);
            jumps += slider->value() != level ? 1 : 0;
        }
        report(QByteArray(name) == "cmdZoomin" ? "+ pressed" : "− pressed", presses, jumps);
    }
    return 0;
}
