#include "bridge/mappage.h"
#include "engine/modshortestpath.h"
#include "session/enginepanel.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "support/fakepage.h"
#include "support/scripteddialogs.h"
#include "support/sessionscene.h"
#include "support/tempfolder.h"

#include <QDir>
#include <QSet>
#include <QTest>
#include <filesystem>

Q_DECLARE_METATYPE(rundel::engine::RouteEnds)

using rundel::session::RouteSession;
using rundel::session::SessionLists;

class RouteSessionTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        rundel::test::TempFolder folder;
        rundel::test::FakePage page;
        rundel::bridge::MapPage map{page};
        rundel::test::ScriptedDialogs dialogs;
        rundel::engine::ModShortestPath engine;
        SessionLists lists;
        rundel::session::EnginePanel panel{dialogs};
        RouteSession route{map, lists, panel, dialogs,
                           QString::fromStdString(folder.path().string())};
    };

    /// Solves session @p id and waits (in the test) for the answer: whether it was drawn.
    static bool solve(RouteSession& route, const QString& id) {
        std::optional<bool> drawn;
        route.calc_route(id, {}, [&](bool answer) { drawn = answer; });
        if (!QTest::qWaitFor([&] { return drawn.has_value(); }, 60000)) {
            return false;
        }
        return *drawn;
    }

private slots:
    void calcRoutePublishesTheRouteText_data() {
        QTest::addColumn<QString>("nodes");
        QTest::addColumn<QString>("route");
        QTest::newRow("three on a line")
            << QStringLiteral("NODE_COORD_SECTION\r\n1 0 0\r\n2 1 0\r\n3 3 0\r\nEOF\r\n")
            << QStringLiteral("1/3/2/1");
        QTest::newRow("one node") << QStringLiteral("NODE_COORD_SECTION\r\n1 5 5\r\nEOF\r\n")
                                  << QStringLiteral("1/1");
    }

    void calcRoutePublishesTheRouteText() {
        QFETCH(QString, nodes);
        QFETCH(QString, route);
        Fixture f;
        f.folder.write("ab12_nodedata.tsp", nodes.toStdString());
        QVERIFY(solve(f.route, QStringLiteral("ab12")));
        QCOMPARE(f.page.log, (QStringList{"write tspnodedata=" + route, "click drawtspnode"}));
        QCOMPARE(f.panel.file(), QStringLiteral("ab12_nodedata.tsp"));
        QCOMPARE(f.panel.result(), route);
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void aNodeFileThatCannotBeUsedReleasesTheRouteRequest_data() {
        QTest::addColumn<QString>("content"); // empty: no file at all
        QTest::newRow("missing") << QString();
        QTest::newRow("malformed") << QStringLiteral("NODE_COORD_SECTION\r\n1 1  2\r\nEOF\r\n");
        QTest::newRow("error page") << QStringLiteral("<html>404</html>");
    }

    void aNodeFileThatCannotBeUsedReleasesTheRouteRequest() {
        QFETCH(QString, content);
        Fixture f;
        if (!content.isEmpty()) {
            f.folder.write("ab12_nodedata.tsp", content.toStdString());
        }
        QVERIFY(!solve(f.route, QStringLiteral("ab12")));
        QCOMPARE(f.dialogs.messages.size(), 2); // why, then the load failure
        QVERIFY(!f.dialogs.messages.first().isEmpty());
        QCOMPARE(f.dialogs.messages.last(), QStringLiteral("Erorr Load File"));
        QVERIFY(f.page.log.isEmpty());
    }

    void improvedRoutesArePublishedWithTheirLengthBefore() {
        // Forty places scattered over a few kilometres: the construction leaves room to
        // improve.
        QStringList nodes;
        for (int i = 1; i <= 40; ++i) {
            nodes.append(QStringLiteral("%1,%2,%3")
                             .arg(i)
                             .arg(35.0 + (i * 37 % 17) / 100.0)
                             .arg(139.0 + (i * 53 % 23) / 100.0));
        }
        QString text = QStringLiteral("NODE_COORD_SECTION\r\n");
        for (const QString& entry : nodes) {
            const QStringList f = entry.split(',');
            // Planar kilometres, as the map server writes them.
            text += QStringLiteral("%1 %2 %3\r\n")
                        .arg(f[0])
                        .arg(f[2].toDouble() * 91.0)
                        .arg(f[1].toDouble() * 111.0);
        }
        Fixture plain;
        Fixture improved;
        for (Fixture* f : {&plain, &improved}) {
            f->lists.set_nodes(nodes);
            f->folder.write("s_nodedata.tsp", text.toStdString());
        }
        improved.route.set_improve(true);
        QVERIFY(solve(plain.route, QStringLiteral("s")));
        QVERIFY(solve(improved.route, QStringLiteral("s")));
        QVERIFY(plain.lists.unimproved_km() < 0);
        QVERIFY(improved.lists.unimproved_km() > 0);
        QVERIFY(improved.panel.result() != plain.panel.result());
        QCOMPARE(improved.page.log.last(), QStringLiteral("click drawtspnode"));

        // The page answers with the legs: the total is measured on them, the length before
        // stays for the panel to show.
        improved.route.set_result({"1→2", "2→1"}, {"35.6812,139.7671,34.7025,135.4959",
                                                   "34.7025,135.4959,35.6812,139.7671"});
        QVERIFY(qAbs(improved.lists.route_km() - 2 * 403.5) < 0.005 * 2 * 403.5);
        QVERIFY(improved.lists.unimproved_km() > 0);
        improved.lists.clear_legs();
        QVERIFY(improved.lists.unimproved_km() < 0);
    }

    void aDaysRouteRunsFromItsStartToItsEnd_data() {
        QTest::addColumn<rundel::engine::RouteEnds>("ends");
        QTest::addColumn<QString>("route");
        // Five stops on a line: 1 at 0, 2 at 4, 3 at 1, 4 at 3, 5 at 2.
        QTest::newRow("round trip from 3")
            << rundel::engine::RouteEnds{3, 0, false} << QStringLiteral("3/5/4/2/1/3");
        QTest::newRow("from 1 to 2")
            << rundel::engine::RouteEnds{1, 2, false} << QStringLiteral("1/3/5/4/2");
        QTest::newRow("from 5, ending where best")
            << rundel::engine::RouteEnds{5, 0, true} << QStringLiteral("5/?/?/?/?");
    }

    void aDaysRouteRunsFromItsStartToItsEnd() {
        QFETCH(rundel::engine::RouteEnds, ends);
        QFETCH(QString, route);
        Fixture f;
        f.folder.write("d_nodedata.tsp", "NODE_COORD_SECTION\r\n1 0 0\r\n2 4 0\r\n3 1 0\r\n"
                                         "4 3 0\r\n5 2 0\r\nEOF\r\n");
        f.lists.set_ends(ends);
        QVERIFY(solve(f.route, QStringLiteral("d")));
        const QString drawn = f.panel.result();
        QCOMPARE(drawn.split('/').size(), route.split('/').size());
        QCOMPARE(drawn.section('/', 0, 0), route.section('/', 0, 0));
        if (route.section('/', -1) != QStringLiteral("?")) {
            QCOMPARE(drawn.section('/', -1), route.section('/', -1));
        }
        QCOMPARE(f.lists.route_open(), ends.is_open());
    }

    void aStoppedImprovementDrawsTheBestTourSoFar() {
        // Twenty thousand nodes: the improvement would take seconds; stopped, it ends at once.
        std::string text = "NODE_COORD_SECTION\r\n";
        for (int i = 1; i <= 20000; ++i) {
            text += std::to_string(i) + " " + std::to_string(i * 7919 % 10007) + " " +
                    std::to_string(i * 104729 % 10009) + "\r\n";
        }
        Fixture f;
        f.folder.write("big_nodedata.tsp", text);
        f.route.set_improve(true);
        std::optional<bool> drawn;
        f.route.calc_route(QStringLiteral("big"), {}, [&](bool answer) { drawn = answer; });
        QVERIFY(f.route.solving());
        f.route.stop();
        QTRY_VERIFY_WITH_TIMEOUT(drawn.has_value(), 20000);
        QVERIFY(*drawn);
        QVERIFY(!f.route.solving());
        const QStringList stops = f.panel.result().split('/');
        QCOMPARE(stops.size(), 20001); // every node, and back to the first
        QCOMPARE(QSet<QString>(stops.begin(), stops.end()).size(), 20000);
    }

    void initDataClearsTheSessionButKeepsBatchNodeFiles() {
        Fixture f;
        f.folder.write("a_nodedata.tsp", "x");
        f.folder.write("pr76.tsp", "a node file waiting for the batch folder engine");
        std::filesystem::create_directories(f.folder.path() / "sub");
        f.folder.write("sub/keep.txt", "z");
        f.lists.append_node("1,35,139");
        f.lists.set_legs({"1→1"}, {"35,139,35,139"});
        int address_cleared = 0;
        connect(&f.lists, &SessionLists::addressCleared, this, [&] { ++address_cleared; });

        f.route.init_data();
        QCOMPARE(f.page.log, QStringList{"click routeclear"});
        QVERIFY(f.lists.nodes().isEmpty());
        QVERIFY(f.lists.legs().isEmpty());
        QVERIFY(f.lists.routeCoordList().isEmpty());
        QCOMPARE(address_cleared, 1);
        QVERIFY(!std::filesystem::exists(f.folder.path() / "a_nodedata.tsp"));
        QVERIFY(std::filesystem::exists(f.folder.path() / "pr76.tsp"));
        QVERIFY(std::filesystem::exists(f.folder.path() / "sub" / "keep.txt"));
    }
};

QTEST_GUILESS_MAIN(RouteSessionTest)
#include "routesession_test.moc"
