#include "bridge/mappage.h"
#include "panels/frmcontrolpanel.h"
#include "support/controls.h"
#include "support/fakepage.h"
#include "widgets/isbutton.h"

#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using rundel::widgets::isButton;

using rundel::panels::frmControlpanel;
using rundel::test::button;
using rundel::test::control;

namespace {

QSlider& slider(const frmControlpanel& panel) {
    return control<QSlider>(panel, "Slider1");
}
QPushButton& zoom(const frmControlpanel& panel, const char* name) {
    return control<QPushButton>(panel, name);
}

const char* const kDirections[] = {"cmdLU",    "cmdUPPER", "cmdRU",   "cmdLeft", "cmdCenter",
                                   "cmdRight", "cmdLD",    "cmdDown", "cmdRD"};

} // namespace

class ControlPanelTest : public QObject {
    Q_OBJECT

private:
    static QStringList colours(const frmControlpanel& panel) {
        QStringList out;
        for (const char* name :
             {"cmdNormalmap", "cmdSatellitemap", "cmdNormalsatemap", "cmdChikeimap"}) {
            const isButton& b = button(panel, name);
            out << b.FontColor().name() + QLatin1Char('/') + b.FontHighlightColor().name();
        }
        return out;
    }

private slots:
    void zoomButtonsStopAtTheEnds() {
        rundel::test::FakePage page;
        rundel::bridge::MapPage map(page);
        frmControlpanel panel(map);
        slider(panel).setValue(19);
        zoom(panel, "cmdZoomin").click();
        QCOMPARE(slider(panel).value(), 19);
        slider(panel).setValue(0);
        zoom(panel, "cmdZoomout").click();
        QCOMPARE(slider(panel).value(), 0);
        zoom(panel, "cmdZoomin").click();
        QCOMPARE(slider(panel).value(), 1);
        QCOMPARE(page.log,
                 (QStringList{"click zoominclick", "click zoomoutclick", "click zoominclick"}));
    }

    void mapTypeDisplay() {
        rundel::test::FakePage page;
        rundel::bridge::MapPage map(page);
        frmControlpanel panel(map);
        const QString grey = QStringLiteral("#808080/#808080");
        const QString black = QStringLiteral("#000000/#000000");
        button(panel, "cmdSatellitemap").click();
        QCOMPARE(colours(panel), (QStringList{grey, black, grey, grey}));
        button(panel, "cmdGoogleearth").click(); // the Earth view leaves the display as it was
        QCOMPARE(colours(panel), (QStringList{grey, black, grey, grey}));
        panel.show_maptype(QStringLiteral("Satellite"));
        QCOMPARE(colours(panel), (QStringList{grey, grey, grey, grey}));
        panel.show_maptype(QString());
        QCOMPARE(colours(panel), (QStringList{grey, grey, grey, grey}));
        QCOMPARE(page.log, (QStringList{"click setmaptypesatellite", "click setmaptypeearth"}));
    }

    void directionButtonsPanTheMap() {
        rundel::test::FakePage page;
        rundel::bridge::MapPage map(page);
        frmControlpanel panel(map);
        QStringList names;
        for (const char* name : kDirections) {
            names << button(panel, name).accessibleName();
        }
        QCOMPARE(names, (QStringList{"左上へ", "上へ", "右上へ", "左へ", "中央へ", "右へ", "左下へ",
                                     "下へ", "右下へ"}));
        // Pictures alone: the name is for screen readers, not drawn.
        QCOMPARE(button(panel, "cmdCenter").Caption(), QString());
        QVERIFY(!button(panel, "cmdCenter").icon().isNull());
        for (const char* name : kDirections) {
            button(panel, name).click();
        }
        button(panel, "cmdSetHomePos").click();
        QCOMPARE(page.log,
                 (QStringList{"click mappanleftup", "click mappanup", "click mappanrightup",
                              "click mappanleft", "click mappancenter", "click mappanright",
                              "click mappanleftdown", "click mappandown", "click mappanrightdown",
                              "click sethomeposition"}));
    }

    void paintingFollowsThePageOncePerBurst() {
        rundel::test::FakePage page;
        rundel::bridge::MapPage map(page);
        page.values = {{"mapzoomlevel", "7"}, {"maptype", "chikei"}};
        frmControlpanel panel(map);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_COMPARE(slider(panel).value(), 7);
        QTest::qWait(400);
        QCOMPARE(page.log.count(QStringLiteral("click getzoomlevel")), 1);
        QCOMPARE(slider(panel).toolTip(), QStringLiteral("7"));
        QCOMPARE(colours(panel).at(3), QStringLiteral("#000000/#000000"));

        page.values.insert("mapzoomlevel", "x");
        panel.synchronise();
        QCOMPARE(slider(panel).value(), 7); // no zoom level: the slider stays
        QCOMPARE(slider(panel).toolTip(), QStringLiteral("x"));
    }

    void theSliderSendsTheLevelDraggedToOnly() {
        rundel::test::FakePage page;
        rundel::bridge::MapPage map(page);
        page.values = {{"mapzoomlevel", "5"}};
        frmControlpanel panel(map);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_COMPARE(slider(panel).value(), 5);
        QSlider& slider = ::slider(panel);
        slider.setFocus(); // the keyboard moves the slider but sends nothing
        QTest::keyClick(&slider, Qt::Key_Right);
        QTest::qWait(50);
        QVERIFY(!page.log.contains(QStringLiteral("click setzoomlevel")));
        const auto at_level = [&](int level) {
            const int span = slider.width() - 20;
            return QPoint(10 + span * level / slider.maximum(), slider.height() / 2);
        };
        QTest::mousePress(&slider, Qt::LeftButton, {}, at_level(5));
        for (int level = 6; level <= 15; ++level) {
            QTest::mouseMove(&slider, at_level(level), 20);
            panel.synchronise(); // as every repaint does while the page still says 5
        }
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, at_level(15));
        QTRY_VERIFY(page.log.contains(QStringLiteral("click setzoomlevel")));
        const QString sent = page.log.filter(QStringLiteral("write mapzoomlevel=")).last();
        QVERIFY2(sent.section('=', 1).toInt() >= 13, qPrintable(sent));
        QCOMPARE(sent.section('=', 1), QString::number(slider.value()));
        QCOMPARE(slider.toolTip(), QString::number(slider.value()));
    }

    void anAnswerOlderThanTheUsersZoomLeavesTheHandle() {
        rundel::test::FakePage page;
        rundel::bridge::MapPage map(page);
        page.values = {{"mapzoomlevel", "5"}};
        frmControlpanel panel(map);
        panel.synchronise();
        QCOMPARE(slider(panel).value(), 5);
        page.hold_reads = true;
        QTest::qWait(350);                // past the pause after a synchronisation
        panel.synchronise();              // asked while the page is at 5 ...
        zoom(panel, "cmdZoomin").click(); // ... then the user zooms in
        page.release_reads();
        QCOMPARE(slider(panel).value(), 6); // the old answer does not throw the handle back
    }

    void aCloseWhileSynchronisingIsSafe() {
        rundel::test::FakePage page;
        rundel::bridge::MapPage map(page);
        page.values = {{"mapzoomlevel", "5"}};
        QPointer<frmControlpanel> panel = new frmControlpanel(map);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        // The close request, and the deletion it causes, come before the page's answer.
        page.on_click.insert("getzoomlevel", [&] {
            if (panel) {
                panel->close();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        });
        panel->synchronise();
        QVERIFY(panel.isNull());
        QVERIFY(page.log.contains(QStringLiteral("click controlshow"))); // closing shows them
    }
};

QTEST_MAIN(ControlPanelTest)
#include "frmcontrolpanel_test.moc"
