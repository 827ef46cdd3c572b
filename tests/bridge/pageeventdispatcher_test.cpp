#include "bridge/pageeventdispatcher.h"
#include "bridge/pageeventhandler.h"
#include "bridge/pagewait.h"
#include "bridge/sharedflags.h"
#include "support/fakepage.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <ctime>

using rundel::bridge::PageEventDispatcher;
using rundel::test::FakePage;

namespace {

class RecordingHandler final : public rundel::bridge::PageEventHandler {
public:
    void node_entry_arrived(const QString& entry) override { calls << "node " + entry; }
    void node_data_ready(const QString& id) override { calls << "nodedata " + id; }
    void move_node() override { calls << "move"; }
    void delete_node() override { calls << "delete"; }
    void show_message(const QString& text) override { calls << "message " + text; }
    QStringList calls;
};

} // namespace

class PageEventDispatcherTest : public QObject {
    Q_OBJECT

private slots:
    void dispatchesEachWord_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("geocode_flag");
        QTest::addColumn<QString>("getnode_flag");
        QTest::addColumn<QString>("notfound_list");
        const QString none;
        QTest::newRow("getnode") << QStringLiteral("getnode") << QStringList{"node 3,35.1,139.2"}
                                 << none << QStringLiteral("ok") << none;
        QTest::newRow("nodedataok")
            << QStringLiteral("nodedataok") << QStringList{"nodedata 0123456789abcdef"} << none
            << none << none;
        QTest::newRow("nodedatano")
            << QStringLiteral("nodedatano") << QStringList{"message ノードデータ取得失敗"} << none
            << none << none;
        QTest::newRow("tspconnectlistok")
            << QStringLiteral("tspconnectlistok") << QStringList{} << none << none << none;
        QTest::newRow("pointdragend")
            << QStringLiteral("pointdragend") << QStringList{"move"} << none << none << none;
        QTest::newRow("delmarker")
            << QStringLiteral("delmarker") << QStringList{"delete"} << none << none << none;
        QTest::newRow("geocodenotfound_single")
            << QStringLiteral("geocodenotfound_single")
            << QStringList{"message この住所の座標を取得できませんでした。(geocoding failed)"}
            << none << none << none;
        QTest::newRow("geocodefound_multi") << QStringLiteral("geocodefound_multi") << QStringList{}
                                            << QStringLiteral("ok") << none << none;
        QTest::newRow("geocodenotfound_multi")
            << QStringLiteral("geocodenotfound_multi") << QStringList{} << QStringLiteral("no")
            << none << QStringLiteral("大阪市北区 の座標を取得できませんでした\r\n");
        QTest::newRow("page title on load")
            << QStringLiteral("Rundel_Engine") << QStringList{} << none << none << none;
        QTest::newRow("wrong case")
            << QStringLiteral("GetNode") << QStringList{} << none << none << none;
    }

    void dispatchesEachWord() {
        QFETCH(QString, word);
        QFETCH(QStringList, calls);
        FakePage page;
        page.values = {{"unitnode", "3,35.1,139.2"}, {"sesid", "0123456789abcdef"}};
        RecordingHandler handler;
        rundel::bridge::SharedFlags flags;
        flags.current_address = QStringLiteral("大阪市北区");
        PageEventDispatcher dispatcher(page, handler, flags);
        page.show_title(word);
        QCOMPARE(handler.calls, calls);
        using Geocode = rundel::bridge::SharedFlags::Geocode;
        const QString geocode = flags.geocode == Geocode::Found      ? QStringLiteral("ok")
                                : flags.geocode == Geocode::NotFound ? QStringLiteral("no")
                                                                     : QString();
        QTEST(geocode, "geocode_flag");
        QTEST(flags.node_arrived ? QStringLiteral("ok") : QString(), "getnode_flag");
        QTEST(flags.notfound_list, "notfound_list");
        QCOMPARE(page.log.last(), QStringLiteral("reset"));
        QCOMPARE(page.title(), QStringLiteral("tsp"));
    }

    void sameWordTwiceIsHandledTwiceAndNotFoundLinesKeepTheirOrder() {
        FakePage page;
        RecordingHandler handler;
        rundel::bridge::SharedFlags flags;
        PageEventDispatcher dispatcher(page, handler, flags);
        for (const char* address : {"A", "B", "C"}) {
            flags.current_address = QString::fromUtf8(address);
            page.show_title(QStringLiteral("geocodenotfound_multi"));
        }
        QCOMPARE(flags.notfound_list, QStringLiteral("A の座標を取得できませんでした\r\n"
                                                     "B の座標を取得できませんでした\r\n"
                                                     "C の座標を取得できませんでした\r\n"));
        page.values.insert(QStringLiteral("unitnode"), QStringLiteral("1,2,3"));
        page.show_title(QStringLiteral("getnode"));
        page.show_title(QStringLiteral("getnode"));
        QCOMPARE(handler.calls, (QStringList{"node 1,2,3", "node 1,2,3"}));
    }

    void titlesDuringACommandWaitForItAndKeepTheirOrder() {
        FakePage page;
        RecordingHandler handler;
        rundel::bridge::SharedFlags flags;
        PageEventDispatcher dispatcher(page, handler, flags);
        page.values.insert(QStringLiteral("unitnode"), QStringLiteral("1,2,3"));
        // The page answers a click with three events before the click has returned.
        page.on_click.insert(QStringLiteral("getnodecoord"), [&] {
            page.show_title(QStringLiteral("getnode"));
            page.show_title(QStringLiteral("pointdragend"));
            page.show_title(QStringLiteral("delmarker"));
            QVERIFY(handler.calls.isEmpty());
        });
        page.click(QStringLiteral("getnodecoord"));
        QVERIFY(handler.calls.isEmpty()); // not from inside the command
        QTRY_COMPARE(handler.calls, (QStringList{"node 1,2,3", "move", "delete"}));
        QTest::qWait(50);
        QCOMPARE(handler.calls.size(), 3); // none twice
    }

    void waitEndsWhenTheConditionHoldsWithoutSpinning() {
        bool answered = false;
        QTimer::singleShot(600, [&] { answered = true; });
        const std::clock_t cpu_before = std::clock();
        QElapsedTimer wall;
        wall.start();
        QVERIFY(rundel::bridge::PageWait::until([&] { return answered; }));
        QVERIFY(wall.elapsed() >= 550);
        const double cpu_seconds = static_cast<double>(std::clock() - cpu_before) / CLOCKS_PER_SEC;
        QVERIFY2(cpu_seconds < 0.2, qPrintable(QString::number(cpu_seconds)));
    }
};

QTEST_GUILESS_MAIN(PageEventDispatcherTest)
#include "pageeventdispatcher_test.moc"
