#include "editing/nodelisteditor.h"
#include "engine/modshortestpath.h"
#include "panels/commandpanel.h"
#include "panels/frmsidemenu.h"
#include "panels/sidemenu.h"
#include "session/enginepanel.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "support/fakepage.h"
#include "support/scripteddialogs.h"
#include "support/sessionscene.h"
#include "widgets/isbutton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using rundel::panels::CommandPanel;
using rundel::panels::SideMenu;

class SideMenuTest : public QObject {
    Q_OBJECT

private:
    struct Scene {
        Scene() { main_window.resize(772, 640); }
        rundel::test::FakePage page;
        rundel::test::ScriptedDialogs dialogs;
        rundel::engine::ModShortestPath engine;
        rundel::session::SessionLists lists;
        rundel::session::EnginePanel engine_panel{dialogs};
        rundel::session::RouteSession route{engine,       page,    lists,
                                            engine_panel, dialogs, "/nonexistent"};
        rundel::editing::NodeListEditor editor{page, lists, route, dialogs};
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
        s.main_panel->txtRealAddress->setText("typed");
        s.main_panel->ComboRealAddress->addItems({"A", "B"});
        s.main_panel->ComboRealAddress->setEditText("edited");
        s.main_panel->txtS_ido->setText("35.1");
        s.main_panel->txtE_keido->setText("139.4");
        s.main_panel->cmbSavetype->setEditText("GoogleEarth(KML)");

        s.side.float_panel();
        CommandPanel& side = *s.side.panel();
        QVERIFY(s.side.window().isVisible());
        QCOMPARE(s.wired, 1);
        QCOMPARE(s.main_window.width(), 555);
        QCOMPARE(s.side.window().x(), s.main_window.x() + 555);
        QCOMPARE(side.txtRealAddress->text(),
                 mode == "single" ? QStringLiteral("typed") : QString());
        QCOMPARE(side.ComboRealAddress->currentText(),
                 mode == "multi" ? QStringLiteral("edited") : QString());
        QCOMPARE(side.ComboRealAddress->count(), 0); // the list is never copied
        QCOMPARE(side.txtS_ido->text(), QStringLiteral("35.1"));
        QCOMPARE(side.txtE_keido->text(), QStringLiteral("139.4"));
        QCOMPARE(side.cmbSavetype->currentText(), QStringLiteral("GoogleEarth(KML)"));

        side.txtRealAddress->setText("side typed");
        side.ComboRealAddress->setEditText("side edited");
        side.txtS_keido->setText("139.9");
        side.cmbSavetype->setEditText(QStringLiteral("画像(BMP)"));
        s.side.window().close();
        QCOMPARE(s.main_window.width(), 772);
        QCOMPARE(s.main_panel->txtRealAddress->text(),
                 mode == "single" ? QStringLiteral("side typed") : QStringLiteral("typed"));
        QCOMPARE(s.main_panel->ComboRealAddress->currentText(),
                 mode == "multi" ? QStringLiteral("side edited") : QStringLiteral("edited"));
        QCOMPARE(s.main_panel->txtS_keido->text(), QStringLiteral("139.9"));
        QCOMPARE(s.main_panel->cmbSavetype->currentText(), QStringLiteral("画像(BMP)"));
        QTRY_VERIFY(!s.side.exists());
    }

    void listsAreTheSameInBothWindowsAfterEveryWriter() {
        Scene s;
        CommandPanel& side = *s.side.window().panel;
        QVERIFY(!s.side.window().isVisible()); // made, hidden
        const auto items = [](QListWidget* list) {
            QStringList out;
            for (int i = 0; i < list->count(); ++i) {
                out << list->item(i)->text();
            }
            return out;
        };
        s.lists.append_node("1,35,139");
        s.lists.append_node("2,36,140");
        QCOMPARE(items(side.lstNode), items(s.main_panel->lstNode));
        s.page.values = {{"delnumber", "1"}};
        s.editor.delete_node();
        QCOMPARE(items(side.lstNode), QStringList{"1,36,140"});
        QCOMPARE(items(s.main_panel->lstNode), QStringList{"1,36,140"});
        s.lists.set_legs({"1→1"}, {"36,140,36,140"});
        QCOMPARE(items(side.lstNodeConnect), QStringList{"1→1"});

        // A leg picked in the side window fills only the side window's boxes.
        emit side.lstNodeConnect->itemClicked(side.lstNodeConnect->item(0));
        QCOMPARE(side.txtS_ido->text(), QStringLiteral("36"));
        QVERIFY(s.main_panel->txtS_ido->text().isEmpty());

        // The keyboard picks legs as well as the mouse.
        s.lists.set_legs({"1→2", "2→1"}, {"35,139,36,140", "36,140,35,139"});
        s.main_panel->lstNodeConnect->setFocus();
        s.main_panel->lstNodeConnect->setCurrentRow(0);
        QCOMPARE(s.main_panel->txtE_ido->text(), QStringLiteral("36"));
        QTest::keyClick(s.main_panel->lstNodeConnect, Qt::Key_Down);
        QCOMPARE(s.main_panel->txtE_ido->text(), QStringLiteral("35"));
        QCOMPARE(s.main_panel->txtS_keido->text(), QStringLiteral("140"));

        // クリア on either window empties both boxes; the marker caption is each window's own.
        s.main_panel->txtRealAddress->setText("a");
        side.txtRealAddress->setText("b");
        side.btnClear->click();
        QVERIFY(s.main_panel->txtRealAddress->text().isEmpty());
        QVERIFY(side.txtRealAddress->text().isEmpty());
        side.cmdMarkerHideShow->click();
        QCOMPARE(side.cmdMarkerHideShow->Caption(), QStringLiteral("マーカーを表示"));
        QCOMPARE(s.main_panel->cmdMarkerHideShow->Caption(), QStringLiteral("マーカーを隠す"));

        s.lists.clear_all();
        QVERIFY(items(side.lstNode).isEmpty());
        QVERIFY(items(side.lstNodeConnect).isEmpty());
        QVERIFY(side.txtS_ido->text().isEmpty());
    }

    void floatingTwiceDiscardsWhatWasTypedInBetween() {
        Scene s;
        s.main_panel->txtRealAddress->setText("main");
        s.side.float_panel();
        s.side.panel()->txtRealAddress->setText("typed in the side window");
        s.side.float_panel();
        QCOMPARE(s.side.panel()->txtRealAddress->text(), QStringLiteral("main"));
        QCOMPARE(s.main_window.width(), 555);
        QCOMPARE(s.wired, 1);
    }
};

QTEST_MAIN(SideMenuTest)
#include "sidemenu_test.moc"
