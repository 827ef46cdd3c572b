#include "panels/frmcontrolpanel.h"
#include "support/fakepage.h"
#include "widgets/isbutton.h"

#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using rundel::widgets::isButton;

using rundel::panels::frmControlpanel;

class ControlPanelTest : public QObject {
    Q_OBJECT

private:
    static QStringList colours(const frmControlpanel& panel) {
        QStringList out;
        for (const isButton* b : {panel.cmdNormalmap, panel.cmdSatellitemap, panel.cmdNormalsatemap,
                                  panel.cmdChikeimap}) {
            out << b->FontColor().name() + QLatin1Char('/') + b->FontHighlightColor().name();
        }
        return out;
    }

private slots:
    void loadsWithPicturesAloneAndTwentyLevels() {
        rundel::test::FakePage page;
        frmControlpanel panel(page);
        QCOMPARE(panel.windowTitle(), QStringLiteral("マップコントロールパネル"));
        QCOMPARE(panel.Slider1->maximum(), 19);
        QCOMPARE(panel.cmdCenter->Caption(), QString());
        QCOMPARE(panel.cmdCenter->IconAlign(), 0);
        QVERIFY(!panel.cmdCenter->icon().isNull());
        QCOMPARE(panel.cmdSetHomePos->Caption(), QStringLiteral("  ホームポジション"));
    }

    void zoomButtonsStopAtTheEnds() {
        rundel::test::FakePage page;
        frmControlpanel panel(page);
        panel.Slider1->setValue(19);
        panel.cmdZoomin->click();
        QCOMPARE(panel.Slider1->value(), 19);
        panel.Slider1->setValue(0);
        panel.cmdZoomout->click();
        QCOMPARE(panel.Slider1->value(), 0);
        panel.cmdZoomin->click();
        QCOMPARE(panel.Slider1->value(), 1);
        QCOMPARE(page.log,
                 (QStringList{"click zoominclick", "click zoomoutclick", "click zoominclick"}));
    }

    void mapTypeDisplay() {
        rundel::test::FakePage page;
        frmControlpanel panel(page);
        const QString grey = QStringLiteral("#808080/#808080");
        const QString black = QStringLiteral("#000000/#000000");
        panel.cmdSatellitemap->click();
        QCOMPARE(colours(panel), (QStringList{grey, black, grey, grey}));
        panel.cmdGoogleearth->click(); // the Earth view leaves the display as it was
        QCOMPARE(colours(panel), (QStringList{grey, black, grey, grey}));
        panel.show_maptype(QStringLiteral("Satellite"));
        QCOMPARE(colours(panel), (QStringList{grey, grey, grey, grey}));
        panel.show_maptype(QString());
        QCOMPARE(colours(panel), (QStringList{grey, grey, grey, grey}));
        QCOMPARE(page.log, (QStringList{"click setmaptypesatellite", "click setmaptypeearth"}));
    }

    void directionButtonsPanTheMap() {
        rundel::test::FakePage page;
        frmControlpanel panel(page);
        QStringList names;
        for (const isButton* b :
             {panel.cmdLU, panel.cmdUPPER, panel.cmdRU, panel.cmdLeft, panel.cmdCenter,
              panel.cmdRight, panel.cmdLD, panel.cmdDown, panel.cmdRD}) {
            names << b->accessibleName();
        }
        QCOMPARE(names, (QStringList{"左上へ", "上へ", "右上へ", "左へ", "中央へ", "右へ", "左下へ",
                                     "下へ", "右下へ"}));
        for (isButton* b :
             {panel.cmdLU, panel.cmdUPPER, panel.cmdRU, panel.cmdLeft, panel.cmdCenter,
              panel.cmdRight, panel.cmdLD, panel.cmdDown, panel.cmdRD, panel.cmdSetHomePos}) {
            b->click();
        }
        QCOMPARE(page.log,
                 (QStringList{"click mappanleftup", "click mappanup", "click mappanrightup",
                              "click mappanleft", "click mappancenter", "click mappanright",
                              "click mappanleftdown", "click mappandown", "click mappanrightdown",
                              "click sethomeposition"}));
    }

    void paintingFollowsThePageOncePerBurst() {
        rundel::test::FakePage page;
        page.values = {{"mapzoomlevel", "7"}, {"maptype", "chikei"}};
        frmControlpanel panel(page);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_COMPARE(panel.Slider1->value(), 7);
        QTest::qWait(400);
        QCOMPARE(page.log.count(QStringLiteral("click getzoomlevel")), 1);
        QCOMPARE(panel.Slider1->toolTip(), QStringLiteral("7"));
        QCOMPARE(colours(panel).at(3), QStringLiteral("#000000/#000000"));

        page.values.insert("mapzoomlevel", "x");
        panel.synchronise();
        QCOMPARE(panel.Slider1->value(), 7); // no zoom level: the slider stays
        QCOMPARE(panel.Slider1->toolTip(), QStringLiteral("x"));
    }

    void sliderSendsItsLevelOnlyWhenMovedWithTheMouse() {
        rundel::test::FakePage page;
        frmControlpanel panel(page);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTest::qWait(100);
        page.log.clear();
        panel.Slider1->setFocus();
        QTest::keyClick(panel.Slider1, Qt::Key_Right);
        QTest::qWait(50);
        QVERIFY(!page.log.contains(QStringLiteral("click setzoomlevel")));

        panel.Slider1->setValue(12);
        QTest::mouseRelease(panel.Slider1, Qt::LeftButton, {}, panel.Slider1->rect().center());
        QTRY_VERIFY(page.log.contains(QStringLiteral("click setzoomlevel")));
        QVERIFY(page.log.contains(QStringLiteral("write mapzoomlevel=") +
                                  QString::number(panel.Slider1->value())));
        QCOMPARE(panel.Slider1->toolTip(), QString::number(panel.Slider1->value()));
    }

    void draggingTheSliderSendsTheLevelChosen() {
        rundel::test::FakePage page;
        page.values = {{"mapzoomlevel", "5"}};
        frmControlpanel panel(page);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_COMPARE(panel.Slider1->value(), 5);
        QSlider& slider = *panel.Slider1;
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
    }

    void aCloseWhileSynchronisingIsSafe() {
        rundel::test::FakePage page;
        page.values = {{"mapzoomlevel", "5"}};
        QPointer<frmControlpanel> panel = new frmControlpanel(page);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        // The close request arrives while the panel waits for the page, and the deletion it
        // causes runs in that same wait.
        page.on_click.insert("getzoomlevel", [&] {
            if (panel) {
                panel->close();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        });
        panel->synchronise();
        QVERIFY(panel.isNull());
        QVERIFY(page.log.contains(QStringLiteral("click controlshow")));
    }

    void closingShowsThePageControls() {
        rundel::test::FakePage page;
        auto* panel = new frmControlpanel(page);
        panel->show();
        panel->close();
        QVERIFY(page.log.contains(QStringLiteral("click controlshow")));
    }
};

QTEST_MAIN(ControlPanelTest)
#include "frmcontrolpanel_test.moc"
