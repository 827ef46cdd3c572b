#include "shell/frmmain.h"

#include "widgets/isbutton.h"
#include "widgets/twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QWebEngineView>

namespace rundel::shell {
namespace {

using widgets::make;
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

QAction* command(QMenuBar* bar, const char* name, const QString& caption) {
    QAction* action = bar->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), central_(new QWidget(this)) {
    setObjectName(QStringLiteral("frmMain"));
    setCentralWidget(central_);

    WB = new QWebEngineView(central_);
    WB->setObjectName(QStringLiteral("WB"));
    WB->setGeometry(px(120), px(240), px(8055), px(8535));
    make_menus();
    make_engine_panel();
    resize(px(11580), px(9600));
}

void frmMain::make_menus() {
    QMenuBar* bar = menuBar();
    QMenu* file = drop_down(bar, "mnuFile", QStringLiteral("ファイル"));
    connect(item(file, "mnuEnd", QStringLiteral("終了")), &QAction::triggered, this,
            &frmMain::endRequested);
    QMenu* mode = drop_down(bar, "mnuMode", QStringLiteral("モード"));
    mnuTariki = item(mode, "mnuTariki", QStringLiteral("他力"));
    mnuJiriki = item(mode, "mnuJiriki", QStringLiteral("自力"));
    mnuTariki->setCheckable(true);
    mnuJiriki->setCheckable(true);
    connect(mnuTariki, &QAction::triggered, this,
            [this] { emit serverModeChosen(ServerMode::Remote); });
    connect(mnuJiriki, &QAction::triggered, this,
            [this] { emit serverModeChosen(ServerMode::Local); });
    mode->menuAction()->setEnabled(false); // switched off: the mode start-up chose stays
    QMenu* utility = drop_down(bar, "mnuUtility", QStringLiteral("ユーティリティ"));
    connect(item(utility, "mnuFloatSidemenu", QStringLiteral("サイドメニュをフロート")),
            &QAction::triggered, this, &frmMain::floatSidemenuRequested);
    connect(item(utility, "mnuFloatControlpanel", QStringLiteral("コントロールをフロート")),
            &QAction::triggered, this, &frmMain::floatControlpanelRequested);
    mnuImprove = item(utility, "mnuImprove", QStringLiteral("経路を改善する"));
    mnuImprove->setCheckable(true);
    mnuImprove->setToolTip(
        QStringLiteral("巡回経路取得のあと、経路を 2-opt・Or-opt と反復局所探索で短くします"));
    connect(mnuImprove, &QAction::toggled, this, &frmMain::improveChosen);
    // With a road router: what the round trip is ordered by.
    mnuRouteByTime = item(utility, "mnuRouteByTime", QStringLiteral("所要時間で巡回"));
    mnuRouteByDistance = item(utility, "mnuRouteByDistance", QStringLiteral("距離で巡回"));
    for (QAction* choice : {mnuRouteByTime, mnuRouteByDistance}) {
        choice->setCheckable(true);
        choice->setToolTip(QStringLiteral("道路ルーターを使うとき、経路を所要時間と道路距離の"
                                          "どちらで短くするか"));
    }
    connect(mnuRouteByTime, &QAction::triggered, this, [this] {
        show_route_by(session::RouteBy::Time);
        emit routeByChosen(session::RouteBy::Time);
    });
    connect(mnuRouteByDistance, &QAction::triggered, this, [this] {
        show_route_by(session::RouteBy::Distance);
        emit routeByChosen(session::RouteBy::Distance);
    });
    QMenu* address = drop_down(bar, "menuAddressGet", QStringLiteral("住所データ"));
    connect(item(address, "menuSingle", QStringLiteral("単発")), &QAction::triggered, this,
            [this] { emit addressModeChosen(editing::AddressMode::Single); });
    connect(item(address, "menuMulti", QStringLiteral("CSV読み込み")), &QAction::triggered, this,
            [this] { emit addressModeChosen(editing::AddressMode::Multi); });
    connect(command(bar, "mnuPrint", QStringLiteral("印刷")), &QAction::triggered, this,
            &frmMain::printRequested);
    connect(command(bar, "mnuHelp", QStringLiteral("ヘルプ")), &QAction::triggered, this,
            &frmMain::helpRequested);
    connect(command(bar, "mnuAbout", QStringLiteral("About")), &QAction::triggered, this,
            &frmMain::aboutRequested);
    QAction* test = command(bar, "mnuTest", QStringLiteral("test"));
    test->setEnabled(false);
    connect(test, &QAction::triggered, this, &frmMain::testRequested);
}

// The engine panel: hidden from start-up on, and never shown.
void frmMain::make_engine_panel() {
    frame_tsp = new QFrame(central_);
    frame_tsp->setObjectName(QStringLiteral("frame_tsp"));
    frame_tsp->setGeometry(WB->x() - 50, WB->y() - 50, 260, 150);
    const auto button = [this](const char* name, const QString& caption, int y) {
        return make<isButton>(frame_tsp, name, QRect(8, y, 120, 24), caption);
    };
    connect(button("Command1", QStringLiteral("read tsp data"), 8), &QAbstractButton::clicked, this,
            &frmMain::readNodeFileRequested);
    connect(button("Command2", QStringLiteral("TSP 実行"), 36), &QAbstractButton::clicked, this,
            &frmMain::solveRequested);
    button("Command3", QStringLiteral("show nodes"), 64);
    connect(button("Command4", QStringLiteral("一括処理"), 92), &QAbstractButton::clicked, this,
            &frmMain::batchRequested);
    txtFile =
        make<QLineEdit>(frame_tsp, "txtFile", QRect(136, 8, 116, 22), QStringLiteral("pr76.tsp"));
    connect(txtFile, &QLineEdit::textEdited, this, &frmMain::engineFileEdited);
    txtResult = make<QLineEdit>(frame_tsp, "txtResult", QRect(136, 36, 116, 22));
    make<QLabel>(frame_tsp, "Label1", QRect(136, 64, 116, 22), QStringLiteral("Timerチェック"));
    frame_tsp->hide();
}

void frmMain::set_command_panel(QWidget* panel) {
    panel->setParent(central_);
    panel->setGeometry(px(8280), px(120), px(5895), px(8655));
    panel->show();
}

// The marks are set, not toggled: a checkable action has already toggled itself when its
// triggered signal arrives, and toggling again would put the marks back.
void frmMain::show_server_mode(ServerMode mode) {
    mnuTariki->setChecked(mode == ServerMode::Remote);
    mnuJiriki->setChecked(mode == ServerMode::Local);
}

void frmMain::show_route_by(session::RouteBy by) {
    mnuRouteByTime->setChecked(by == session::RouteBy::Time);
    mnuRouteByDistance->setChecked(by == session::RouteBy::Distance);
}

void frmMain::show_improve(bool improve) {
    const QSignalBlocker quiet(mnuImprove);
    mnuImprove->setChecked(improve);
}

QString frmMain::engine_file() const {
    return txtFile->text();
}

void frmMain::show_engine_file(const QString& file) {
    txtFile->setText(file);
}

void frmMain::show_engine_result(const QString& result) {
    txtResult->setText(result);
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->ignore(); // the program ends itself, at once, after clearing the session
    emit endRequested();
}

} // namespace rundel::shell
