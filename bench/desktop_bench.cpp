// Desktop program benchmark, offscreen with the real map page and map server: start-up to the
// map page being ready; 巡回経路取得 to the leg list filled for 100 and 1,000 markers; a CSV
// of 200 addresses imported offline (the gazetteer) and through a GSI stand-in answering in
// 30 ms; and, throughout, the longest stall of the main thread (a 5 ms timer's late ticks).

#include "bridge/webenginepage.h"
#include "desktopsupport.h"
#include "editing/addresslookup.h"
#include "panels/commandpanel.h"
#include "session/sessionlists.h"
#include "shell/frmmain.h"
#include "shell/rundelapp.h"
#include "support/osrmstandin.h"
#include "widgets/dialogs.h"
#include "widgets/isbutton.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <httplib.h>
#include <memory>
#include <thread>

namespace {

using namespace rundel::bench;

/// The GSI address search on loopback, answering every address after 30 ms.
class GsiStandIn {
public:
    GsiStandIn() {
        server_.Get("/address-search/AddressSearch", [](const httplib::Request& request,
                                                        httplib::Response& response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            const std::size_t n = std::hash<std::string>{}(request.get_param_value("q"));
            response.set_content(
                "[{\"geometry\":{\"coordinates\":[" +
                    std::to_string(139.0 + static_cast<double>(n % 1000) / 1000) + "," +
                    std::to_string(35.0 + static_cast<double>(n / 1000 % 1000) / 1000) +
                    "],\"type\":\"Point\"},\"type\":\"Feature\",\"properties\":"
                    "{\"addressCode\":\"\",\"title\":\"x\"}}]",
                "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~GsiStandIn() {
        server_.stop();
        thread_.join();
    }
    [[nodiscard]] std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

bool route(rundel::shell::RundelApp& rundel, int markers) {
    rundel.lists().clear_all();
    rundel.page().click(QStringLiteral("routeclear"));
    rundel.page().run(QStringLiteral("(function(){for(var i=0;i<%1;i++){var a=34+2*Math.random(),"
                                     "o=135+4*Math.random();window.rundel.map.fire('click',"
                                     "{latlng:L.latLng(a,o)});}return true;})()")
                          .arg(markers));
    if (!wait_for([&] { return rundel.lists().nodes().size() == markers; }, 600000)) {
        std::fprintf(stderr, "markers did not arrive\n");
        return false;
    }
    auto* legs = rundel.panel().findChild<QListWidget*>(QStringLiteral("lstNodeConnect"));
    StallWatch stalls;
    stalls.start();
    QElapsedTimer clock;
    clock.start();
    rundel.panel()
        .findChild<rundel::widgets::isButton*>(QStringLiteral("cmdGetSalesmanRoute"))
        ->click();
    const bool drawn = wait_for([&] { return legs->count() == markers; }, 120000);
    const qint64 ms = clock.elapsed();
    std::printf("desktop: 巡回経路取得 to lstNodeConnect filled, %d markers: %lld ms (%d legs); "
                "longest main-thread stall %lld ms\n",
                markers, static_cast<long long>(ms), legs->count(),
                static_cast<long long>(stalls.stop()));
    return drawn;
}

/// 出発地 and 到着地 marked on a route of @p markers stops (no router) and 巡回経路取得 again.
bool day_route(rundel::shell::RundelApp& rundel, int markers) {
    auto* legs = rundel.panel().findChild<QListWidget*>(QStringLiteral("lstNodeConnect"));
    auto* button =
        rundel.panel().findChild<rundel::widgets::isButton*>(QStringLiteral("cmdGetSalesmanRoute"));
    QElapsedTimer clock;
    clock.start();
    rundel.lists().set_ends({1, markers / 2, false}); // as the node list's menu does
    button->click();
    const bool drawn = wait_for(
        [&] {
            return button->Caption() == QStringLiteral("巡回経路取得") &&
                   legs->count() == markers - 1;
        },
        60000);
    std::printf("desktop: 出発地 and 到着地 marked and re-routed, %d stops (open path): %lld ms\n",
                markers, static_cast<long long>(clock.elapsed()));
    rundel.lists().set_ends({});
    return drawn;
}

/// Two hundred municipality names of the gazetteer, one per line.
QString two_hundred_places() {
    QFile file(QStringLiteral(RUNDEL_PROGRAM_DIR "/mapdata/gazetteer.tsv"));
    file.open(QIODevice::ReadOnly);
    QStringList names;
    while (!file.atEnd() && names.size() < 200) {
        const QStringList fields = QString::fromUtf8(file.readLine()).split(QLatin1Char('\t'));
        if (fields.size() > 5 && fields.at(0) == QLatin1String("J") &&
            fields.at(1).endsWith(QStringLiteral("市"))) {
            names.append(fields.at(1));
        }
    }
    return names.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

bool import(rundel::shell::RundelApp& rundel, QuietDialogs& dialogs, const QString& folder,
            const char* what) {
    dialogs.file = QDir(folder).filePath(QStringLiteral("addresses.csv"));
    QFile csv(dialogs.file);
    csv.open(QIODevice::WriteOnly);
    csv.write(two_hundred_places().toUtf8());
    csv.close();
    rundel.lists().clear_all();
    rundel.page().click(QStringLiteral("routeclear"));
    rundel.set_address_mode(rundel::editing::AddressMode::Multi);
    StallWatch stalls;
    stalls.start();
    QElapsedTimer clock;
    clock.start();
    rundel.import_csv(rundel.panel());
    const bool done = wait_for([&] { return !rundel.lookup().busy(); }, 600000);
    const qint64 ms = clock.elapsed();
    std::printf("desktop: 200-address import, %s: %lld ms (%.1f a second, %lld placed); longest "
                "main-thread stall %lld ms\n",
                what, static_cast<long long>(ms),
                200000.0 / static_cast<double>(std::max<qint64>(ms, 1)),
                static_cast<long long>(rundel.lists().nodes().size()),
                static_cast<long long>(stalls.stop()));
    return done;
}

/// 巡回経路取得 with a router: until the legs are listed and every leg is drawn along its road.
/// The router's own time is what the stand-in took to answer (loopback, so next to nothing).
bool road_route(rundel::shell::RundelApp& rundel, rundel::test::OsrmStandIn& osrm, int markers,
                bool again) {
    if (!again) {
        rundel.lists().clear_all();
        rundel.page().click(QStringLiteral("routeclear"));
        eval(rundel.page(),
             QStringLiteral("(function(){for(var i=0;i<%1;i++){var a=35.55+0.25*Math.random(),"
                            "o=139.6+0.3*Math.random();window.rundel.map.fire('click',"
                            "{latlng:L.latLng(a,o)});}return true;})()")
                 .arg(markers));
        if (!wait_for([&] { return rundel.lists().nodes().size() == markers; }, 600000)) {
            return false;
        }
    }
    auto* button =
        rundel.panel().findChild<rundel::widgets::isButton*>(QStringLiteral("cmdGetSalesmanRoute"));
    const int asked = osrm.server.requests;
    StallWatch stalls;
    stalls.start();
    QElapsedTimer clock;
    clock.start();
    button->click();
    const bool listed =
        wait_for([&] { return button->Caption() == QStringLiteral("巡回経路取得"); }, 600000);
    const qint64 listed_ms = clock.elapsed();
    bool drawn = false;
    wait_for(
        [&] {
            drawn = eval(rundel.page(), QStringLiteral("document.documentElement.dataset.roads"))
                        .toInt() == markers;
            return drawn;
        },
        600000);
    std::printf("desktop: road route (OSRM stand-in), %d stops%s: legs listed %lld ms, drawn "
                "along the roads %lld ms; %d router requests; longest main-thread stall %lld ms; "
                "%s\n",
                markers, again ? ", the same again" : "", static_cast<long long>(listed_ms),
                static_cast<long long>(clock.elapsed()), osrm.server.requests - asked,
                static_cast<long long>(stalls.stop()),
                qPrintable(rundel.panel().findChild<QLabel*>(QStringLiteral("lblTotal"))->text()));
    return listed && drawn;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking");
    }
    QApplication app(argc, argv);
    QuietDialogs dialogs;
    {
        QTemporaryDir program;
        QElapsedTimer clock;
        clock.start();
        auto rundel = start(program, dialogs, {});
        if (!rundel) {
            std::fprintf(stderr, "the map page did not become ready\n");
            return 1;
        }
        std::printf(
            "desktop: start-up to map page ready: %lld ms (map server started by the program)\n",
            static_cast<long long>(clock.elapsed()));
        for (const int markers : {100, 1000}) {
            if (!route(*rundel, markers)) {
                return 1;
            }
        }
        if (!route(*rundel, 100) || !day_route(*rundel, 100)) {
            return 1;
        }
        if (!import(*rundel, dialogs, program.path(), "offline (gazetteer)")) {
            return 1;
        }
    }
    {
        rundel::test::OsrmStandIn osrm;
        QTemporaryDir program;
        auto rundel = start(
            program, dialogs,
            QStringLiteral("router:osrm=%1\r\n").arg(QString::fromStdString(osrm.server.base())));
        for (const auto& [markers, again] :
             {std::pair{100, false}, std::pair{100, true}, std::pair{1000, false}}) {
            if (!rundel || !road_route(*rundel, osrm, markers, again)) {
                std::fprintf(stderr, "the road route did not come\n");
                return 1;
            }
        }
    }
    GsiStandIn gsi;
    QTemporaryDir program;
    auto rundel =
        start(program, dialogs,
              QStringLiteral("geocoder:gsi=%1\r\n").arg(QString::fromStdString(gsi.base())));
    if (!rundel || !import(*rundel, dialogs, program.path(), "GSI stand-in answering in 30 ms")) {
        return 1;
    }
    return 0;
}
