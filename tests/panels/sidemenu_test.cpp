#include "panels/commandpanel.h"
#include "panels/frmsidemenu.h"
#include "panels/sidemenu.h"
#include "support/controls.h"
#include "support/sessionscene.h"

#include <QTest>

using rundel::panels::CommandPanel;
using rundel::panels::SideMenu;
using namespace rundel::test;
using rundel::widgets::isButton;

class SideMenuTest : public QObject {
    Q_OBJECT

private:
    /// The main window with its panel beside the side menu; the mode is the test's to set.
    struct Scene : SessionScene {
        Scene() { main_window.resize(772, 640); }
        QWidget main_window;
        CommandPanel* main_panel = new CommandPanel(lists, editor, 120, &main_window);
        rundel::editing::AddressMode mode = rundel::editing::AddressMode::Single;
        int wired = 0;
        SideMenu side{lists,
                      editor,
                      main_window,
                      *main_panel,
                      [this] { return mode; },
                      [this](CommandPanel&) { ++wired; }};
    };

private slots:
    void floatCopiesWhatTheModeSaysAndUnfloatCopiesItBack_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("single") << QStringLiteral("single");
        QTest::newRow("multi") << QStringLiteral("multi");
    }

    void floatCopiesWhatTheModeSaysAndUnfloatCopiesItBack() {
        QFETCH(QString, mode);
        Scene s;
        s.mode = mode == "multi" ? rundel::editing::AddressMode::Multi
                                 : rundel::editing::AddressMode::Single;
        box(*s.main_panel, "txtRealAddress").setText("typed");
        combo(*s.main_panel, "ComboRealAddress").addItems({"A", "B"});
        combo(*s.main_panel, "ComboRealAddress").setEditText("edited");
        box(*s.main_panel, "txtS_ido").setText("35.1");
        box(*s.main_panel, "txtE_keido").setText("139.4");
        combo(*s.main_panel, "cmbSavetype").setEditText("GoogleEarth(KML)");

        s.side.float_panel();
        CommandPanel& side = *s.side.panel();
        QVERIFY(s.side.window().isVisible());
        QCOMPARE(s.wired, 1);
        QCOMPARE(s.main_window.width(), 555);
        QCOMPARE(s.side.window().x(), s.main_window.x() + 555);
        QCOMPARE(box(side, "txtRealAddress").text(),
                 mode == "single" ? QStringLiteral("typed") : QString());
        QCOMPARE(combo(side, "ComboRealAddress").currentText(),
                 mode == "multi" ? QStringLiteral("edited") : QString());
        QCOMPARE(combo(side, "ComboRealAddress").count(), 0); // the list is never copied
        QCOMPARE(box(side, "txtS_ido").text(), QStringLiteral("35.1"));
        QCOMPARE(box(side, "txtE_keido").text(), QStringLiteral("139.4"));
        QCOMPARE(combo(side, "cmbSavetype").currentText(), QStringLiteral("GoogleEarth(KML)"));

        box(side, "txtRealAddress").setText("side typed");
        combo(side, "ComboRealAddress").setEditText("side edited");
        box(side, "txtS_keido").setText("139.9");
        combo(side, "cmbSavetype").setEditText(QStringLiteral("画像(BMP)"));
        s.side.window().close();
        QCOMPARE(s.main_window.width(), 772);
        QCOMPARE(box(*s.main_panel, "txtRealAddress").text(),
                 mode == "single" ? QStringLiteral("side typed") : QStringLiteral("typed"));
        QCOMPARE(combo(*s.main_panel, "ComboRealAddress").currentText(),
                 mode == "multi" ? QStringLiteral("side edited") : QStringLiteral("edited"));
        QCOMPARE(box(*s.main_panel, "txtS_keido").text(), QStringLiteral("139.9"));
        QCOMPARE(combo(*s.main_panel, "cmbSavetype").currentText(), QStringLiteral("画像(BMP)"));
        QTRY_VERIFY(!s.side.exists());
    }

    void listsAreTheSameInBothWindowsAfterEveryWriter() {
        Scene s;
        CommandPanel& side = s.side.window().panel();
        QVERIFY(!s.side.window().isVisible()); // made, hidden
        s.lists.append_node("1,35,139");
        s.lists.append_node("2,36,140");
        QCOMPARE(items(list(side, "lstNode")), items(list(*s.main_panel, "lstNode")));
        s.page.values = {{"delnumber", "1"}};
        s.page.show_title("delmarker");
        QCOMPARE(items(list(side, "lstNode")), QStringList{"1,36,140"});
        QCOMPARE(items(list(*s.main_panel, "lstNode")), QStringList{"1,36,140"});
        s.lists.set_legs({"1→1"}, {"36,140,36,140"});
        QCOMPARE(items(list(side, "lstNodeConnect")), QStringList{"1→1"});

        // A leg picked in the side window fills only the side window's boxes.
        emit list(side, "lstNodeConnect").itemClicked(list(side, "lstNodeConnect").item(0));
        QCOMPARE(box(side, "txtS_ido").text(), QStringLiteral("36"));
        QVERIFY(box(*s.main_panel, "txtS_ido").text().isEmpty());

        // The keyboard picks legs as well as the mouse.
        s.lists.set_legs({"1→2", "2→1"}, {"35,139,36,140", "36,140,35,139"});
        list(*s.main_panel, "lstNodeConnect").setFocus();
        list(*s.main_panel, "lstNodeConnect").setCurrentRow(0);
        QCOMPARE(box(*s.main_panel, "txtE_ido").text(), QStringLiteral("36"));
        QTest::keyClick(&list(*s.main_panel, "lstNodeConnect"), Qt::Key_Down);
        QCOMPARE(box(*s.main_panel, "txtE_ido").text(), QStringLiteral("35"));
        QCOMPARE(box(*s.main_panel, "txtS_keido").text(), QStringLiteral("140"));

        // クリア on either window empties both boxes.
        box(*s.main_panel, "txtRealAddress").setText("a");
        box(side, "txtRealAddress").setText("b");
        button(side, "btnClear").click();
        QVERIFY(box(*s.main_panel, "txtRealAddress").text().isEmpty());
        QVERIFY(box(side, "txtRealAddress").text().isEmpty());

        // The marker caption is each window's own, and changes before the page is told.
        isButton& markers = button(side, "cmdMarkerHideShow");
        s.page.on_click.insert(
            "hidemarker", [&] { QCOMPARE(markers.Caption(), QStringLiteral("マーカーを表示")); });
        s.page.log.clear();
        markers.click();
        QCOMPARE(markers.toolTip(), QStringLiteral("マーカーを表示"));
        QCOMPARE(button(*s.main_panel, "cmdMarkerHideShow").Caption(),
                 QStringLiteral("マーカーを隠す"));
        markers.click();
        QCOMPARE(markers.Caption(), QStringLiteral("マーカーを隠す"));
        QCOMPARE(s.page.log, (QStringList{"click hidemarker", "click showmarker"}));

        s.lists.clear_all();
        QVERIFY(items(list(side, "lstNode")).isEmpty());
        QVERIFY(items(list(side, "lstNodeConnect")).isEmpty());
        QVERIFY(box(side, "txtS_ido").text().isEmpty());
    }

    void floatingTwiceDiscardsWhatWasTypedInBetween() {
        Scene s;
        box(*s.main_panel, "txtRealAddress").setText("main");
        s.side.float_panel();
        box(*s.side.panel(), "txtRealAddress").setText("typed in the side window");
        s.side.float_panel();
        QCOMPARE(box(*s.side.panel(), "txtRealAddress").text(), QStringLiteral("main"));
        QCOMPARE(s.main_window.width(), 555);
        QCOMPARE(s.wired, 1);
    }
};

QTEST_MAIN(SideMenuTest)
#include "sidemenu_test.moc"
