#include "bridge/mappage.h"
#include "editing/csvaddressfile.h"
#include "editing/csvstops.h"
#include "export/kmldocument.h"
#include "export/mapcapture.h"
#include "export/plaintextroute.h"
#include "export/routeexporter.h"
#include "export/visitlist.h"
#include "session/sessionlists.h"
#include "support/fakepage.h"
#include "support/scripteddialogs.h"
#include "support/tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

using rundel::exporting::KmlInput;
using rundel::exporting::RouteExporter;

namespace {

/// The golden file @p name; with RUNDEL_UPDATE_GOLDEN set, @p actual is written there first
/// (to renew the files after a deliberate change of a format: review the diff).
QByteArray golden(const char* name, const QByteArray& actual = {}) {
    QFile file(QStringLiteral(RUNDEL_SOURCE_DIR "/tests/export/golden/") +
               QString::fromLatin1(name));
    if (qEnvironmentVariableIsSet("RUNDEL_UPDATE_GOLDEN") && file.open(QIODevice::WriteOnly)) {
        file.write(actual);
        file.close();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("no golden file %s", name);
    }
    return file.readAll();
}

/// A map picture of a given colour pattern, without a screen.
class StubCapture final : public rundel::exporting::MapCapture {
public:
    void capture(QObject*, std::function<void(const QImage&)> done) override {
        ++captures;
        QImage image(504, 504, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int i = 0; i < 504; ++i) {
            image.setPixel(i, i, qRgb(31, 79, 209));
        }
        done(image);
    }
    int captures = 0;
};

/// A result file name of the session: prefix, session id, suffix.
QString named(const char* prefix, const char* suffix) {
    return QLatin1String(prefix) + QStringLiteral("3f9a0c1d2e4b5a67") + QLatin1String(suffix);
}

const QStringList kLegs = {"1→3", "3→2", "2→1"};
const QStringList kCoords = {"35.681236,139.767125,35.658581,139.745433",
                             "35.658581,139.745433,35.710063,139.8107",
                             "35.710063,139.8107,35.681236,139.767125"};

/// The three nodes of kLegs, two of them found by an address.
void with_sources(rundel::session::SessionLists& lists) {
    lists.expect_source(QStringLiteral("東京駅, 丸の内"));
    lists.append_node(QStringLiteral("1,35.681236,139.767125"));
    lists.append_node(QStringLiteral("2,35.710063,139.810700"));
    lists.expect_source(QStringLiteral("芝公園 \"東京タワー\""));
    lists.append_node(QStringLiteral("3,35.658581,139.745433"));
}

using rundel::session::SaveFormat;

} // namespace

class RouteExporterTest : public QObject {
    Q_OBJECT

private:
    struct Fixture {
        Fixture() {
            std::filesystem::create_directories(folder.path() / "result");
            page.values = {
                {"sesid", "3f9a0c1d2e4b5a67"},  {"mapzoomlevel", "12"}, {"ido_byo_10", "35.681236"},
                {"keido_byo_10", "139.767125"}, {"mapido", "35.6"},     {"mapkeido", "139.7"}};
            lists.set_legs(kLegs, kCoords);
        }
        [[nodiscard]] QString result(const QString& name) const {
            return QString::fromStdString((folder.path() / "result").string()) + QLatin1Char('/') +
                   name;
        }
        [[nodiscard]] QByteArray bytes(const QString& name) const {
            QFile file(result(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }
        rundel::test::TempFolder folder;
        rundel::test::FakePage page;
        rundel::bridge::MapPage map{page};
        rundel::test::ScriptedDialogs dialogs;
        rundel::session::SessionLists lists;
        StubCapture capture;
        RouteExporter exporter{map, lists, dialogs,
                               rundel::exporting::ResultFolder(
                                   QString::fromStdString((folder.path() / "result").string())),
                               capture};
    };

private slots:
    void everyFormatMatchesItsGoldenFile() {
        Fixture f;
        with_sources(f.lists);
        f.exporter.set_clock(
            [] { return QDateTime::fromString("2026-12-06T09:30:00Z", Qt::ISODate); });
        f.exporter.save_route(SaveFormat::Kml);
        f.exporter.save_route(SaveFormat::PlainText);
        f.exporter.save_route(SaveFormat::Gpx);
        f.exporter.save_route(SaveFormat::VisitList);
        QCOMPARE(f.bytes(named("KML_", ".kml")),
                 golden("route.kml", f.bytes(named("KML_", ".kml"))));
        QCOMPARE(f.bytes(named("PLAIN_", ".txt")),
                 golden("route.txt", f.bytes(named("PLAIN_", ".txt"))));
        QCOMPARE(f.bytes(named("GPX_", ".gpx")),
                 golden("route.gpx", f.bytes(named("GPX_", ".gpx"))));
        QCOMPARE(f.bytes(named("ROUTE_", ".csv")),
                 golden("route.csv", f.bytes(named("ROUTE_", ".csv"))));
        QCOMPARE(f.dialogs.messages,
                 (QStringList{"KMLファイルで保存しました。", "プレインテキストで保存しました。",
                              "GPXファイルで保存しました: " + f.result(named("GPX_", ".gpx")),
                              "訪問リストで保存しました: " + f.result(named("ROUTE_", ".csv"))}));
        QCOMPARE(f.dialogs.titles.first(), QStringLiteral("Rundel_Engine"));
    }

    void theVisitListReadsBackAsTheSameStops() {
        rundel::session::SessionLists lists;
        with_sources(lists);
        lists.set_legs(kLegs, kCoords);
        const QByteArray csv =
            rundel::exporting::visit_list_csv(rundel::exporting::visit_stops(lists));
        const rundel::editing::CsvStops read =
            rundel::editing::parse_csv_stops(rundel::editing::CsvAddressFile::addresses(csv));
        QVERIFY(read.refused.isEmpty());
        QStringList entries;
        QStringList sources;
        for (const rundel::editing::CsvStop& stop : read.stops) {
            QVERIFY(stop.located);
            entries << QString::number(entries.size() + 1) + "," + stop.latitude + "," +
                           stop.longitude;
            sources << stop.address;
        }
        QCOMPARE(entries, (QStringList{"1,35.681236,139.767125", "2,35.710063,139.810700",
                                       "3,35.658581,139.745433"}));
        QCOMPARE(sources, (QStringList{"東京駅, 丸の内", "", "芝公園 \"東京タワー\""}));
    }

    void tokyoOsakaAndBackIsTwiceTheGreatCircle() {
        rundel::session::SessionLists lists;
        lists.set_legs({"1→2", "2→1"}, {"35.681236,139.767125,34.702485,135.495951",
                                        "34.702485,135.495951,35.681236,139.767125"});
        const QByteArray csv =
            rundel::exporting::visit_list_csv(rundel::exporting::visit_stops(lists));
        const QList<QByteArray> rows = csv.trimmed().split('\n');
        QCOMPARE(rows.size(), 4); // header, two stops, back at the start
        const double total = rows.last().trimmed().split(',').at(6).toDouble();
        QVERIFY2(qAbs(total - 2 * 403.5) < 0.005 * 2 * 403.5, qPrintable(QString::number(total)));
        QVERIFY(qAbs(lists.route_km() - total) < 0.001);

        // Measured by a router: its distances and drive times, the same the panel shows.
        lists.set_measure({{{512000, 21600, true}, {498000, 19800, false}}, "osrm", "x"});
        const QList<QByteArray> road =
            rundel::exporting::visit_list_csv(rundel::exporting::visit_stops(lists))
                .trimmed()
                .split('\n');
        QCOMPARE(road.at(0).trimmed().split(',').mid(9),
                 (QList<QByteArray>{"到着予定", "出発予定"})); // the router's times, not estimated
        QCOMPARE(road.at(2).trimmed().split(',').mid(5),
                 (QList<QByteArray>{"512.000", "512.000", "360.0", "360.0", "15:00", "15:00"}));
        QCOMPARE(road.at(3).trimmed().split(',').mid(5),
                 (QList<QByteArray>{"498.000", "1010.000", "330.0", "690.0", "20:30", ""}));
        QCOMPARE(lists.route_km(), 1010.0);
        // Stop 2's own stay of 45 minutes moves its departure, and every time after it.
        lists.append_node("1,35.681236,139.767125");
        lists.expect_stay(45);
        lists.append_node("2,34.702485,135.495951");
        const QList<QByteArray> stayed =
            rundel::exporting::visit_list_csv(rundel::exporting::visit_stops(lists))
                .trimmed()
                .split('\n');
        QCOMPARE(stayed.at(2).trimmed().split(',').mid(9), (QList<QByteArray>{"15:00", "15:45"}));
        QCOMPARE(stayed.at(3).trimmed().split(',').mid(9), (QList<QByteArray>{"21:15", ""}));
    }

    void anOpenRouteEndsAtItsLastStopInEveryFile() {
        Fixture f;
        with_sources(f.lists);
        f.lists.set_legs({"1→3", "3→2"}, kCoords.mid(0, 2));
        f.lists.set_route_open(true);
        for (const auto format : {SaveFormat::VisitList, SaveFormat::Gpx, SaveFormat::Kml}) {
            f.exporter.save_route(format);
        }
        const QList<QByteArray> rows = f.bytes(named("ROUTE_", ".csv")).trimmed().split('\n');
        QCOMPARE(rows.size(), 4); // the header and three stops, no way back
        QVERIFY(rows.last().startsWith("3,2,,35.710063,139.810700,"));
        const QByteArray gpx = f.bytes(named("GPX_", ".gpx"));
        QCOMPARE(gpx.count("<trkpt"), 3);
        QCOMPARE(gpx.count("<rtept"), 3);
        const QByteArray kml = f.bytes(named("KML_", ".kml"));
        QVERIFY(kml.contains(
            "139.767125,35.681236,0 139.745433,35.658581,0 139.8107,35.710063,0 \r\n"));
    }

    void kmlAndPlainTextDetails() {
        // Zoom levels 1 to 19 have their range; any other text gives level 12's.
        for (const auto& [zoom, range] :
             std::initializer_list<std::pair<QString, QString>>{{"1", "8243000"},
                                                                {"19", "120"},
                                                                {"20", "12500"},
                                                                {"0", "12500"},
                                                                {"", "12500"},
                                                                {"05", "12500"}}) {
            QCOMPARE(rundel::exporting::viewpoint_range(zoom), range);
        }
        KmlInput input;
        input.session_id = QStringLiteral("ab");
        input.latitude = QStringLiteral("35<1");
        input.longitude = QStringLiteral("139&2");
        input.leg_count = 2;
        input.ends = {rundel::session::LegEnds::parse(QStringLiteral("35.1,139.2,35.3,139.4"))};
        const QByteArray kml = rundel::exporting::kml_document(input);
        QVERIFY(kml.contains("<latitude>35&lt;1</latitude>"));
        QVERIFY(kml.contains("<longitude>139&amp;2</longitude>"));
        QVERIFY(kml.contains("\r\n139.2,35.1,0 ,,0 139.2,35.1,0 \r\n")); // short entries: empty
        QVERIFY(kml.endsWith("</kml>\r\n\r\n"));
        QCOMPARE(rundel::exporting::plain_text_route({}, {}), QByteArray("\r\n"));
        QCOMPARE(rundel::exporting::plain_text_route({"A", "B"}, {"c1"}),
                 QByteArray("A|c1/B|/\r\n"));
    }

    void saveDispatchesByExactText_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("file");
        QTest::newRow("initial text") << QStringLiteral("▼ 形式選択") << QString();
        QTest::newRow("KML typed") << QStringLiteral("GoogleEarth(KML)") << named("KML_", ".kml");
        QTest::newRow("lower case") << QStringLiteral("googleearth(kml)") << QString();
        QTest::newRow("image") << QStringLiteral("画像(BMP)") << named("BMP_", "_0.bmp");
        QTest::newRow("visit list") << QStringLiteral("訪問リスト(CSV)") << named("ROUTE_", ".csv");
    }

    void saveDispatchesByExactText() {
        QFETCH(QString, choice);
        QFETCH(QString, file);
        Fixture f;
        f.exporter.save_route(rundel::session::save_format_of(choice));
        const QStringList written = QDir(f.result({})).entryList(QDir::Files);
        if (file.isEmpty()) {
            QVERIFY(written.isEmpty());
            QCOMPARE(f.dialogs.messages, QStringList{"保存形式を選んでください"});
        } else {
            QVERIFY2(written.contains(file), qPrintable(written.join(',')));
        }
    }

    void nothingIsWrittenWhereItWouldBeWrong() {
        Fixture f;
        f.exporter.save_route(SaveFormat::Kml); // saving again replaces the file
        f.lists.set_legs({"1→1"}, {"1.5,2.5,1.5,2.5"});
        f.exporter.save_route(SaveFormat::Kml);
        QVERIFY(f.bytes(named("KML_", ".kml")).contains("\r\n2.5,1.5,0 2.5,1.5,0 \r\n"));
        QCOMPARE(QDir(f.result({})).entryList(QDir::Files).size(), 1);
        f.dialogs.messages.clear();
        f.lists.clear_legs();
        f.exporter.save_route(SaveFormat::Kml); // no leg: no KML
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(!f.dialogs.messages.first().contains(QStringLiteral("保存しました")));
        f.exporter.save_route(
            SaveFormat::PlainText); // the plain text of no leg is a line end alone
        QCOMPARE(f.bytes(named("PLAIN_", ".txt")), QByteArray("\r\n"));
    }

    void aFailedSaveSaysWhyAndWritesNothing_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("blocked"); // a folder where the file would go; empty: bad id
        const struct {
            SaveFormat format;
            const char* name;
            QString file;
        } formats[] = {{SaveFormat::PlainText, "plain", named("PLAIN_", ".txt")},
                       {SaveFormat::Kml, "kml", named("KML_", ".kml")},
                       {SaveFormat::Picture, "picture", named("chart_", ".txt")},
                       {SaveFormat::Gpx, "gpx", named("GPX_", ".gpx")},
                       {SaveFormat::VisitList, "visit list", named("ROUTE_", ".csv")}};
        for (const auto& row : formats) {
            QTest::addRow("%s, a session id that leaves the folder", row.name)
                << static_cast<int>(row.format) << QString();
            QTest::addRow("%s, unwritable", row.name) << static_cast<int>(row.format) << row.file;
        }
    }

    void aFailedSaveSaysWhyAndWritesNothing() {
        QFETCH(int, format);
        QFETCH(QString, blocked);
        Fixture f;
        with_sources(f.lists);
        if (blocked.isEmpty()) {
            f.page.values.insert("sesid", "../../escape");
        } else {
            QVERIFY(QDir(f.result({})).mkpath(blocked));
        }
        f.exporter.save_route(static_cast<rundel::session::SaveFormat>(format));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(!f.dialogs.messages.first().contains(QStringLiteral("保存しました")),
                 qPrintable(f.dialogs.messages.first()));
        QCOMPARE(QDir(f.result({})).entryList(QDir::Files), QStringList());
        QCOMPARE(QDir(QString::fromStdString(f.folder.path().parent_path().string()))
                     .entryList({QStringLiteral("escape*")}),
                 QStringList());
        if (blocked.isEmpty()) {
            QCOMPARE(f.capture.captures, 0);
        }
    }

    void imagesAreNumberedAndListedInTheChart() {
        Fixture f;
        f.folder.write("result/chart_3f9a0c1d2e4b5a67.txt", "35.0,139.0,from an earlier run\r\n");
        for (int i = 0; i < 3; ++i) {
            f.exporter.save_route(SaveFormat::Picture);
        }
        QCOMPARE(f.bytes("chart_3f9a0c1d2e4b5a67.txt"),
                 QByteArray("35.0,139.0,from an earlier run\r\n"
                            "35.6,139.7,BMP_3f9a0c1d2e4b5a67_0.bmp\r\n"
                            "35.6,139.7,BMP_3f9a0c1d2e4b5a67_1.bmp\r\n"
                            "35.6,139.7,BMP_3f9a0c1d2e4b5a67_2.bmp\r\n"));
        QImage image(f.result("BMP_3f9a0c1d2e4b5a67_2.bmp"));
        QCOMPARE(image.size(), QSize(504, 504));
        QCOMPARE(f.dialogs.messages.last(), QStringLiteral("画像としてルートデータを保存しました"));
    }

    void aPictureIsNeverReplacedAfterOneWasDeleted() {
        Fixture f;
        for (int i = 0; i < 3; ++i) {
            f.exporter.save_route(SaveFormat::Picture);
        }
        QFile::remove(f.result("BMP_3f9a0c1d2e4b5a67_0.bmp"));
        f.folder.write("result/BMP_3f9a0c1d2e4b5a67_2.bmp", "the newest, kept");
        f.exporter.save_route(SaveFormat::Picture);
        QCOMPARE(f.bytes("BMP_3f9a0c1d2e4b5a67_2.bmp"), QByteArray("the newest, kept"));
        QVERIFY(QFileInfo::exists(f.result("BMP_3f9a0c1d2e4b5a67_3.bmp")));
        // Deleting the newest does not bring its number back either: the chart names it.
        QFile::remove(f.result("BMP_3f9a0c1d2e4b5a67_3.bmp"));
        f.exporter.save_route(SaveFormat::Picture);
        QVERIFY(QFileInfo::exists(f.result("BMP_3f9a0c1d2e4b5a67_4.bmp")));
        QCOMPARE(f.bytes("chart_3f9a0c1d2e4b5a67.txt").count("_3.bmp"), 1);

        // Pictures of a longer id are counted too; the chart file is no picture.
        f.folder.write("result/BMP_3f9a0c1d2e4b5a67_0.bmp", "x");
        f.folder.write("result/BMP_3f9a0c1d2e4b5a678_0.bmp", "x");
        QCOMPARE(f.exporter.count_bmp("3f9a0c1d2e4b5a678"), 1);
        QCOMPARE(f.exporter.count_bmp("3f9a0c1d2e4b5a67"), 5);
        QCOMPARE(f.exporter.count_bmp("9"), 0);
    }

    void gdalReadsTheKmlAndTheGpx() {
        const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
        if (ogrinfo.isEmpty()) {
            QSKIP("ogrinfo (gdal-bin) is not installed");
        }
        Fixture f;
        with_sources(f.lists);
        f.exporter.save_route(SaveFormat::Kml);
        f.exporter.save_route(SaveFormat::Gpx);
        const auto info = [&](const QString& file) {
            QProcess process;
            process.start(ogrinfo, {QStringLiteral("-ro"), QStringLiteral("-al"), f.result(file)});
            process.waitForFinished(30000);
            return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput())
                                           : QString();
        };
        const QString kml = info(QStringLiteral("KML_3f9a0c1d2e4b5a67.kml"));
        QVERIFY2(kml.contains(QStringLiteral("Name (String) = KML_3f9a0c1d2e4b5a67.kml")),
                 qPrintable(kml));
        const qsizetype at = kml.indexOf(QStringLiteral("LINESTRING"));
        const QString line = kml.mid(at, kml.indexOf(QLatin1Char(')'), at) - at);
        QCOMPARE(line.count(QLatin1Char(',')) + 1, kLegs.size() + 1); // legs + 1 points
        QVERIFY(line.contains(QStringLiteral("139.767125 35.681236")));
        // Three waypoints, one route and one track of four points each.
        const QString gpx = info(QStringLiteral("GPX_3f9a0c1d2e4b5a67.gpx"));
        QCOMPARE(gpx.count(QStringLiteral("OGRFeature(waypoints)")), 3);
        QCOMPARE(gpx.count(QStringLiteral("OGRFeature(route_points)")), 4);
        QCOMPARE(gpx.count(QStringLiteral("OGRFeature(track_points)")), 4);
        QCOMPARE(gpx.count(QStringLiteral("OGRFeature(routes)")), 1);
        QCOMPARE(gpx.count(QStringLiteral("OGRFeature(tracks)")), 1);
    }
};

QTEST_GUILESS_MAIN(RouteExporterTest)
#include "routeexporter_test.moc"
