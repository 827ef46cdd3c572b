#include "editing/nodelisteditor.h"
#include "engine/modshortestpath.h"
#include "session/enginepanel.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "support/fakepage.h"
#include "support/scripteddialogs.h"
#include "support/sessionscene.h"

#include <QApplication>
#include <QTest>

using rundel::editing::NodeListEditor;

class NodeListEditorTest : public QObject {
    Q_OBJECT

private:
    using Fixture = rundel::test::SessionScene;

private slots:
    void routeRequestWithNoNodesSendsNothing() {
        Fixture f;
        f.editor.request_route();
        QVERIFY(f.page.log.isEmpty());
        QVERIFY(!f.editor.route_pending());
    }

    void routeRequestTakesTheLegsOnOkOnly_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("taken");
        QTest::newRow("ok") << QStringLiteral("ok") << true;
        QTest::newRow("no") << QStringLiteral("no") << false;
        QTest::newRow("other") << QStringLiteral("Ok ") << false;
    }

    void routeRequestTakesTheLegsOnOkOnly() {
        QFETCH(QString, answer);
        QFETCH(bool, taken);
        Fixture f;
        f.lists.append_node("1,35,139");
        f.lists.set_legs({"old"}, {"old"});
        f.page.values = {{"connectlistarray", "1→1/"}, {"coordlistarray", "35,139,35,139/"}};
        f.editor.request_route();
        QCOMPARE(f.page.log, (QStringList{"write tspconnectlist=", "click requestnodedata"}));
        QVERIFY(f.editor.route_pending());
        // The page answers later; nothing waited for it meanwhile.
        f.page.values.insert("tspconnectlist", answer);
        f.page.show_title("tspconnectlistok");
        QCOMPARE(f.lists.legs(), taken ? QStringList{"1→1"} : QStringList{"old"});
        QVERIFY(!f.editor.route_pending());
    }

    void aSecondPressStopsTheRequest() {
        Fixture f;
        f.lists.append_node("1,35,139");
        f.editor.request_route();
        f.editor.request_route(); // 中止 before the page sent the markers
        QVERIFY(!f.editor.route_pending());
        QCOMPARE(f.page.log.count("click requestnodedata"), 1);
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void clearAsksFirst() {
        Fixture f;
        f.lists.append_node("1,35,139");
        f.dialogs.answers.enqueue(false);
        f.dialogs.answers.enqueue(true);
        f.editor.clear_session();
        QCOMPARE(f.lists.nodes().size(), 1);
        f.editor.clear_session();
        QVERIFY(f.lists.nodes().isEmpty());
        QCOMPARE(f.dialogs.questions.first(), QStringLiteral("データ消去: 消去してもいい？"));
    }

    void moveNode_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("middle of three")
            << QStringList{"1,a,b", "3,c,d", "5,e,f"} << QStringLiteral("3")
            << QStringList{"1,a,b", "3,LAT,LNG", "5,e,f"};
        QTest::newRow("first of two equal") << QStringList{"2,a,b", "2,c,d"} << QStringLiteral("2")
                                            << QStringList{"2,LAT,LNG", "2,c,d"};
        QTest::newRow("compared as text")
            << QStringList{"3,a,b"} << QStringLiteral("03") << QStringList{"3,a,b"};
        QTest::newRow("no match") << QStringList{"1,a,b"} << QStringLiteral("9")
                                  << QStringList{"1,a,b"};
    }

    void moveNode() {
        QFETCH(QStringList, before);
        QFETCH(QString, dragged);
        Fixture f;
        f.lists.set_nodes(before);
        f.page.values = {{"dragnumber", dragged}, {"ido_byo_10", "LAT"}, {"keido_byo_10", "LNG"}};
        f.page.show_title("pointdragend");
        QTEST(f.lists.nodes(), "after");
    }

    void deleteNode_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("second of four")
            << QStringList{"1,a,b", "2,c,d", "3,e,f", "4,g,h"} << QStringLiteral("2")
            << QStringList{"1,a,b", "2,e,f", "3,g,h"};
        QTest::newRow("both equal entries") << QStringList{"1,a,b", "1,c,d", "2,e,f"}
                                            << QStringLiteral("1") << QStringList{"1,e,f"};
        QTest::newRow("missing number still shifts")
            << QStringList{"1,a,b", "4,c,d"} << QStringLiteral("2")
            << QStringList{"1,a,b", "3,c,d"};
        QTest::newRow("only entry") << QStringList{"1,a,b"} << QStringLiteral("1") << QStringList{};
        QTest::newRow("compared as numbers")
            << QStringList{"3,a,b", "4,c,d"} << QStringLiteral("03") << QStringList{"3,c,d"};
        QTest::newRow("extra fields dropped")
            << QStringList{"1,a,b,x"} << QStringLiteral("5") << QStringList{"1,a,b"};
        QTest::newRow("beyond 16 bits") << QStringList{"40000,a,b", "70000,c,d"}
                                        << QStringLiteral("40000") << QStringList{"69999,c,d"};
        QTest::newRow("delnumber not a number")
            << QStringList{"1,a,b"} << QStringLiteral("x") << QStringList{"1,a,b"};
        QTest::newRow("entry not understood")
            << QStringList{"1,a,b", "x,c,d"} << QStringLiteral("1")
            << QStringList{"1,a,b", "x,c,d"};
        QTest::newRow("entry too short")
            << QStringList{"1,a,b", "2,c"} << QStringLiteral("1") << QStringList{"1,a,b", "2,c"};
    }

    void deleteNode() {
        QFETCH(QStringList, before);
        QFETCH(QString, deleted);
        Fixture f;
        f.lists.set_nodes(before);
        f.page.values = {{"delnumber", deleted}};
        f.page.show_title("delmarker");
        QTEST(f.lists.nodes(), "after");
    }

    void theDaysStartAndEndFollowTheNodes() {
        Fixture f;
        f.lists.set_nodes({"1,a,b", "2,c,d", "3,e,f", "4,g,h"});
        f.editor.set_start(2);
        f.editor.set_end(4);
        QCOMPARE(f.lists.ends(), (rundel::engine::RouteEnds{2, 4, false}));
        QCOMPARE(f.page.log.last(), QStringLiteral("click setmarkerroles"));
        QVERIFY(f.page.log.contains("write markerroles=2,4"));
        f.editor.set_end(2); // the start chosen as the end: it is no longer the start
        QCOMPARE(f.lists.ends(), (rundel::engine::RouteEnds{0, 2, false}));
        f.editor.set_start(3);
        f.editor.set_one_way(true); // 片道: the end is the best last stop
        QCOMPARE(f.lists.ends(), (rundel::engine::RouteEnds{3, 0, true}));
        f.editor.set_end(4);
        // A marker deleted on the map: the ends above it move down, a deleted end goes.
        f.page.values = {{"delnumber", "1"}};
        f.page.show_title("delmarker");
        QCOMPARE(f.lists.ends(), (rundel::engine::RouteEnds{2, 3, false}));
        f.page.values = {{"delnumber", "3"}};
        f.page.show_title("delmarker");
        QCOMPARE(f.lists.ends(), (rundel::engine::RouteEnds{2, 0, false}));
        // Chosen on the map, from a marker's pop-up.
        f.page.values = {{"rolenumber", "1"}, {"rolekind", "end"}};
        f.page.show_title("markerrole");
        QCOMPARE(f.lists.ends(), (rundel::engine::RouteEnds{2, 1, false}));
    }

    void aStopsStayIsEditedAlone() {
        Fixture f;
        f.lists.set_nodes({"1,a,b", "2,c,d"});
        f.dialogs.numbers.enqueue(25);
        f.editor.edit_stay(2);
        QCOMPARE(f.lists.stay(2), 25);
        QCOMPARE(f.lists.stay(1), 0); // the day's
        f.editor.edit_stay(1);        // cancelled: nothing changes
        QCOMPARE(f.dialogs.asked_value, 0);
        QCOMPARE(f.lists.stay(1), 0);
    }

    void legSelection() {
        Fixture f;
        f.lists.set_legs({"1→2", "2→1"}, {"35.1,139.1,35.2,139.2", "short"});
        QCOMPARE(f.editor.leg_fields(0), (QStringList{"35.1", "139.1", "35.2", "139.2"}));
        QCOMPARE(f.editor.leg_fields(1), (QStringList{"short", "", "", ""}));
        QVERIFY(f.editor.leg_fields(-1).isEmpty());
        QVERIFY(f.editor.leg_fields(2).isEmpty());
    }
};

QTEST_MAIN(NodeListEditorTest)
#include "nodelisteditor_test.moc"
