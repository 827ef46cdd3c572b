#pragma once

#include "chrome/frmabout.h"
#include "chrome/frmhelp.h"
#include "editing/addressmode.h"
#include "engine/modshortestpath.h"
#include "panels/frmcontrolpanel.h"
#include "session/roadtable.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <memory>

namespace rundel::widgets {
class Dialogs;
}
namespace rundel::bridge {
class MapPage;
class WebEnginePage;
} // namespace rundel::bridge
namespace rundel::session {
class BatchFolderEngine;
class EnginePanel;
class NodeDataDownloader;
class RoadTable;
class RouteSession;
class SessionLists;
} // namespace rundel::session
namespace rundel::editing {
class AddressLookup;
class NodeListEditor;
class RouteFlow;
} // namespace rundel::editing
namespace rundel::panels {
class CommandPanel;
class frmControlpanel;
class SideMenu;
} // namespace rundel::panels
namespace rundel::exporting {
class RouteExporter;
}
namespace rundel::chrome {
class clsMenu;
} // namespace rundel::chrome

namespace rundel::shell {

class EmbeddedMapServer;
class frmMain;
class WebViewMapCapture;

/// Where the program finds itself and its map server.
struct AppPaths {
    QString program_folder;
    QString mapserver; ///< the bundled map server's executable
};

/// The program: the main window and everything behind it, wired together, with the start-up
/// sequence, the server modes, the batch timer and the end.
class RundelApp : public QObject {
    Q_OBJECT

public:
    /// @param dialogs where messages go; null: message boxes over the main window.
    explicit RundelApp(AppPaths paths, widgets::Dialogs* dialogs = nullptr);
    ~RundelApp() override;

    /// Runs the start-up sequence. False when the program must end (no settings file).
    bool start();
    /// Clears the session and ends the program at once.
    void end();

    /// The remote and the local server mode (the モード menu, switched off).
    void choose_remote();
    void choose_local();

    /// 経路を改善する: improve routes from now on, and remember it in the settings file.
    void set_improve(bool improve);
    /// 所要時間で巡回 / 距離で巡回: order road routes so from now on, and remember it.
    void set_route_by(session::RouteBy by);

    /// CSV読み込み・ノード表示 from @p origin's panel: the open-file dialog, the addresses into
    /// both windows' lists, then the lookup.
    void import_csv(panels::CommandPanel& origin);
    /// 単発 / CSV読み込み
    void set_address_mode(editing::AddressMode mode);
    [[nodiscard]] panels::SideMenu& side_menu() { return *side_menu_; }

    /// About / ヘルプ: shown modeless, the same window again while it is open.
    void show_about();
    void show_help();

    /// コントロールをフロート: opens the map control panel beside the map (again).
    void open_control_panel();
    /// The map control panel while it is open; null otherwise.
    [[nodiscard]] panels::frmControlpanel* control_panel() const { return control_panel_; }

    [[nodiscard]] frmMain& window() { return *window_; }
    [[nodiscard]] panels::CommandPanel& panel() { return *panel_; }
    [[nodiscard]] session::SessionLists& lists() { return *lists_; }
    [[nodiscard]] bridge::WebEnginePage& page() { return *page_; }
    [[nodiscard]] bridge::MapPage& map_page() { return *map_page_; }
    [[nodiscard]] editing::AddressLookup& lookup() { return *lookup_; }
    [[nodiscard]] QTimer& TSP_Timer1() { return batch_timer_; }

signals:
    /// The map page has loaded and is ready for commands.
    void mapReady();

private:
    void wire();
    void wire_panel(panels::CommandPanel& panel);
    void batch_tick();
    void print_map();
    [[nodiscard]] QString settings_path() const;
    /// Sets @p key to @p value in the settings file, the rest of it kept.
    void remember(const QString& key, const QString& value);

    AppPaths paths_;
    std::unique_ptr<widgets::Dialogs> own_dialogs_;
    widgets::Dialogs* dialogs_;
    std::unique_ptr<frmMain> window_;
    engine::ModShortestPath engine_;
    QNetworkAccessManager network_;
    QTimer batch_timer_;
    QString server_domain_;
    int server_port_ = 0;
    QString authority_; ///< host, and ":port" when the settings give one
    QString map_address_;
    std::unique_ptr<session::SessionLists> lists_;
    std::unique_ptr<session::EnginePanel> engine_panel_;
    std::unique_ptr<bridge::WebEnginePage> page_;
    std::unique_ptr<bridge::MapPage> map_page_;
    std::unique_ptr<session::RouteSession> route_;
    std::unique_ptr<session::NodeDataDownloader> downloader_;
    std::unique_ptr<session::RoadTable> road_table_; ///< only with a router
    std::unique_ptr<editing::NodeListEditor> editor_;
    std::unique_ptr<editing::RouteFlow> flow_;
    std::unique_ptr<editing::AddressLookup> lookup_;
    std::unique_ptr<session::BatchFolderEngine> batch_;
    std::unique_ptr<EmbeddedMapServer> map_server_;
    panels::CommandPanel* panel_ = nullptr;
    QPointer<panels::frmControlpanel> control_panel_;
    std::unique_ptr<WebViewMapCapture> capture_;
    std::unique_ptr<exporting::RouteExporter> exporter_;
    std::unique_ptr<panels::SideMenu> side_menu_;
    std::unique_ptr<chrome::clsMenu> menus_;
    QPointer<chrome::frmAbout> about_;
    QPointer<chrome::frmHelp> help_;
    std::unique_ptr<QPrinter> printer_;
};

} // namespace rundel::shell
