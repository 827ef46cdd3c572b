#include "shell/frmmain.h"

#include "widgets/isbutton.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QWebEngineView>

namespace rundel::shell {
namespace {

using widgets::px;

QAction* item(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* drop_down(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), central_(new QWidget(this)) {
    setObjectName(QStringLiteral("frmMain"));
    setCentralWidget(central_);

    WB = new QWebEngineView(central_);
    WB->setObjectName(QStringLiteral("WB"));
    WB->setGeometry(px(120), px(240), px(8055), px(8535));

    QMenuBar* bar = menuBar();
    QMenu* file = drop_down(bar, "mnuFile", QStringLiteral("ファイル"));
    mnuEnd = item(file, "mnuEnd", QStringLiteral("終了"));
    QMenu* mode = drop_down(bar, "mnuMode", QStringLiteral("モード"));
    mnuMode = mode->menuAction();
    mnuTariki = item(mode, "mnuTariki", QStringLiteral("他力"));
    mnuJiriki = item(mode, "mnuJiriki", QStringLiteral("自力"));
    mnuTariki->setCheckable(true);
    mnuJiriki->setCheckable(true);
    mnuMode->setEnabled(false); // switched off: the program runs in the mode start-up chose
    QMenu* utility = drop_down(bar, "mnuUtility", QStringLiteral("ユーティリティ"));
    mnuFloatSidemenu = item(utility, "mnuFloatSidemenu", QStringLiteral("サイドメニュをフロート"));
    mnuFloatControlpanel =
        item(utility, "mnuFloatControlpanel", QStringLiteral("コントロールをフロート"));
    mnuImprove = item(utility, "mnuImprove", QStringLiteral("経路を改善する"));
    mnuImprove->setCheckable(true);
    mnuImprove->setToolTip(
        QStringLiteral("巡回経路取得のあと、経路を 2-opt・Or-opt と反復局所探索で短くします"));
    QMenu* address = drop_down(bar, "menuAddressGet", QStringLiteral("住所データ"));
    menuSingle = item(address, "menuSingle", QStringLiteral("単発"));
    menuMulti = item(address, "menuMulti", QStringLiteral("CSV読み込み"));
    mnuPrint = bar->addAction(QStringLiteral("印刷"));
    mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    mnuHelp = bar->addAction(QStringLiteral("ヘルプ"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = bar->addAction(QStringLiteral("About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    mnuTest = bar->addAction(QStringLiteral("test"));
    mnuTest->setObjectName(QStringLiteral("mnuTest"));
    mnuTest->setEnabled(false);

    // The engine panel: hidden from start-up on, and never shown.
    frame_tsp = new QFrame(central_);
    frame_tsp->setObjectName(QStringLiteral("frame_tsp"));
    frame_tsp->setGeometry(WB->x() - 50, WB->y() - 50, 260, 150);
    auto button = [this](const char* name, const QString& caption, int y) {
        auto* b = new isButton(caption, frame_tsp);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(8, y, 120, 24);
        return b;
    };
    Command1 = button("Command1", QStringLiteral("read tsp data"), 8);
    Command2 = button("Command2", QStringLiteral("TSP 実行"), 36);
    Command3 = button("Command3", QStringLiteral("show nodes"), 64);
    Command4 = button("Command4", QStringLiteral("一括処理"), 92);
    txtFile = new QLineEdit(QStringLiteral("pr76.tsp"), frame_tsp);
    txtFile->setObjectName(QStringLiteral("txtFile"));
    txtFile->setGeometry(136, 8, 116, 22);
    txtResult = new QLineEdit(frame_tsp);
    txtResult->setObjectName(QStringLiteral("txtResult"));
    txtResult->setGeometry(136, 36, 116, 22);
    Label1 = new QLabel(QStringLiteral("Timerチェック"), frame_tsp);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(136, 64, 116, 22);
    frame_tsp->hide();

    resize(px(11580), px(9600));
}

void frmMain::set_command_panel(QWidget* panel) {
    frame_sidemenu = panel;
    panel->setParent(central_);
    panel->setGeometry(px(8280), px(120), px(5895), px(8655));
    panel->show();
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->ignore(); // the program ends itself, at once, after clearing the session
    emit closeRequested();
}

} // namespace rundel::shell
