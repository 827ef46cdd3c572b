#pragma once

// What the desktop benchmarks share: the program started in a fresh folder with its map page
// ready, quiet dialogs, the benchmark's own wait, and a watch on main-thread stalls.

#include "bridge/webenginepage.h"
#include "shell/frmmain.h"
#include "shell/rundelapp.h"
#include "widgets/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace rundel::bench {

class QuietDialogs final : public rundel::widgets::Dialogs {
public:
    void message(const QString& text, const QString&) override { last = text; }
    bool confirm(const QString&, const QString&) override { return true; }
    QString open_file(const QString&, const QString&, const QString&) override { return file; }
    std::optional<int> ask_number(const QString&, const QString&, int, int, int) override {
        return std::nullopt;
    }
    QString file;
    QString last;
};

/// The benchmark's own wait (the program never waits so): events run meanwhile.
inline bool wait_for(const std::function<bool()>& condition, int timeout_ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout_ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

/// The longest gap between ticks of a 5 ms timer, less the 5 ms: how long the main thread
/// was busy without looking at its events.
class StallWatch {
public:
    StallWatch() {
        timer_.setInterval(5);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, since_.restart() - 5); });
    }
    void start() {
        longest_ = 0;
        since_.start();
        timer_.start();
    }
    qint64 stop() {
        timer_.stop();
        return longest_;
    }

private:
    QTimer timer_;
    QElapsedTimer since_;
    qint64 longest_ = 0;
};

/// Runs @p script in the page and waits (the benchmark's wait) for its result.
inline QVariant eval(rundel::bridge::WebEnginePage& page, const QString& script,
                     int timeout_ms = 10000) {
    auto answer = std::make_shared<std::optional<QVariant>>();
    page.run(script, [answer](const QVariant& value) { *answer = value; });
    wait_for([&] { return answer->has_value(); }, timeout_ms);
    return answer->value_or(QVariant());
}

inline int free_port() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

/// The program in a fresh folder with @p settings, its map page ready; null when it failed.
inline std::unique_ptr<rundel::shell::RundelApp>
start(QTemporaryDir& program, QuietDialogs& dialogs, const QString& settings) {
    QDir(program.path()).mkpath(QStringLiteral("Rundel"));
    QFile ini(QDir(program.path()).filePath(QStringLiteral("ini_tsproblem.txt")));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("domain:127.0.0.1\r\nport:%1\r\n%2")
                  .arg(free_port())
                  .arg(settings)
                  .toUtf8());
    ini.close();
    auto rundel = std::make_unique<rundel::shell::RundelApp>(
        rundel::shell::AppPaths{program.path(),
                                QStringLiteral(RUNDEL_PROGRAM_DIR "/rundel-mapserver")},
        &dialogs);
    if (!rundel->start()) {
        return nullptr;
    }
    rundel->window().show(); // a hidden page draws no frames and never says it is ready
    QElapsedTimer waited;
    waited.start();
    bool loaded = false;
    while (!loaded && waited.elapsed() < 60000) {
        wait_for([&] { return rundel->page().is_loaded(); }, 60000);
        loaded = eval(rundel->page(), QStringLiteral("window.rundelReady === true")).toBool();
        wait_for([] { return false; }, loaded ? 0 : 50);
    }
    return loaded ? std::move(rundel) : nullptr;
}

} // namespace rundel::bench
