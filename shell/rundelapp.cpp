#include "shell/rundelapp.h"

#include "bridge/mappage.h"
#include "bridge/webenginepage.h"
#include "chrome/appicon.h"
#include "chrome/clsmenu.h"
#include "chrome/frmabout.h"
#include "chrome/frmhelp.h"
#include "chrome/modgradtitlebar.h"
#include "editing/addresslookup.h"
#include "editing/csvaddressfile.h"
#include "editing/csvstops.h"
#include "editing/nodelisteditor.h"
#include "editing/routeflow.h"
#include "export/routeexporter.h"
#include "panels/commandpanel.h"
#include "panels/frmcontrolpanel.h"
#include "panels/frmsidemenu.h"
#include "panels/sidemenu.h"
#include "session/batchfolderengine.h"
#include "session/enginepanel.h"
#include "session/nodedatadownloader.h"
#include "session/roadtable.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "session/workfolders.h"
#include "shell/embeddedmapserver.h"
#include "shell/frmmain.h"
#include "shell/logging.h"
#include "shell/settingsfile.h"
#include "shell/webviewmapcapture.h"
#include "widgets/messageboxdialogs.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace rundel::shell {

namespace {
const QString kCaption = QStringLiteral("巡回セールスマン問題（解）");
} // namespace

RundelApp::RundelApp(AppPaths paths, widgets::Dialogs* dialogs)
    : paths_(std::move(paths)), window_(std::make_unique<frmMain>()) {
    if (dialogs == nullptr) {
        own_dialogs_ = std::make_unique<widgets::MessageBoxDialogs>(window_.get());
        dialogs = own_dialogs_.get();
    }
    dialogs_ = dialogs;
    const session::WorkFolders folders(paths_.program_folder.toStdString());
    const QString node_folder = QString::fromStdString(folders.node_data().string());
    lists_ = std::make_unique<session::SessionLists>();
    engine_panel_ = std::make_unique<session::EnginePanel>(*dialogs_);
    page_ = std::make_unique<bridge::WebEnginePage>(window_->browser().page());
    map_page_ = std::make_unique<bridge::MapPage>(*page_);
    route_ = std::make_unique<session::RouteSession>(*map_page_, *lists_, *engine_panel_, *dialogs_,
                                                     node_folder);
    downloader_ =
        std::make_unique<session::NodeDataDownloader>(network_, QString(), 0, node_folder);
    editor_ = std::make_unique<editing::NodeListEditor>(*map_page_, *lists_, *route_, *dialogs_);
    flow_ = std::make_unique<editing::RouteFlow>(*map_page_, *lists_, *downloader_, *route_,
                                                 *editor_, *dialogs_);
    lookup_ = std::make_unique<editing::AddressLookup>(*map_page_, *lists_, *dialogs_);
    batch_ = std::make_unique<session::BatchFolderEngine>(folders, engine_, *engine_panel_);
    map_server_ = std::make_unique<EmbeddedMapServer>(
        paths_.mapserver, QString::fromStdString(folders.server_data().string()));
    capture_ = std::make_unique<WebViewMapCapture>(window_->browser(), *page_, [this] {
        if (control_panel_ && control_panel_->isVisible()) {
            control_panel_->move(window_->x() + widgets::px(8355), window_->y());
        }
    });
    exporter_ = std::make_unique<exporting::RouteExporter>(
        *map_page_, *lists_, *dialogs_,
        exporting::ResultFolder(QString::fromStdString(folders.results().string())), *capture_);
    panel_ = new panels::CommandPanel(*lists_, *editor_);
    window_->set_command_panel(panel_);
    side_menu_ = std::make_unique<panels::SideMenu>(
        *lists_, *editor_, *window_, *panel_, [this] { return lookup_->address_mode(); },
        [this](panels::CommandPanel& side) { wire_panel(side); });
    wire();
}

RundelApp::~RundelApp() {
    delete control_panel_.data();
    delete about_.data();
    delete help_.data();
    map_server_->stop();
}

void RundelApp::wire() {
    frmMain& w = *window_;
    connect(&w, &frmMain::endRequested, this, &RundelApp::end);
    connect(&w, &frmMain::serverModeChosen, this, [this](ServerMode mode) {
        mode == ServerMode::Remote ? choose_remote() : choose_local();
    });
    connect(&w, &frmMain::printRequested, this, [this] { map_page_->print(); });
    connect(&w, &frmMain::addressModeChosen, this, &RundelApp::set_address_mode);
    connect(&w, &frmMain::floatSidemenuRequested, side_menu_.get(), &panels::SideMenu::float_panel);
    connect(&w, &frmMain::floatControlpanelRequested, this, &RundelApp::open_control_panel);
    connect(&w, &frmMain::improveChosen, this, &RundelApp::set_improve);
    connect(&w, &frmMain::routeByChosen, this, &RundelApp::set_route_by);
    connect(&w, &frmMain::aboutRequested, this, &RundelApp::show_about);
    connect(&w, &frmMain::helpRequested, this, &RundelApp::show_help);
    connect(&w, &frmMain::testRequested, this, [this] {
        const bool ok =
            dialogs_->confirm(QStringLiteral("消去してもいい？"), QStringLiteral("データ消去"));
        dialogs_->message(QString::number(ok ? 1 : 2));
    });
    wire_panel(*panel_);
    // Whatever writes the session lists touches the side window too: it is made, hidden.
    for (const auto signal :
         {&session::SessionLists::nodesChanged, &session::SessionLists::legsChanged,
          &session::SessionLists::addressCleared, &session::SessionLists::addressTextCleared}) {
        connect(lists_.get(), signal, this, [this] { side_menu_->window(); });
    }
    connect(window_->browser().page(), &QWebEnginePage::printRequested, this,
            &RundelApp::print_map);
    connect(window_->browser().page(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok && window_->browser().url().scheme().startsWith(QLatin1String("http"))) {
            emit mapReady();
        }
    });

    // The engine panel's texts and commands.
    connect(engine_panel_.get(), &session::EnginePanel::fileChanged, &w,
            &frmMain::show_engine_file);
    connect(engine_panel_.get(), &session::EnginePanel::resultChanged, &w,
            &frmMain::show_engine_result);
    connect(&w, &frmMain::engineFileEdited, engine_panel_.get(), &session::EnginePanel::set_file);
    connect(&w, &frmMain::readNodeFileRequested, this, [this] {
        const auto file = batch_->folders().node_data() / window_->engine_file().toStdString();
        engine_.clear_tourlist();
        if (const Status read = engine_.read_nodefile(file.string()); !read) {
            dialogs_->message(QString::fromStdString(read.error()));
            dialogs_->message(QStringLiteral("Erorr Load File"));
        }
    });
    connect(&w, &frmMain::solveRequested, this, [this] {
        engine_.clear_tourlist();
        engine_.solve_tour();
        engine_.make_tourlist();
    });
    connect(&w, &frmMain::batchRequested, this,
            [this] { batch_->batch_calc(window_->engine_file().toStdString(), "1234556789"); });
    batch_timer_.setObjectName(QStringLiteral("TSP_Timer1"));
    batch_timer_.setInterval(1000);
    connect(&batch_timer_, &QTimer::timeout, this, &RundelApp::batch_tick);
}

bool RundelApp::start() {
    frmMain& w = *window_;
    w.browser().load(QUrl::fromLocalFile(
        QString::fromStdString((batch_->folders().root() / "wait.html").string())));
    lookup_->set_address_mode(editing::AddressMode::Single);
    w.setWindowTitle(kCaption + QString(kCaption.size(), QLatin1Char(' ')));
    w.setWindowIcon(chrome::app_icon());
    chrome::hook_window(w);
    if (!menus_) {
        menus_ = std::make_unique<chrome::clsMenu>();
    }
    chrome::apply_menu_colours(w, *menus_, QColor(255, 255, 255));

    if (const Status made = batch_->folders().make_workfolders(); !made) {
        qCWarning(lcShell) << "working folders:" << QString::fromStdString(made.error());
    }
    const QString ini = settings_path();
    QFile settings_file(ini);
    if (!QFileInfo(ini).isFile() || !settings_file.open(QIODevice::ReadOnly)) {
        dialogs_->message(QStringLiteral("ini_tsproblem.txtがありません、このまま終了します。"));
        return false;
    }
    const SettingsFile settings = SettingsFile::parse(settings_file.readAll());
    server_domain_ = settings.domain();
    server_port_ = settings.port();
    w.show_improve(settings.improve()); // reading the setting is not changing it
    route_->set_improve(settings.improve());
    w.show_route_by(settings.route_by());
    lists_->set_day_times(settings.day_times());
    downloader_->set_server(server_domain_, server_port_);

    map_server_->set_online_sources(settings.tiles(), settings.geocoder(), settings.router());
    if (const Status server = map_server_->ensure(server_domain_, server_port_); !server) {
        dialogs_->message(QString::fromStdString(server.error()));
    }
    authority_ = settings.authority();
    if (!settings.router().isEmpty()) {
        // Road costs come from the bundled map server, which asks the router.
        road_table_ = std::make_unique<session::RoadTable>(network_, authority_);
    }
    flow_->set_roads(road_table_.get(), settings.route_by());
    exporter_->set_roads(road_table_.get());
    map_address_ =
        QStringLiteral("http://") + authority_ + QStringLiteral("/Rundel_SRV/Rundel_SRV.php");
    w.browser().load(QUrl(map_address_));
    batch_timer_.stop();
    route_->init_file();
    w.show_server_mode(ServerMode::Remote);
    return true;
}

QString RundelApp::settings_path() const {
    return QString::fromStdString(batch_->folders().settings_file().string());
}

void RundelApp::end() {
    lookup_->abandon();
    route_->init_data();
    map_server_->stop();
    QCoreApplication::exit(0);
}

void RundelApp::set_improve(bool improve) {
    route_->set_improve(improve);
    remember(QStringLiteral("improve"), improve ? QStringLiteral("1") : QStringLiteral("0"));
}

void RundelApp::set_route_by(session::RouteBy by) {
    flow_->set_roads(road_table_.get(), by);
    remember(QStringLiteral("route_by"), SettingsFile::route_by_word(by));
}

void RundelApp::remember(const QString& key, const QString& value) {
    const QString ini = settings_path();
    QFile current(ini);
    QByteArray bytes;
    if (current.open(QIODevice::ReadOnly)) {
        bytes = current.readAll();
    }
    QSaveFile file(ini);
    const QByteArray updated = SettingsFile::with_value(bytes, key, value);
    if (!file.open(QIODevice::WriteOnly) || file.write(updated) != updated.size() ||
        !file.commit()) {
        dialogs_->message(QStringLiteral("設定を保存できません: ") + ini + QStringLiteral(": ") +
                          file.errorString());
    }
}

void RundelApp::choose_remote() {
    window_->show_server_mode(ServerMode::Remote);
    window_->browser().load(QUrl(map_address_));
    batch_timer_.stop();
    route_->init_file();
}

void RundelApp::choose_local() {
    window_->show_server_mode(ServerMode::Local);
    window_->browser().load(QUrl(QStringLiteral("http://") + authority_ +
                                 QStringLiteral("/Rundel_WEB/Rundel/Rundel_WEB.php")));
    batch_timer_.start();
    route_->init_file();
}

void RundelApp::wire_panel(panels::CommandPanel& panel) {
    connect(&panel, &panels::CommandPanel::lookupRequested, this,
            [this](const QString& address, const QStringList& list) {
                lookup_->lookup(address, list);
            });
    connect(&panel, &panels::CommandPanel::csvRequested, this,
            [this, p = &panel] { import_csv(*p); });
    connect(&panel, &panels::CommandPanel::saveRequested, this,
            [this](std::optional<session::SaveFormat> format) { exporter_->save_route(format); });
    connect(&panel, &panels::CommandPanel::stopRequested, lookup_.get(),
            &editing::AddressLookup::stop);
    connect(lookup_.get(), &editing::AddressLookup::progressChanged, &panel,
            &panels::CommandPanel::show_progress);
}

void RundelApp::set_address_mode(editing::AddressMode mode) {
    lookup_->set_address_mode(mode);
    const bool multi = mode == editing::AddressMode::Multi;
    panel_->set_multi(multi);
    side_menu_->window().panel().set_multi(multi);
}

void RundelApp::import_csv(panels::CommandPanel& origin) {
    if (!lookup_->ensure_idle()) {
        return;
    }
    const QString path = dialogs_->open_file(
        QStringLiteral("ファイルを開く"),
        QStringLiteral("CSVファイル(*.csv);;すべてのファイル(*.*)"), QDir::homePath());
    if (path.isEmpty()) {
        return;
    }
    const Result<QStringList> lines = editing::CsvAddressFile::read(path);
    if (!lines) {
        dialogs_->message(QString::fromStdString(lines.error()));
        return;
    }
    // Lines with coordinates are placed as they are; refused ones join the not-found list.
    const editing::CsvStops parsed = editing::parse_csv_stops(lines.value());
    QStringList addresses;
    QList<int> stays;
    for (const editing::CsvStop& stop : parsed.stops) {
        addresses.append(stop.line());
        stays.append(stop.stay);
    }
    panels::CommandPanel* other = &origin == panel_ ? &side_menu_->window().panel() : panel_;
    for (panels::CommandPanel* target : {&origin, other}) {
        target->set_addresses(addresses);
    }
    lookup_->lookup(QString(), addresses, parsed.refused, stays);
}

void RundelApp::show_about() {
    if (!about_) {
        about_ = new chrome::frmAbout();
    }
    about_->show();
    about_->raise();
}

void RundelApp::show_help() {
    if (!help_) {
        help_ = new chrome::frmHelp(paths_.program_folder);
    }
    help_->show();
    help_->raise();
}

void RundelApp::open_control_panel() {
    map_page_->set_controls_visible(false);
    if (!control_panel_) {
        control_panel_ = new panels::frmControlpanel(*map_page_);
    }
    control_panel_->move(window_->x() + widgets::px(8325), window_->y());
    control_panel_->show();
}

void RundelApp::batch_tick() {
    if (batch_->prefile_names().empty()) {
        return;
    }
    batch_timer_.stop();
    batch_->tick();
    batch_timer_.start();
}

void RundelApp::print_map() {
    // The printer must outlive the asynchronous print.
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // Opened, not executed: the program goes on while the user chooses.
    auto* dialog = new QPrintDialog(printer_.get(), window_.get());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted && printer_) {
            window_->browser().print(printer_.get());
        } else {
            printer_.reset();
        }
    });
    dialog->open();
}

} // namespace rundel::shell
