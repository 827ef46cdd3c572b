#pragma once

#include "editing/addressmode.h"
#include "session/roadtable.h"

#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QWebEngineView;

namespace rundel::widgets {
class isButton;
}

namespace rundel::shell {

using widgets::isButton;

/// Where the map page comes from: 他力, the configured server's page, or 自力, the local
/// page with the batch folder engine running.
enum class ServerMode { Remote, Local };

/// The main window: the map browser WB, the command panel beside it, the menus, and the hidden
/// engine panel frame_tsp. It lays the controls out and says what the user asked for; the
/// program's logic is wired in by RundelApp.
class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    /// Places the command panel (frame_sidemenu) beside the map.
    void set_command_panel(QWidget* panel);

    /// The map browser (WB).
    [[nodiscard]] QWebEngineView& browser() const { return *WB; }

    /// Marks 他力 or 自力.
    void show_server_mode(ServerMode mode);
    /// Marks 経路を改善する without saying it was chosen.
    void show_improve(bool improve);
    /// Marks 所要時間で巡回 or 距離で巡回, without telling anyone.
    void show_route_by(session::RouteBy by);
    /// The engine panel's node file (txtFile), as shown or as typed.
    [[nodiscard]] QString engine_file() const;
    void show_engine_file(const QString& file);
    /// The engine panel's route text (txtResult).
    void show_engine_result(const QString& result);

signals:
    /// 終了, or any close request: the program ends.
    void endRequested();
    /// 他力 / 自力
    void serverModeChosen(rundel::shell::ServerMode mode);
    /// 単発 / CSV読み込み
    void addressModeChosen(rundel::editing::AddressMode mode);
    void floatSidemenuRequested();
    void floatControlpanelRequested();
    /// 経路を改善する ticked or unticked by the user.
    void improveChosen(bool improve);
    /// 所要時間で巡回 / 距離で巡回 chosen by the user.
    void routeByChosen(rundel::session::RouteBy by);
    void printRequested();
    void helpRequested();
    void aboutRequested();
    void testRequested();
    /// The engine panel: its node file typed, and its commands.
    void engineFileEdited(const QString& file);
    void readNodeFileRequested();
    void solveRequested();
    void batchRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void make_menus();
    void make_engine_panel();

    QWidget* central_;
    QWebEngineView* WB;
    QAction* mnuTariki;
    QAction* mnuJiriki;
    QAction* mnuImprove;
    QAction* mnuRouteByTime;
    QAction* mnuRouteByDistance;
    QFrame* frame_tsp;
    QLineEdit* txtFile;
    QLineEdit* txtResult;
};

} // namespace rundel::shell
