#include "bridge/mappage.h"
#include "editing/addresslookup.h"
#include "editing/csvaddressfile.h"
#include "editing/csvstops.h"
#include "session/sessionlists.h"
#include "support/fakepage.h"
#include "support/scripteddialogs.h"
#include "support/tempfolder.h"

#include <QSignalSpy>
#include <QStringEncoder>
#include <QTest>
#include <QTimer>

using rundel::editing::AddressLookup;
using rundel::editing::CsvAddressFile;
using rundel::editing::LookupProgress;

namespace {

/// A page that finds every address except those starting with "x", answering a little later
/// as a real page does; its markers go into the lists as the node list editor puts them.
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
        QObject::connect(&map, &rundel::bridge::MapPage::nodeArrived,
                         [this](const QString& entry) { lists.append_node(entry); });
        lookup.set_address_mode(rundel::editing::AddressMode::Multi);
    }
    /// Looks @p list up and waits (in the test only) until the lookup has ended.
    void run(const QStringList& list, const QStringList& refused = {}) {
        lookup.lookup(QString(), list, refused);
        QTRY_VERIFY(!lookup.busy());
    }
    rundel::test::FakePage page;
    rundel::bridge::MapPage map{page};
    rundel::session::SessionLists lists;
    rundel::test::ScriptedDialogs dialogs;
    AddressLookup lookup{map, lists, dialogs};
    int markers = 0;
};

} // namespace

class AddressLookupTest : public QObject {
    Q_OBJECT

private slots:
    void singleModeMovesTheMapAndDoesNotWait() {
        Scene s;
        s.lookup.set_address_mode(rundel::editing::AddressMode::Single);
        s.lookup.lookup(QString(), {"A"}); // an empty box sends nothing
        QVERIFY(s.page.log.isEmpty());
        s.lookup.lookup(QStringLiteral("東京都千代田区"), {});
        QCOMPARE(s.page.log,
                 (QStringList{"write getaddressflag=single", "write realaddress=東京都千代田区",
                              "click newgeocoding"}));
        QVERIFY(!s.lookup.busy());
        QTest::qWait(100);
        QVERIFY(s.dialogs.messages.isEmpty()); // found: the map moves, nothing else
    }

    void multiModeWalksTheListAndReportsWhatWasNotFound() {
        Scene s;
        QSignalSpy progress(&s.lookup, &AddressLookup::progressChanged);
        s.run({"A", "", "xB", "C", "xD"}, {"9,9 …refused"});
        QCOMPARE(s.lists.nodes(), (QStringList{"1,35,139", "2,35,139"}));
        QCOMPARE(s.page.log.filter("write realaddress="),
                 (QStringList{"write realaddress=A", "write realaddress=xB", "write realaddress=C",
                              "write realaddress=xD"}));
        QCOMPARE(s.page.log.count("click getnodecoord"), 2);
        // getnodecoord only after a found address, and the next address only after its node.
        const qsizetype first_node = s.page.log.indexOf("click getnodecoord");
        QVERIFY(first_node > s.page.log.indexOf("write realaddress=A"));
        QVERIFY(first_node < s.page.log.indexOf("write realaddress=xB"));
        QCOMPARE(s.dialogs.messages, QStringList{"9,9 …refused\r\n"
                                                 "xB の座標を取得できませんでした\r\n"
                                                 "xD の座標を取得できませんでした\r\n"});
        // One report at the start, one per entry, one at the end.
        QCOMPARE(progress.size(), 6);
        const auto last = progress.last().at(0).value<LookupProgress>();
        QCOMPARE((QList<qsizetype>{last.done, last.total, last.found, last.not_found}),
                 (QList<qsizetype>{4, 4, 2, 2}));
        QVERIFY(!last.running);
    }

    void coordinatesPlaceNodesWithoutLookupAndEveryNodeKeepsItsSource() {
        Scene s;
        s.run({"A", "本社,35.6812,139.7671", "34.7025,135.4959", "xB"});
        QCOMPARE(s.lists.nodes(),
                 (QStringList{"1,35,139", "2,35.6812,139.7671", "3,34.7025,135.4959"}));
        QCOMPARE(s.page.log.filter("write realaddress="),
                 (QStringList{"write realaddress=A", "write realaddress=xB"}));
        QCOMPARE(s.lists.source(1), QStringLiteral("A"));
        QCOMPARE(s.lists.source(2), QStringLiteral("本社"));
        QCOMPARE(s.lists.source(3), QString());
        // Every marker in view once, after the last one arrived.
        QCOMPARE(s.page.log.count("click mappancenter"), 1);
        QVERIFY(s.page.log.indexOf("click mappancenter") > s.page.log.lastIndexOf("read unitnode"));
        QCOMPARE(s.dialogs.messages, QStringList{"xB の座標を取得できませんでした\r\n"});
    }

    void multiModeAllFoundOrEmpty() {
        Scene s;
        s.run({"A", "B"});
        QVERIFY(s.dialogs.messages.isEmpty());
        QCOMPARE(s.lists.nodes().size(), 2);
        s.page.log.clear(); // an empty list looks nothing up and moves nothing
        s.run({});
        QVERIFY(s.page.log.isEmpty());
        QVERIFY(s.dialogs.messages.isEmpty());
    }

    void aSecondLookupWhileOneRunsIsRefused() {
        Scene s;
        s.lookup.lookup(QString(), {"A", "B"});
        s.lookup.lookup(QString(), {"intruder"}); // e.g. from the side window
        QTRY_VERIFY(!s.lookup.busy());
        QCOMPARE(s.dialogs.messages.size(), 1);
        QVERIFY(s.dialogs.messages.first().contains(QStringLiteral("検索中")));
        QVERIFY(!s.page.log.contains("write realaddress=intruder"));
        QCOMPARE(s.lists.nodes().size(), 2);
    }

    void stopKeepsWhatIsPlacedAndListsTheRest() {
        Scene s;
        // Stopped while the third address is asked about: its late answer must not be taken
        // for the first answer of the next lookup.
        connect(&s.lookup, &AddressLookup::progressChanged, this, [&](const LookupProgress& p) {
            if (p.running && p.done == 2) {
                QTimer::singleShot(0, &s.lookup, &AddressLookup::stop);
            }
        });
        s.run({"A", "B", "C", "D"});
        QCOMPARE(s.lists.nodes().size(), 2);
        QCOMPARE(s.dialogs.messages,
                 QStringList{"C は検索していません（中止）\r\nD は検索していません（中止）\r\n"});
        disconnect(&s.lookup, nullptr, this, nullptr);
        s.run({"xE"});
        QTest::qWait(100);
        QCOMPARE(s.dialogs.messages.last(), QStringLiteral("xE の座標を取得できませんでした\r\n"));
        QCOMPARE(s.lists.nodes().size(), 2);
    }

    void staysComeWithTheirStops() {
        // A header naming 住所 and 滞在(分): addresses with their own stays.
        const rundel::editing::CsvStops read = rundel::editing::parse_csv_stops(
            {"住所,滞在(分)", "A,15", "B,", "C,x", "本社,35.1,139.1"});
        QList<int> stays;
        QStringList lines;
        for (const auto& stop : read.stops) {
            stays << stop.stay;
            lines << stop.line();
        }
        QCOMPARE(lines, (QStringList{"A", "B", "C", "本社"}));
        QCOMPARE(stays, (QList<int>{15, -1, -1, -1}));
        Scene s;
        s.lists.set_day_times({9 * 60, 5, 30});
        s.lookup.lookup(QString(), {"A", "x", "35.2,139.2"}, {}, {15, 20, 30});
        QTRY_VERIFY(!s.lookup.busy());
        QCOMPARE(s.lists.nodes().size(), 2);
        QCOMPARE(s.lists.stay(1), 15);
        QCOMPARE(s.lists.stay(2), 30); // the located line's own, not the one not found
        s.lists.set_stay(2, -1);
        QCOMPARE(s.lists.stay(2), 5); // the day's
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
            << QStringList{"順番,ノード番号,住所,緯度,経度,区間距離(km),累計距離(km),区間時間(分),"
                           "累計時間(分)",
                           "1,2,二,35.2,139.2,0.000,0.000,0.0,0.0", "2,1,,35.1,139.1,1.0,1.0,,",
                           "3,2,二,35.2,139.2,1.0,2.0,2.5,5.0"}
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
