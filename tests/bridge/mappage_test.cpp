#include "bridge/mappage.h"
#include "support/fakepage.h"

#include <QSignalSpy>
#include <QTest>

using rundel::bridge::MapPage;
using rundel::test::FakePage;

namespace {

/// Every signal of the page, recorded as one line each.
struct Recorder {
    explicit Recorder(MapPage& map) {
        QObject::connect(&map, &MapPage::nodeArrived,
                         [this](const QString& e) { calls << "node " + e; });
        QObject::connect(&map, &MapPage::nodeDataReady,
                         [this](const QString& id) { calls << "nodedata " + id; });
        QObject::connect(&map, &MapPage::nodeDataFailed, [this] { calls << "nodedata failed"; });
        QObject::connect(&map, &MapPage::routeDrawn,
                         [this](const QStringList& l, const QStringList& c) {
                             calls << "route " + l.join('|') + " @ " + c.join('|');
                         });
        QObject::connect(&map, &MapPage::routeRefused, [this] { calls << "route refused"; });
        QObject::connect(&map, &MapPage::markerMoved,
                         [this](const QString& n, const QString& a, const QString& b) {
                             calls << "moved " + n + "," + a + "," + b;
                         });
        QObject::connect(&map, &MapPage::markerDeleted,
                         [this](qlonglong n) { calls << "deleted " + QString::number(n); });
        QObject::connect(&map, &MapPage::markerRoleChosen, [this](int n, bool start) {
            calls << QStringLiteral("role %1 %2").arg(n).arg(start ? "start" : "end");
        });
        QObject::connect(&map, &MapPage::addressAnswered, [this](bool found, bool list) {
            calls << QStringLiteral("address %1 %2")
                         .arg(found ? "found" : "not found", list ? "list" : "single");
        });
    }
    QStringList calls;
};

} // namespace

/// The typed page: each title word becomes one signal carrying the values read for it, and
/// the title is put back after the read so that the page can raise its next event.
class MapPageTest : public QObject {
    Q_OBJECT

private slots:
    void eachEventReadsItsValuesOnce_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("reads");
        QTest::newRow("getnode") << "getnode" << QStringList{"node 3,35.1,139.2"}
                                 << QStringList{"read unitnode"};
        QTest::newRow("nodedataok") << "nodedataok" << QStringList{"nodedata 0123456789abcdef"}
                                    << QStringList{"read sesid"};
        QTest::newRow("nodedatano")
            << "nodedatano" << QStringList{"nodedata failed"} << QStringList{};
        QTest::newRow("route drawn, trailing slash skipped with its ends")
            << "tspconnectlistok" << QStringList{"route 1→2|2→1 @ a,b,c,d|c,d,a,b"}
            << QStringList{"read tspconnectlist", "read connectlistarray", "read coordlistarray"};
        QTest::newRow("pointdragend")
            << "pointdragend" << QStringList{"moved 2,35.5,139.5"}
            << QStringList{"read dragnumber", "read ido_byo_10", "read keido_byo_10"};
        QTest::newRow("delmarker")
            << "delmarker" << QStringList{"deleted 40000"} << QStringList{"read delnumber"};
        QTest::newRow("markerrole") << "markerrole" << QStringList{"role 2 start"}
                                    << QStringList{"read rolenumber", "read rolekind"};
        QTest::newRow("geocodenotfound_single")
            << "geocodenotfound_single" << QStringList{"address not found single"} << QStringList{};
        QTest::newRow("geocodefound_multi")
            << "geocodefound_multi" << QStringList{"address found list"} << QStringList{};
        QTest::newRow("geocodenotfound_multi")
            << "geocodenotfound_multi" << QStringList{"address not found list"} << QStringList{};
    }

    void eachEventReadsItsValuesOnce() {
        QFETCH(QString, word);
        QFETCH(QStringList, reads);
        FakePage page;
        page.values = {{"unitnode", "3,35.1,139.2"},
                       {"sesid", "0123456789abcdef"},
                       {"tspconnectlist", "ok"},
                       {"connectlistarray", "1→2/2→1/"},
                       {"coordlistarray", "a,b,c,d/c,d,a,b/"},
                       {"dragnumber", "2"},
                       {"ido_byo_10", "35.5"},
                       {"keido_byo_10", "139.5"},
                       {"delnumber", "40000"},
                       {"rolenumber", "2"},
                       {"rolekind", "start"}};
        MapPage map(page);
        Recorder recorder(map);
        page.show_title(word);
        QTEST(recorder.calls, "calls");
        QCOMPARE(page.log, reads + QStringList{"reset"});
        QCOMPARE(page.title(), QStringLiteral("tsp"));
    }

    void drawnLegsStayAlignedWithTheirEnds_data() {
        QTest::addColumn<QString>("labels");
        QTest::addColumn<QString>("coords");
        QTest::addColumn<QString>("call");
        QTest::newRow("empty label in the middle") << "A//B"
                                                   << "c1/c2/c3"
                                                   << "route A|B @ c1|c3";
        QTest::newRow("fewer coordinates") << "A/B/C/"
                                           << "c1/"
                                           << "route A|B|C @ c1||";
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "route  @ ";
    }

    void drawnLegsStayAlignedWithTheirEnds() {
        QFETCH(QString, labels);
        QFETCH(QString, coords);
        FakePage page;
        page.values = {
            {"tspconnectlist", "ok"}, {"connectlistarray", labels}, {"coordlistarray", coords}};
        MapPage map(page);
        Recorder recorder(map);
        page.show_title("tspconnectlistok");
        QFETCH(QString, call);
        QCOMPARE(recorder.calls, QStringList{call});
    }

    void titlesThatAreNoEventsAreLeftAlone_data() {
        QTest::addColumn<QString>("title");
        QTest::newRow("idle") << "tsp";
        QTest::newRow("page title on load") << "Rundel_Engine";
        QTest::newRow("wrong case") << "GetNode";
    }

    void titlesThatAreNoEventsAreLeftAlone() {
        QFETCH(QString, title);
        FakePage page;
        MapPage map(page);
        Recorder recorder(map);
        page.show_title(title);
        QVERIFY(recorder.calls.isEmpty());
        QVERIFY(page.log.isEmpty());
    }

    void answersThatCannotBeUsed_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("route answered no") << "tspconnectlistok"
                                           << "tspconnectlist"
                                           << "no" << QStringList{"route refused"};
        QTest::newRow("route answered otherwise") << "tspconnectlistok"
                                                  << "tspconnectlist"
                                                  << "Ok " << QStringList{"route refused"};
        QTest::newRow("deleted marker not a number") << "delmarker"
                                                     << "delnumber"
                                                     << "x" << QStringList{};
    }

    void answersThatCannotBeUsed() {
        QFETCH(QString, word);
        QFETCH(QString, id);
        QFETCH(QString, value);
        FakePage page;
        page.values.insert(id, value);
        MapPage map(page);
        Recorder recorder(map);
        page.show_title(word);
        QTEST(recorder.calls, "calls");
        QCOMPARE(page.log.last(), QStringLiteral("reset"));
    }

    void commandsSpellTheContract() {
        FakePage page;
        MapPage map(page);
        map.look_up("大阪市北区", rundel::bridge::LookupMode::List);
        map.add_marker("35.1", "139.1");
        map.request_node_data();
        map.set_zoom(7);
        map.pan(rundel::bridge::PanDirection::Centre);
        map.set_map_type(rundel::bridge::MapType::Terrain);
        map.set_map_type(rundel::bridge::MapType::Earth);
        QCOMPARE(
            page.log,
            (QStringList{"write getaddressflag=multi", "write realaddress=大阪市北区",
                         "click newgeocoding", "write nodecoord=35.1,139.1", "click addnodecoord",
                         "write tspconnectlist=", "click requestnodedata", "write mapzoomlevel=7",
                         "click setzoomlevel", "click mappancenter", "click setmaptypechikei",
                         "click setmaptypeearth"}));
        // Every direction and map type names a button of the page (the fake refuses others).
        for (int d = 0; d <= static_cast<int>(rundel::bridge::PanDirection::RightDown); ++d) {
            map.pan(static_cast<rundel::bridge::PanDirection>(d));
        }
        for (int t = 0; t <= static_cast<int>(rundel::bridge::MapType::Earth); ++t) {
            map.set_map_type(static_cast<rundel::bridge::MapType>(t));
        }
        QCOMPARE(page.log.filter("click mappan").size(), 10);
    }
};

QTEST_GUILESS_MAIN(MapPageTest)
#include "mappage_test.moc"
