#include "bridge/webenginepage.h"
#include "support/pagesync.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

using rundel::bridge::WebEnginePage;
using rundel::test::read_value;

/// The command channel over a real Qt WebEngine page.
class WebEnginePageTest : public QObject {
    Q_OBJECT

private slots:
    void commandsBeforeALoadNeitherCrashNorHang() {
        QWebEnginePage engine_page;
        WebEnginePage page(&engine_page);
        QVERIFY(!page.is_loaded());
        QCOMPARE(read_value(page, QStringLiteral("sesid")), QString()); // answered, empty
        page.write(QStringLiteral("sesid"), QStringLiteral("x"));
        page.click(QStringLiteral("routeclear"));
        page.reset_title();
    }

    void writeReadClickAndTitleEvents() {
        QWebEnginePage engine_page;
        WebEnginePage page(&engine_page);
        QSignalSpy loaded(&engine_page, &QWebEnginePage::loadFinished);
        engine_page.setHtml(QStringLiteral(
            "<html><head><title>tsp</title></head><body>"
            "<input type='hidden' id='realaddress' value=''>"
            "<input type='hidden' id='mapzoomlevel' value=''>"
            "<button id='getnodecoord' onclick=\"document.title='getnode'\"></button>"
            "</body></html>"));
        QVERIFY(loaded.wait(20000));
        QVERIFY(page.is_loaded());

        // Values travel as JSON: quotes, backslashes and script-like text arrive unchanged,
        // and a read sees every write sent before it.
        const QString tricky = QStringLiteral("a'b\"c\\d</script>\n東京");
        page.write(QStringLiteral("realaddress"), tricky);
        page.write(QStringLiteral("mapzoomlevel"), 12);
        QStringList values;
        page.read({QStringLiteral("realaddress"), QStringLiteral("mapzoomlevel"),
                   QStringLiteral("sesid")},
                  [&](const QStringList& answer) { values = answer; });
        QVERIFY(values.isEmpty()); // nothing waited
        QTRY_COMPARE(values, (QStringList{tricky, QStringLiteral("12"), QString()}));
        page.write(QStringLiteral("sesid"), QStringLiteral("x")); // no such element: logged

        QSignalSpy titles(&page, &rundel::bridge::PageInterface::titleChanged);
        page.click(QStringLiteral("getnodecoord"));
        QTRY_VERIFY(titles.contains(QVariantList{QStringLiteral("getnode")}));
        page.reset_title();
        QTRY_COMPARE(engine_page.title(), QStringLiteral("tsp"));
    }
};

QTEST_MAIN(WebEnginePageTest)
#include "webenginepage_test.moc"
