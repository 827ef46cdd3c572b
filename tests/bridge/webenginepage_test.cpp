#include "bridge/webenginepage.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

using rundel::bridge::WebEnginePage;

/// The command channel over a real Qt WebEngine page.
class WebEnginePageTest : public QObject {
    Q_OBJECT

private slots:
    void commandsBeforeALoadNeitherCrashNorHang() {
        QWebEnginePage engine_page;
        WebEnginePage page(&engine_page);
        QVERIFY(!page.is_loaded());
        QCOMPARE(page.read(QStringLiteral("sesid")), QString());
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
            "<input type='hidden' id='a' value=''><input type='hidden' id='n' value=''>"
            "<button id='b' onclick=\"document.title='getnode'\"></button></body></html>"));
        QVERIFY(loaded.wait(20000));
        QVERIFY(page.is_loaded());

        // Values travel as JSON: quotes, backslashes and script-like text arrive unchanged.
        const QString tricky = QStringLiteral("a'b\"c\\d</script>\n東京");
        page.write(QStringLiteral("a"), tricky);
        QCOMPARE(page.read(QStringLiteral("a")), tricky);
        page.write(QStringLiteral("n"), 12);
        QCOMPARE(page.read(QStringLiteral("n")), QStringLiteral("12"));
        QCOMPARE(page.read(QStringLiteral("missing")), QString());
        page.write(QStringLiteral("missing"), QStringLiteral("x")); // logged, nothing else

        QSignalSpy titles(&page, &rundel::bridge::PageInterface::titleChanged);
        page.click(QStringLiteral("b"));
        QTRY_VERIFY(titles.contains(QVariantList{QStringLiteral("getnode")}));
        page.reset_title();
        QTRY_COMPARE(engine_page.title(), QStringLiteral("tsp"));
    }
};

QTEST_MAIN(WebEnginePageTest)
#include "webenginepage_test.moc"
