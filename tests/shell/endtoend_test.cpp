#include "bridge/mappage.h"
#include "bridge/webenginepage.h"
#include "engine/modshortestpath.h"
#include "engine/nodefilename.h"
#include "panels/commandpanel.h"
#include "panels/frmcontrolpanel.h"
#include "panels/frmsidemenu.h"
#include "panels/sidemenu.h"
#include "session/routemeasure.h"
#include "session/sessionlists.h"
#include "session/workfolders.h"
#include "shell/frmmain.h"
#include "shell/quitsignals.h"
#include "shell/rundelapp.h"
#include "support/controls.h"
#include "support/osrmstandin.h"
#include "support/pagesync.h"
#include "support/scripteddialogs.h"
#include "support/tempfolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QTime>
#include <csignal>

using rundel::shell::RundelApp;
using namespace rundel::test;
using rundel::widgets::isButton;

namespace {

int free_port() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

/// The program in a fresh program folder, started with its bundled map server, its map page
/// ready.
struct Running {
    /// @param settings further lines of the settings file
    explicit Running(const std::string& settings = {}) {
        program = QString::fromStdString(folder.path().string());
        QDir(program).mkpath(QStringLiteral("Rundel"));
        folder.write("ini_tsproblem.txt",
                     "domain:127.0.0.1\r\nport:" + std::to_string(free_port()) + "\r\n" + settings);
        app = std::make_unique<RundelApp>(
            rundel::shell::AppPaths{program,
                                    QStringLiteral(RUNDEL_PROGRAM_DIR "/rundel-mapserver")},
            &dialogs);
        QSignalSpy ready(app.get(), &RundelApp::mapReady);
        if (!app->start()) {
            qFatal("the program did not start");
        }
        app->window().show();
        ready.wait(30000);
        QElapsedTimer waited;
        waited.start();
        while (!eval(app->page(), QStringLiteral("window.rundelReady === true")).toBool() &&
               waited.elapsed() < 30000) {
            QTest::qWait(50);
        }
    }

    /// Five markers clicked onto Tokyo.
    void place_five() const {
        eval(app->page(),
             QStringLiteral(
                 "[[35.70,139.70],[35.72,139.78],[35.66,139.80],[35.62,139.74],[35.66,139.66]]"
                 ".forEach(function(p){window.rundel.map.fire('click',{latlng:L.latLng(p[0],p[1])})"
                 ";});"
                 "true"));
        QTRY_COMPARE_WITH_TIMEOUT(app->lists().nodes().size(), 5, 20000);
    }

    /// The route text the engine makes of the session's downloaded node file.
    [[nodiscard]] QString route_of_node_file(bool improve) const {
        const rundel::session::WorkFolders folders(program.toStdString());
        rundel::engine::ModShortestPath engine;
        const std::string name = rundel::engine::node_file_name(
            read_value(app->page(), QStringLiteral("sesid")).toStdString());
        if (!engine.read_nodefile((folders.node_data() / name).string())) {
            return QStringLiteral("(no node file)");
        }
        engine.solve_tour();
        if (improve) {
            engine.improve_tour();
        }
        engine.make_tourlist();
        return QString::fromStdString(engine.route_text("/"));
    }

    /// 巡回経路取得 with the current markers; @p legs legs are listed.
    void route(int legs) const {
        isButton& request = button(app->panel(), "cmdGetSalesmanRoute");
        request.click();
        QCOMPARE(request.Caption(), QStringLiteral("中止")); // until the route is drawn
        QTRY_COMPARE_WITH_TIMEOUT(request.Caption(), QStringLiteral("巡回経路取得"), 30000);
        QCOMPARE(list(app->panel(), "lstNodeConnect").count(), legs);
    }

    /// 巡回経路データ保存 in each of @p formats, chosen in the panel's format box.
    void save(std::initializer_list<const char*> formats) const {
        for (const char* format : formats) {
            const qsizetype told = dialogs.messages.size();
            combo(app->panel(), "cmbSavetype").setEditText(QString::fromUtf8(format));
            button(app->panel(), "cmdSavedata").click();
            QTRY_VERIFY_WITH_TIMEOUT(dialogs.messages.size() > told, 10000);
        }
    }

    /// The file of the result folder named @p prefix, the session id and @p suffix.
    [[nodiscard]] QString result(const char* prefix, const char* suffix) const {
        return QDir(program).filePath(QStringLiteral("Rundel/result/") + QLatin1String(prefix) +
                                      read_value(app->page(), QStringLiteral("sesid")) +
                                      QLatin1String(suffix));
    }

    static void shoot(QWidget& window, const char* name) {
        window.grab().save(
            QDir(qEnvironmentVariable("RUNDEL_SHOT_DIR", "/tmp")).filePath(QLatin1String(name)));
    }

    rundel::test::TempFolder folder;
    QString program;
    rundel::test::ScriptedDialogs dialogs;
    std::unique_ptr<RundelApp> app;
};

/// The real program, the real map page in Qt WebEngine and the real map server, driven as a
/// user would.
class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void markersRouteDragAndDelete() {
        Running running;
        RundelApp& app = *running.app;
        rundel::bridge::WebEnginePage& page = app.page();
        QCOMPARE(app.window().windowTitle(),
                 QStringLiteral("巡回セールスマン問題（解）") + QString(13, QLatin1Char(' ')));

        running.place_five();
        QCOMPARE(app.lists().nodes().first(), QStringLiteral("1,35.700000,139.700000"));
        QCOMPARE(list(app.panel(), "lstNode").count(), 5);
        running.route(5);
        for (const QString& leg : app.lists().routeCoordList()) {
            QCOMPARE(leg.split(QLatin1Char(',')).size(), 4);
        }
        // The published route is what the engine makes of the downloaded node file.
        const QString expected = running.route_of_node_file(false);
        QCOMPARE(read_value(page, QStringLiteral("tspnodedata")), expected);
        QCOMPARE(box(app.window(), "txtResult").text(), expected);
        QCOMPARE(app.lists().legs().first().left(2), QStringLiteral("1→"));
        list(app.panel(), "lstNodeConnect").setCurrentRow(0);
        QCOMPARE(box(app.panel(), "txtS_ido").text(), QStringLiteral("35.700000"));

        eval(page, QStringLiteral("var m=window.rundel.markers.items[2];m.setLatLng([35.5,139.5]);"
                                  "m.fire('dragend');true"));
        QTRY_COMPARE_WITH_TIMEOUT(app.lists().nodes().at(2),
                                  QStringLiteral("3,35.500000,139.500000"), 10000);
        eval(page, QStringLiteral("window.rundel.markers.remove(2);true"));
        QTRY_COMPARE_WITH_TIMEOUT(app.lists().nodes(),
                                  (QStringList{"1,35.700000,139.700000", "2,35.500000,139.500000",
                                               "3,35.620000,139.740000", "4,35.660000,139.660000"}),
                                  10000);
        QCOMPARE(list(app.panel(), "lstNode").count(), 4);
        QVERIFY2(running.dialogs.messages.isEmpty(),
                 qPrintable(running.dialogs.messages.join('|')));

        // The route saved in the first three formats, from the panel.
        running.save({"GoogleEarth(KML)", "プレインテキスト", "画像(BMP)"});
        QCOMPARE(running.dialogs.messages,
                 (QStringList{"KMLファイルで保存しました。", "プレインテキストで保存しました。",
                              "画像としてルートデータを保存しました"}));
        QVERIFY(QFile::exists(running.result("KML_", ".kml")));
        QFile plain(running.result("PLAIN_", ".txt"));
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QCOMPARE(plain.readAll().count('/'), 5); // one record per leg
        const QImage image(running.result("BMP_", "_0.bmp"));
        QCOMPARE(image.size(), QSize(504, 504));
        int route_blue = 0; // the route is in the picture
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                route_blue += (c.blue() > 180 && c.red() < 80 && c.green() < 120) ? 1 : 0;
            }
        }
        QVERIFY2(route_blue > 200, qPrintable(QString::number(route_blue)));
        image.save(QDir(qEnvironmentVariable("RUNDEL_SHOT_DIR", "/tmp"))
                       .filePath(QStringLiteral("rundel-saved-map.png")));

        // The map control panel: opened beside the map, following the page, opened again.
        const auto controls_hidden = [&] {
            return eval(page, QStringLiteral("document.getElementById('map').classList.contains("
                                             "'controls-hidden')"))
                .toBool();
        };
        app.open_control_panel();
        QVERIFY(controls_hidden());
        QTRY_COMPARE_WITH_TIMEOUT(control<QSlider>(*app.control_panel(), "Slider1").value(),
                                  read_value(page, QStringLiteral("mapzoomlevel")).toInt(), 5000);
        app.control_panel()->move(0, 0);
        app.open_control_panel();
        QCOMPARE(app.control_panel()->pos().x(), app.window().x() + 555);
        app.control_panel()->close();
        QTRY_VERIFY(app.control_panel() == nullptr);
        QVERIFY(!controls_hidden());
        Running::shoot(app.window(), "rundel-main-window.png");
    }

    void improveMenuItemDrawsTheImprovedRouteAndIsRemembered() {
        Running running;
        RundelApp& app = *running.app;
        action(app.window(), "mnuImprove").trigger();
        QFile settings(QDir(running.program).filePath(QStringLiteral("ini_tsproblem.txt")));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().endsWith("\r\nimprove:1\r\n"));

        eval(app.page(),
             QStringLiteral(
                 "for (var i = 1; i <= 30; ++i) window.rundel.map.fire('click', {latlng: "
                 "L.latLng(35.6 + (i * 37 % 17) / 100, 139.6 + (i * 53 % 23) / 100)});true"));
        QTRY_COMPARE_WITH_TIMEOUT(app.lists().nodes().size(), 30, 20000);
        running.route(30);
        QCOMPARE(read_value(app.page(), QStringLiteral("tspnodedata")),
                 running.route_of_node_file(true));
        const QString total = control<QLabel>(app.panel(), "lblTotal").text();
        const QString before = control<QLabel>(app.panel(), "lblUnimproved").text();
        QVERIFY2(total.startsWith(QStringLiteral("総距離 ")), qPrintable(total));
        QVERIFY2(before.startsWith(QStringLiteral("改善前 ")), qPrintable(before));
        const double after_km = total.section(QLatin1Char(' '), 1, 1).toDouble();
        const double before_km = before.section(QLatin1Char(' '), 1, 1).toDouble();
        QVERIFY2(after_km > 0 && after_km < before_km, qPrintable(total + before));
        Running::shoot(app.window(), "rundel-improved-route.png");

        // The mode marks move when chosen from the menu (checkable actions toggle themselves).
        for (const bool local : {true, false}) {
            action(app.window(), local ? "mnuJiriki" : "mnuTariki").trigger();
            QCOMPARE(action(app.window(), "mnuJiriki").isChecked(), local);
            QCOMPARE(action(app.window(), "mnuTariki").isChecked(), !local);
            QCOMPARE(app.TSP_Timer1().isActive(), local);
        }
    }

    void visitListAndGpxLeaveAndTheVisitListComesBack() {
        Running running;
        RundelApp& app = *running.app;
        running.place_five();
        const QStringList placed = app.lists().nodes();
        running.route(5);
        running.save({"GPS(GPX)", "訪問リスト(CSV)"});
        const QString gpx = running.result("GPX_", ".gpx");
        const QString csv = running.result("ROUTE_", ".csv");
        QCOMPARE(running.dialogs.messages, (QStringList{"GPXファイルで保存しました: " + gpx,
                                                        "訪問リストで保存しました: " + csv}));
        const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
        if (!ogrinfo.isEmpty()) {
            QProcess process;
            process.start(ogrinfo, {QStringLiteral("-ro"), QStringLiteral("-so"), gpx,
                                    QStringLiteral("waypoints")});
            QVERIFY(process.waitForFinished(30000));
            QVERIFY2(process.readAllStandardOutput().contains("Feature Count: 5"), "waypoints");
        }

        running.dialogs.answers.enqueue(true);
        button(app.panel(), "cmdClear").click();
        QVERIFY(app.lists().nodes().isEmpty());
        app.set_address_mode(rundel::editing::AddressMode::Multi);
        running.dialogs.chosen_file = csv;
        running.dialogs.messages.clear();
        button(app.panel(), "cmdCSV").click();
        QTRY_COMPARE_WITH_TIMEOUT(app.lists().nodes(), placed, 20000);
        // The map shows every stop placed.
        QTRY_VERIFY(
            eval(app.page(), QStringLiteral("window.rundel.map.getBounds().contains("
                                            "L.latLngBounds(window.rundel.markers.positions()))"))
                .toBool());
        QVERIFY2(running.dialogs.messages.isEmpty(),
                 qPrintable(running.dialogs.messages.join('|')));
    }

    void csvOfAddressesBecomesNodesInBothWindows() {
        Running running;
        RundelApp& app = *running.app;
        running.folder.write("addresses.csv",
                             "\xEF\xBB\xBF東京都千代田区丸の内1-"
                             "1\r\n架空県どこにもない町\r\n\r\n大阪市北区梅田\r\n");
        running.dialogs.chosen_file =
            QDir(running.program).filePath(QStringLiteral("addresses.csv"));
        action(app.window(), "mnuFloatSidemenu").trigger();
        action(app.window(), "menuMulti").trigger();
        button(*app.side_menu().panel(), "cmdCSV").click(); // from the side window
        QTRY_VERIFY_WITH_TIMEOUT(!app.lookup().busy() && !running.dialogs.messages.isEmpty(),
                                 30000);
        QCOMPARE(running.dialogs.messages,
                 QStringList{"架空県どこにもない町 の座標を取得できませんでした\r\n"});
        QCOMPARE(app.lists().nodes().size(), 2);
        QCOMPARE(list(app.panel(), "lstNode").count(), 2);
        QCOMPARE(list(*app.side_menu().panel(), "lstNode").count(), 2);
        QVERIFY(app.lists().nodes().at(0).startsWith(QStringLiteral("1,35.6")));
        QVERIFY(app.lists().nodes().at(1).startsWith(QStringLiteral("2,34.70"))); // 北区 itself
        QCOMPARE(combo(app.panel(), "ComboRealAddress").count(), 3);
        QCOMPARE(combo(*app.side_menu().panel(), "ComboRealAddress").count(), 3);
        QVERIFY(running.dialogs.file_dialogs.first().startsWith(
            QStringLiteral("ファイルを開く | CSVファイル(*.csv);;すべてのファイル(*.*)")));
        Running::shoot(app.side_menu().window(), "rundel-side-menu.png");
    }

    void roadsAcrossTheRiverAndBackToStraightLines() {
        OsrmStandIn osrm;
        Running running("router:osrm=" + osrm.server.base() + "\r\n");
        RundelApp& app = *running.app;
        // Four stops on either bank of a river that one bridge crosses.
        const std::vector<OsrmStandIn::Stop> stops = {
            {35.60, 139.70}, {35.75, 139.70}, {35.62, 139.72}, {35.74, 139.73},
            {35.60, 139.80}, {35.75, 139.80}, {35.62, 139.78}, {35.74, 139.77}};
        QString clicks;
        for (const auto& stop : stops) {
            clicks += QStringLiteral("window.rundel.map.fire('click',{latlng:L.latLng(%1,%2)});")
                          .arg(stop.lat)
                          .arg(stop.lon);
        }
        eval(app.page(), clicks + QStringLiteral("true"));
        QTRY_COMPARE_WITH_TIMEOUT(app.lists().nodes().size(), 8, 20000);
        running.route(8);

        // The route's figures are the router's sums for the order chosen, and the tour
        // crosses the river once each way.
        double metres = 0;
        int crossings = 0;
        for (const QString& leg : app.lists().legs()) {
            const auto& a = stops.at(leg.section(QStringLiteral("→"), 0, 0).toInt() - 1);
            const auto& b = stops.at(leg.section(QStringLiteral("→"), 1, 1).toInt() - 1);
            metres += OsrmStandIn::road_metres(a, b).value_or(-1e9);
            crossings += (a.lon < OsrmStandIn::kBridge.lon) != (b.lon < OsrmStandIn::kBridge.lon);
        }
        QCOMPARE(crossings, 2);
        const QString total = control<QLabel>(app.panel(), "lblTotal").text();
        QCOMPARE(total, QStringLiteral("総距離 %1 km・所要時間 %2")
                            .arg(metres / 1000, 0, 'f', 1)
                            .arg(rundel::session::hours_minutes(OsrmStandIn::seconds(metres))));
        QCOMPARE(control<QLabel>(app.panel(), "lblMeasure").text(),
                 QStringLiteral("道路距離（osrm）"));
        QTRY_COMPARE_WITH_TIMEOUT(
            eval(app.page(), QStringLiteral("document.documentElement.dataset.roads")).toString(),
            QStringLiteral("8"), 10000);
        Running::shoot(app.window(), "rundel-road-route.png");

        // The saved line and track follow the roads: through the bridge, more points than
        // stops; GDAL reads both.
        running.save({"GoogleEarth(KML)", "GPS(GPX)"});
        QFile kml(running.result("KML_", ".kml"));
        QVERIFY(kml.open(QIODevice::ReadOnly));
        QVERIFY(kml.readAll().contains("139.750000,35.680000,0 "));
        QFile gpx(running.result("GPX_", ".gpx"));
        QVERIFY(gpx.open(QIODevice::ReadOnly));
        const QByteArray track = gpx.readAll();
        QVERIFY(track.count("<trkpt") > 9);
        QVERIFY(track.contains("<trkpt lat=\"35.680000\" lon=\"139.750000\"/>"));
        if (const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
            !ogrinfo.isEmpty()) {
            for (const QString& file :
                 {running.result("KML_", ".kml"), running.result("GPX_", ".gpx")}) {
                QProcess process;
                process.start(ogrinfo, {QStringLiteral("-ro"), QStringLiteral("-al"), file});
                QVERIFY(process.waitForFinished(30000));
                QCOMPARE(process.exitCode(), 0);
            }
        }

        // The same stops again: the map server's cache answers, the router is not asked.
        const int asked = osrm.server.requests;
        running.route(8);
        QCOMPARE(osrm.server.requests.load(), asked);

        // The router gone and a new stop: straight lines, and the panel says why.
        osrm.server.stop();
        eval(app.page(), QStringLiteral("window.rundel.map.fire('click',{latlng:L.latLng(35.7,"
                                        "139.76)});true"));
        QTRY_COMPARE_WITH_TIMEOUT(app.lists().nodes().size(), 9, 20000);
        running.route(9);
        const QString note = control<QLabel>(app.panel(), "lblMeasure").toolTip(); // in full
        QVERIFY2(note.startsWith(QStringLiteral("直線距離: ルーターが応答しません")),
                 qPrintable(note));
        QVERIFY(
            !control<QLabel>(app.panel(), "lblTotal").text().contains(QStringLiteral("所要時間")));
        Running::shoot(app.window(), "rundel-straight-fallback.png");
    }

    void aDaysRouteFromTheOfficeToTheLastCustomer() {
        Running running("start_time:08:30\r\nstay:10\r\n");
        RundelApp& app = *running.app;
        eval(
            app.page(),
            QStringLiteral("for (var i = 1; i <= 30; ++i) window.rundel.map.fire('click', {latlng: "
                           "L.latLng(35.6 + (i * 37 % 17) / 100, 139.6 + (i * 53 % 23) / 100)});"
                           "true"));
        QTRY_COMPARE_WITH_TIMEOUT(app.lists().nodes().size(), 30, 20000);
        // 出発地 on stop 5 from its marker's pop-up, 到着地 on stop 20 from the node list.
        eval(app.page(), QStringLiteral("window.rundel.markers.items[4].openPopup();"
                                        "document.querySelector('.leaflet-popup "
                                        ".role-button.start').click();true"));
        QTRY_COMPARE(app.lists().ends().start, 5);
        app.lists().set_ends({5, 20, false});
        QTRY_COMPARE(eval(app.page(), QStringLiteral("document.querySelector('.pin.end span')"
                                                     ".textContent"))
                         .toString(),
                     QStringLiteral("20"));
        running.route(29); // an open path: no leg back
        QVERIFY(app.lists().legs().first().startsWith(QStringLiteral("5→")));
        QVERIFY(app.lists().legs().last().endsWith(QStringLiteral("→20")));
        const QString first = list(app.panel(), "lstNodeConnect").item(0)->text();
        // Reached, left ten minutes later, reckoned at the average speed.
        QVERIFY2(first.contains(QStringLiteral("着・")) &&
                     first.endsWith(QStringLiteral("発（概算）")),
                 qPrintable(first));
        running.save({"訪問リスト(CSV)"});
        QFile csv(running.result("ROUTE_", ".csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = csv.readAll().trimmed().split('\n');
        QCOMPARE(rows.size(), 31); // the header and thirty stops
        QVERIFY(rows.at(1).trimmed().endsWith(",08:30,08:30"));
        const QList<QByteArray> second = rows.at(2).trimmed().split(',');
        const QTime arrives = QTime::fromString(QString::fromUtf8(second.at(second.size() - 2)),
                                                QStringLiteral("HH:mm"));
        const QTime leaves =
            QTime::fromString(QString::fromUtf8(second.last()), QStringLiteral("HH:mm"));
        QCOMPARE(arrives.secsTo(leaves), 600);                    // 滞在時間: ten minutes
        app.map_page().pan(rundel::bridge::PanDirection::Centre); // every stop in view
        QTest::qWait(500);
        Running::shoot(app.window(), "rundel-day-route.png");
    }

    void endingDuringAnImportIsClean_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("close request") << "close";
        QTest::newRow("ファイル → 終了") << "menu";
        QTest::newRow("SIGTERM") << "sigterm";
    }

    void endingDuringAnImportIsClean() {
        QFETCH(QString, how);
        Running running;
        RundelApp& app = *running.app;
        rundel::shell::QuitSignals quit_signals; // wired as the program's main does
        connect(&quit_signals, &rundel::shell::QuitSignals::requested, &app, &RundelApp::end);
        std::string csv;
        for (int i = 0; i < 300; ++i) {
            csv += "地点" + std::to_string(i) + "," + std::to_string(35 + i % 17 / 100.0) + "," +
                   std::to_string(139 + i % 23 / 100.0) + "\r\n";
        }
        running.folder.write("stops.csv", csv);
        running.dialogs.chosen_file = QDir(running.program).filePath(QStringLiteral("stops.csv"));
        app.set_address_mode(rundel::editing::AddressMode::Multi);
        app.import_csv(app.panel());
        QTRY_VERIFY_WITH_TIMEOUT(app.lists().nodes().size() >= 10, 20000);
        QVERIFY(app.lookup().busy());
        if (how == "close") {
            app.window().close();
        } else if (how == "menu") {
            action(app.window(), "mnuEnd").trigger();
        } else {
            ::raise(SIGTERM);
        }
        QTRY_VERIFY(!app.lookup().busy());
        QTest::qWait(500); // the page's last answers arrive at a program that has ended
        QVERIFY2(running.dialogs.messages.isEmpty(),
                 qPrintable(running.dialogs.messages.join('|')));
        QVERIFY(app.lists().nodes().size() < 300);
    }
};

QTEST_MAIN(EndToEndTest)
#include "endtoend_test.moc"
