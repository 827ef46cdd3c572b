// How fast the map follows the map control panel, through real mouse events: run under an X
// server (xvfb-run) with xdotool installed. Ten drags of the zoom slider's handle (press,
// move 15 px, release) and ten presses each of + and −; for each, the time from the release
// to the page showing the new zoom level, and whether the handle ever jumped back.

#include "bridge/webenginepage.h"
#include "desktopsupport.h"
#include "panels/frmcontrolpanel.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
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

class Follower {
public:
    explicit Follower(rundel::bridge::WebEnginePage& page) : page_(page) {}

    /// Milliseconds from now until the page's zoom level is @p level; -1 after 5 s.
    qint64 until_zoom(int level) {
        QElapsedTimer clock;
        clock.start();
        int zoom = -1;
        bool asked = false;
        const bool reached = wait_for(
            [&] {
                if (!asked) {
                    asked = true;
                    page_.run(QStringLiteral("window.rundel.map.getZoom()"),
                              [&](const QVariant& v) {
                                  zoom = v.toInt();
                                  asked = false;
                              });
                }
                return zoom == level;
            },
            5000);
        return reached ? clock.elapsed() : -1;
    }

private:
    rundel::bridge::WebEnginePage& page_;
};

double median(std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : static_cast<double>(values[values.size() / 2]);
}

void report(const char* what, const std::vector<qint64>& times, int jumped_back) {
    const qint64 worst = times.empty() ? -1 : *std::max_element(times.begin(), times.end());
    std::printf("controls: %s → map at the new level: median %.0f ms, worst %lld ms over %zu; "
                "handle jumped back %d times\n",
                what, median(times), static_cast<long long>(worst), times.size(), jumped_back);
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
    rundel->open_control_panel();
    auto* panel = rundel->control_panel();
    auto* slider = panel->findChild<QSlider*>(QStringLiteral("Slider1"));
    Follower follower(rundel->page());
    wait_for([] { return false; }, 1500); // the panel shown and synchronised

    std::vector<qint64> drags;
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
        QElapsedTimer since_release;
        since_release.start();
        xdotool({"mouseup", "1"});
        wait_for([] { return false; }, 20); // the release reaches the slider
        const int chosen = slider->value();
        drags.push_back(follower.until_zoom(chosen) < 0 ? -1 : since_release.elapsed());
        wait_for([] { return false; }, 400);
        jumped_back += slider->value() != chosen ? 1 : 0;
    }
    report("zoom slider released", drags, jumped_back);

    for (const char* name : {"cmdZoomin", "cmdZoomout"}) {
        auto* button = panel->findChild<QPushButton*>(QString::fromLatin1(name));
        const QPoint centre = button->mapToGlobal(button->rect().center());
        std::vector<qint64> presses;
        int jumps = 0;
        for (int i = 0; i < 10; ++i) {
            xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y())});
            const int before = slider->value();
            QElapsedTimer since;
            since.start();
            xdotool({"click", "1"});
            wait_for([&] { return slider->value() != before; }, 2000);
            const int level = slider->value();
            presses.push_back(follower.until_zoom(level) < 0 ? -1 : since.elapsed());
            wait_for([] { return false; }, 300);
            jumps += slider->value() != level ? 1 : 0;
        }
        report(QByteArray(name) == "cmdZoomin" ? "+ pressed" : "− pressed", presses, jumps);
    }
    return 0;
}
