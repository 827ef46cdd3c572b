// Desktop program benchmark, offscreen with the real map page and map server: start-up to the
// map page being ready, and 巡回経路取得 to the leg list filled for 100 and 1,000 markers.

#include "bridge/pagewait.h"
#include "bridge/webenginepage.h"
#include "panels/commandpanel.h"
#include "session/sessionlists.h"
#include "shell/frmmain.h"
#include "shell/rundelapp.h"
#include "widgets/dialogs.h"
#include "widgets/isbutton.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

class QuietDialogs final : public rundel::widgets::Dialogs {
public:
    void message(const QString& text, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool confirm(const QString&, const QString&) override { return true; }
    QString open_file(const QString&, const QString&, const QString&) override { return {}; }
};

bool wait_for(const std::function<bool()>& condition, int timeout_ms) {
    QElapsedTimer timer;
    timer.start();
    bool met = false;
    rundel::bridge::PageWait::until([&] {
        met = condition();
        return met || timer.elapsed() > timeout_ms;
    });
    return met;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking");
    }
    QApplication app(argc, argv);
    QTemporaryDir program;
    QDir(program.path()).mkpath(QStringLiteral("Rundel"));
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    QFile ini(QDir(program.path()).filePath(QStringLiteral("ini_tsproblem.txt")));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("domain:127.0.0.1\r\nport:%1\r\n").arg(port).toUtf8());
    ini.close();

    QuietDialogs dialogs;
    QElapsedTimer clock;
    clock.start();
    rundel::shell::RundelApp rundel(
        {program.path(), QStringLiteral(RUNDEL_PROGRAM_DIR "/rundel-mapserver")}, &dialogs);
    if (!rundel.start()) {
        return 1;
    }
    rundel.window().show(); // a hidden page draws no frames and never says it is ready
    rundel::bridge::WebEnginePage& page = rundel.page();
    if (!wait_for(
            [&] { return page.is_loaded() && page.run("window.rundelReady === true").toBool(); },
            60000)) {
        std::fprintf(stderr, "the map page did not become ready\n");
        return 1;
    }
    std::printf(
        "desktop: start-up to map page ready: %lld ms (map server started by the program)\n",
        static_cast<long long>(clock.elapsed()));

    for (const int markers : {100, 1000}) {
        page.click(QStringLiteral("routeclear"));
        rundel.lists().clear_all();
        page.run(QStringLiteral("(function(){for(var i=0;i<%1;i++){var a=34+2*Math.random(),"
                                "o=135+4*Math.random();window.rundel.map.fire('click',"
                                "{latlng:L.latLng(a,o)});}return true;})()")
                     .arg(markers));
        if (!wait_for([&] { return rundel.lists().nodes().size() == markers; }, 600000)) {
            std::fprintf(stderr, "markers did not arrive\n");
            return 1;
        }
        clock.restart();
        rundel.panel()
            .findChild<rundel::widgets::isButton*>(QStringLiteral("cmdGetSalesmanRoute"))
            ->click();
        const qint64 ms = clock.elapsed();
        std::printf(
            "desktop: 巡回経路取得 to lstNodeConnect filled, %d markers: %lld ms (%d legs)\n",
            markers, static_cast<long long>(ms),
            rundel.panel().findChild<QListWidget*>(QStringLiteral("lstNodeConnect"))->count());
    }
    return 0;
}
