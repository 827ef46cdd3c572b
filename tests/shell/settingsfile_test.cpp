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
        QTest::newRow("plain") << QByteArray("domain:example.org\r\n")
                               << QStringLiteral("example.org") << 0;
        QTest::newRow("a colon ends the value")
            << QByteArray("domain:example.org:8080\r\n") << QStringLiteral("example.org") << 0;
        QTest::newRow("last domain wins")
            << QByteArray("domain:a\r\n\r\nother:x\r\ndomain:b\r\n") << QStringLiteral("b") << 0;
        QTest::newRow("key case and blanks")
            << QByteArray("Domain:a\r\n domain:b\r\n") << QStringLiteral("") << 0;
        QTest::newRow("blank after the colon stays")
            << QByteArray("domain: a\r\n") << QStringLiteral(" a") << 0;
        QTest::newRow("LF and CR line ends")
            << QByteArray("domain:a\nport:9000\rx:y") << QStringLiteral("a") << 9000;
        QTest::newRow("no colon") << QByteArray("domain\r\n") << QStringLiteral("") << 0;
        QTest::newRow("bad port") << QByteArray("domain:a\r\nport:99999\r\n") << QStringLiteral("a")
                                  << 0;
        QTest::newRow("utf-8 host")
            << QByteArray("domain:例え.jp\r\n") << QString::fromUtf8("例え.jp") << 0;
    }

    void parse() {
        QFETCH(QByteArray, bytes);
        const SettingsFile settings = SettingsFile::parse(bytes);
        QTEST(settings.domain(), "domain");
        QTEST(settings.port(), "port");
    }

    void authorityCarriesThePortOnlyWhenSet() {
        QCOMPARE(SettingsFile::parse("domain:h\r\n").authority(), QStringLiteral("h"));
        QCOMPARE(SettingsFile::parse("domain:h\r\nport:81\r\n").authority(),
                 QStringLiteral("h:81"));
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "settingsfile_test.moc"
