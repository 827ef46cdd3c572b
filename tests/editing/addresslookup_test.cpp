#include "bridge/pageeventdispatcher.h"
#include "bridge/pageeventhandler.h"
#include "bridge/sharedflags.h"
#include "editing/addresslookup.h"
#include "editing/csvaddressfile.h"
#include "editing/csvstops.h"
#include "session/sessionlists.h"
#include "support/fakepage.h"
#include "support/scripteddialogs.h"
#include "support/tempfolder.h"

#include <QStringEncoder>
#include <QTest>
#include <QTimer>

using rundel::editing::AddressLookup;
using rundel::editing::CsvAddressFile;

namespace {

class NodeCollector final : public rundel::bridge::PageEventHandler {
public:
    explicit NodeCollector(rundel::session::SessionLists& lists) : lists_(lists) {}
    void node_entry_arrived(const QString& entry) override {
        nodes << entry;
        lists_.append_node(entry);
    }
    void node_data_ready(const QString&) override {}
    void move_node() override {}
    void delete_node() override {}
    void show_message(const QString& text) override { messages << text; }
    QStringList nodes;
    QStringList messages;

private:
    rundel::session::SessionLists& lists_;
};

/// A page that finds every address except those starting with "x", answering a little later
/// as a real page does.
struct Scene {
    Scene() {
        page.on_click.insert("newgeocoding", [this] {
            const bool found = !page.values.value("realaddress").startsWith('x');
            const bool multi = page.values.value("getaddressflag") == "multi";
            QTimer::singleShot(20, [this, found, multi] {
                page.show_title(found
                                    ? (multi ? "geocodefound_multi" : "moved")
                                    : (multi ? "geocodenotfound_multi" : "geocodenotfound_single"));
            });
        });
        page.on_click.insert("getnodecoord", [this] {
            page.values.insert("unitnode", QString::number(++markers) + ",35,139");
            QTimer::singleShot(20, [this] { page.show_title("getnode"); });
        });
        page.on_click.insert("addnodecoord", [this] {
            page.values.insert("unitnode",
                               QString::number(++markers) + "," + page.values.value("nodecoord"));
            QTimer::singleShot(20, [this] { page.show_title("getnode"); });
        });
    }
    rundel::test::FakePage page;
    rundel::bridge::SharedFlags flags;
    rundel::session::SessionLists lists;
    NodeCollector collector{lists};
    rundel::bridge::PageEventDispatcher dispatcher{page, collector, flags};
    rundel::test::ScriptedDialogs dialogs;
    AddressLookup lookup{page, flags, lists, dialogs};
    int markers = 0;
};

} // namespace

class AddressLookupTest : public QObject {
    Q_OBJECT

private slots:
    void singleModeMovesTheMapAndDoesNotWait() {
        Scene s;
        s.flags.notfound_list = "old\r\n";
        s.lookup.lookup(QString(), {"A"}); // an empty box sends nothing, and keeps the list
        QVERIFY(s.page.log.isEmpty());
        QCOMPARE(s.flags.notfound_list, QStringLiteral("old\r\n"));
        s.lookup.lookup(QStringLiteral("東京都千代田区"), {});
        QCOMPARE(s.page.log,
                 (QStringList{"write getaddressflag=single", "write realaddress=東京都千代田区",
                              "click newgeocoding"}));
        QVERIFY(s.flags.notfound_list.isEmpty());
        QTest::qWait(100);
        QVERIFY(s.collector.messages.isEmpty()); // found: the map moves, nothing else
        s.lookup.lookup(QStringLiteral("x-nowhere"), {});
        QTRY_COMPARE(s.collector.messages,
                     QStringList{"この住所の座標を取得できませんでした。(geocoding failed)"});
    }

    void multiModeWalksTheListAndReportsWhatWasNotFound() {
        Scene s;
        s.lookup.set_address_mode(rundel::editing::AddressMode::Multi);
        s.lookup.lookup(QString(), {"A", "", "xB", "C", "xD"});
        QCOMPARE(s.collector.nodes, (QStringList{"1,35,139", "2,35,139"}));
        QCOMPARE(s.page.log.filter("write realaddress="),
                 (QStringList{"write realaddress=A", "write realaddress=xB", "write realaddress=C",
                              "write realaddress=xD"}));
        QCOMPARE(s.page.log.count("click getnodecoord"), 2);
        // getnodecoord only after a found address, and the next address only after its node.
        const qsizetype first_node = s.page.log.indexOf("click getnodecoord");
        QVERIFY(first_node > s.page.log.indexOf("write realaddress=A"));
        QVERIFY(first_node < s.page.log.indexOf("write realaddress=xB"));
        QCOMPARE(s.dialogs.messages, QStringList{"xB の座標を取得できませんでした\r\n"
                                                 "xD の座標を取得できませんでした\r\n"});
        QVERIFY(s.flags.geocode == rundel::bridge::SharedFlags::Geocode::Waiting);
    }

    void coordinatesPlaceNodesWithoutLookupAndEveryNodeKeepsItsSource() {
        Scene s;
        s.lookup.set_address_mode(rundel::editing::AddressMode::Multi);
        s.lookup.lookup(QString(), {"A", "本社,35.6812,139.7671", "34.7025,135.4959", "xB"});
        QCOMPARE(s.collector.nodes,
                 (QStringList{"1,35,139", "2,35.6812,139.7671", "3,34.7025,135.4959"}));
        QCOMPARE(s.page.log.filter("write realaddress="),
                 (QStringList{"write realaddress=A", "write realaddress=xB"}));
        QCOMPARE(s.lists.source(1), QStringLiteral("A"));
        QCOMPARE(s.lists.source(2), QStringLiteral("本社"));
        QCOMPARE(s.lists.source(3), QString());
        QCOMPARE(s.page.log.last(), QStringLiteral("click mappancenter"));
        QCOMPARE(s.dialogs.messages, QStringList{"xB の座標を取得できませんでした\r\n"});
    }

    void multiModeAllFoundOrEmpty() {
        Scene s;
        s.lookup.set_address_mode(rundel::editing::AddressMode::Multi);
        s.lookup.lookup(QString(), {"A", "B"});
        QVERIFY(s.dialogs.messages.isEmpty());
        QVERIFY(s.flags.node_arrived); // the last address was found
        s.page.log.clear();            // an empty list looks nothing up and shows the list it has
        s.flags.notfound_list = "Z の座標を取得できませんでした\r\n";
        s.lookup.lookup(QString(), {});
        QVERIFY(s.page.log.isEmpty());
        QCOMPARE(s.dialogs.messages.size(), 1);
    }

    void aSecondLookupWhileOneWaitsIsRefused() {
        Scene s;
        s.lookup.set_address_mode(rundel::editing::AddressMode::Multi);
        bool tried = false;
        s.page.on_click.insert("getnodecoord", [&] {
            if (!tried) {
                tried = true;
                s.lookup.lookup(QString(), {"intruder"}); // e.g. from the side window
            }
            s.page.values.insert("unitnode", "1,35,139");
            QTimer::singleShot(20, [&] { s.page.show_title("getnode"); });
        });
        s.lookup.lookup(QString(), {"A"});
        QCOMPARE(s.dialogs.messages.size(), 1);
        QVERIFY(s.dialogs.messages.first().contains(QStringLiteral("検索中")));
        QVERIFY(!s.page.log.contains("write realaddress=intruder"));
        QVERIFY(!s.lookup.busy());
    }

    void csvStops_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("list");    // the address list's lines
        QTest::addColumn<QStringList>("located"); // latitude,longitude of the located ones
        QTest::addColumn<int>("refused");
        QTest::newRow("mixed, no header")
            << QStringList{"東京都新宿区西新宿2-8-1", "35.6812,139.7671", "本社, 35.68 ,139.76",
                           "港区六本木6-10-1,3,4", "大阪,95.5,135.5"}
            << QStringList{"東京都新宿区西新宿2-8-1", "35.6812,139.7671", "本社,35.68,139.76",
                           "港区六本木6-10-1,3,4"}
            << QStringList{"35.6812,139.7671", "35.68,139.76"} << 1;
        QTest::newRow("header names the columns")
            << QStringList{"名称,lat,lon", "\"A, Inc.\",35.1,139.1", "B,,", ",x,139",
                           "C,-33.86,151.21"}
            << QStringList{"\"A, Inc.\",35.1,139.1", "B", "C,-33.86,151.21"}
            << QStringList{"35.1,139.1", "-33.86,151.21"} << 1;
        QTest::newRow("our visit list: node order, closing row skipped")
            << QStringList{"順番,ノード番号,住所,緯度,経度,区間距離(km),累計距離(km)",
                           "1,2,二,35.2,139.2,0.000,0.000", "2,1,,35.1,139.1,1.0,1.0",
                           "3,2,二,35.2,139.2,1.0,2.0"}
            << QStringList{"35.1,139.1", "二,35.2,139.2"} << QStringList{"35.1,139.1", "35.2,139.2"}
            << 0;
    }

    void csvStops() {
        QFETCH(QStringList, lines);
        const rundel::editing::CsvStops stops = rundel::editing::parse_csv_stops(lines);
        QStringList list;
        QStringList located;
        for (const rundel::editing::CsvStop& stop : stops.stops) {
            list << stop.line();
            const rundel::editing::CsvStop again = rundel::editing::classify_stop_line(stop.line());
            QCOMPARE(again.located, stop.located);
            if (stop.located) {
                located << stop.latitude + "," + stop.longitude;
                QCOMPARE(again.address, stop.address);
            }
        }
        QTEST(list, "list");
        QTEST(located, "located");
        QTEST(static_cast<int>(stops.refused.size()), "refused");
    }

    void csvAddresses_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("addresses");
        const QString tokyo = QStringLiteral("東京都千代田区丸の内1-1");
        const QString osaka = QStringLiteral("大阪市北区梅田,本社");
        QStringEncoder sjis("Shift_JIS");
        QTest::newRow("utf-8") << (tokyo + "\r\n\r\n" + osaka + "\r\n").toUtf8()
                               << QStringList{tokyo, osaka};
        QTest::newRow("utf-8 with BOM")
            << QByteArray("\xEF\xBB\xBF") + (tokyo + "\n" + osaka).toUtf8()
            << QStringList{tokyo, osaka};
        QTest::newRow("shift_jis") << QByteArray(sjis.encode(tokyo + "\r\n" + osaka + "\r\n"))
                                   << QStringList{tokyo, osaka};
        QTest::newRow("CR line ends") << QByteArray("a\rb\r\rc") << QStringList{"a", "b", "c"};
        QTest::newRow("empty") << QByteArray("\r\n\r\n") << QStringList{};
    }

    void csvAddresses() {
        QFETCH(QByteArray, bytes);
        QTEST(CsvAddressFile::addresses(bytes), "addresses");
    }

    void csvFilesThatCannotBeUsed() {
        const auto missing = CsvAddressFile::read("/nonexistent/addresses.csv");
        QVERIFY(!missing);
        QVERIFY(!missing.error().empty());
        rundel::test::TempFolder folder;
        std::string many;
        for (int i = 0; i <= CsvAddressFile::kMaxAddresses; ++i) {
            many += "a\n";
        }
        folder.write("many.csv", many);
        const auto too_many =
            CsvAddressFile::read(QString::fromStdString((folder.path() / "many.csv").string()));
        QVERIFY(!too_many);
        QVERIFY(too_many.error().find("32767") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(AddressLookupTest)
#include "addresslookup_test.moc"
