#include "shell/settingsfile.h"

#include <QTest>

using rundel::shell::SettingsFile;

class SettingsFileTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("improve");
        QTest::newRow("plain") << QByteArray("domain:example.org\r\n")
                               << QStringLiteral("example.org") << 0 << false;
        QTest::newRow("a colon ends the value") << QByteArray("domain:example.org:8080\r\n")
                                                << QStringLiteral("example.org") << 0 << false;
        QTest::newRow("last domain wins") << QByteArray("domain:a\r\n\r\nother:x\r\ndomain:b\r\n")
                                          << QStringLiteral("b") << 0 << false;
        QTest::newRow("key case and blanks")
            << QByteArray("Domain:a\r\n domain:b\r\n") << QStringLiteral("") << 0 << false;
        QTest::newRow("blanks around the value go")
            << QByteArray("domain: a \r\nport:\t81 \r\n") << QStringLiteral("a") << 81 << false;
        QTest::newRow("LF and CR line ends")
            << QByteArray("domain:a\nport:9000\rx:y") << QStringLiteral("a") << 9000 << false;
        QTest::newRow("no colon") << QByteArray("domain\r\n") << QStringLiteral("") << 0 << false;
        QTest::newRow("bad port") << QByteArray("domain:a\r\nport:99999\r\n") << QStringLiteral("a")
                                  << 0 << false;
        QTest::newRow("improve on")
            << QByteArray("domain:a\nimprove: on\n") << QStringLiteral("a") << 0 << true;
        QTest::newRow("improve 0")
            << QByteArray("improve:1\nimprove:0\n") << QString() << 0 << false;
        QTest::newRow("utf-8 host")
            << QByteArray("domain:例え.jp\r\n") << QString::fromUtf8("例え.jp") << 0 << false;
    }

    void theDaysTimes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("times"); // the stops' arrivals over legs of 1 h and 15 h
        QTest::newRow("defaults") << QByteArray("domain:a\r\n")
                                  << QStringList{"09:00", "10:00", "01:00(+1日)"};
        QTest::newRow("start, stay and speed")
            << QByteArray("start_time: 7:30\r\nstay:20\r\nspeed:45\r\n")
            << QStringList{"07:30", "08:30", "23:50"};
        QTest::newRow("values out of range keep the defaults")
            << QByteArray("start_time:25:00\r\nstay:-5\r\nspeed:0\r\n")
            << QStringList{"09:00", "10:00", "01:00(+1日)"};
    }

    void theDaysTimes() {
        QFETCH(QByteArray, bytes);
        const rundel::session::DayTimes day = SettingsFile::parse(bytes).day_times();
        QStringList arrivals;
        for (const auto& stop : rundel::session::schedule({3600, 15 * 3600}, day)) {
            arrivals << rundel::session::clock_text(stop.arrival);
        }
        QTEST(arrivals, "times");
        QVERIFY(day.km_per_hour >= 1);
    }

    void parse() {
        QFETCH(QByteArray, bytes);
        const SettingsFile settings = SettingsFile::parse(bytes);
        QTEST(settings.domain(), "domain");
        QTEST(settings.port(), "port");
        QTEST(settings.improve(), "improve");
    }

    void withValue_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("added, CR LF kept") << QByteArray("domain:h\r\nport:81\r\n")
                                           << QByteArray("domain:h\r\nport:81\r\nimprove:1\r\n");
        QTest::newRow("replaced, LF kept, no final line end")
            << QByteArray("improve:0\nx:y") << QByteArray("improve:1\nx:y\n");
        QTest::newRow("the last line of the key is replaced")
            << QByteArray("improve:0\rimprove:0\r") << QByteArray("improve:0\rimprove:1\r");
        QTest::newRow("empty file") << QByteArray() << QByteArray("improve:1\r\n");
    }

    void withValue() {
        QFETCH(QByteArray, bytes);
        QTEST(SettingsFile::with_value(bytes, QStringLiteral("improve"), QStringLiteral("1")),
              "expected");
    }

    void onlineSourcesKeepTheirColons() {
        const SettingsFile settings = SettingsFile::parse(
            "domain:h\r\ntiles: gsi=http://127.0.0.1:8080 \r\ngeocoder:nominatim\r\n"
            "router:osrm=http://127.0.0.1:5000\r\n");
        QCOMPARE(settings.tiles(), QStringLiteral("gsi=http://127.0.0.1:8080"));
        QCOMPARE(settings.geocoder(), QStringLiteral("nominatim"));
        QCOMPARE(settings.router(), QStringLiteral("osrm=http://127.0.0.1:5000"));
        QVERIFY(SettingsFile::parse("domain:h\r\n").tiles().isEmpty());
    }

    void authorityCarriesThePortOnlyWhenSet() {
        QCOMPARE(SettingsFile::parse("domain:h\r\n").authority(), QStringLiteral("h"));
        QCOMPARE(SettingsFile::parse("domain:h\r\nport:81\r\n").authority(),
                 QStringLiteral("h:81"));
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settingsfile_test.moc"
