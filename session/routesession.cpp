#include "session/routesession.h"

#include "bridge/mappage.h"
#include "engine/geodesy.h"
#include "engine/modshortestpath.h"
#include "engine/nodefilename.h"
#include "session/enginepanel.h"
#include "session/listentries.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPointF>
#include <QPointer>
#include <chrono>

namespace rundel::session {

/// What a solve hands back to the UI thread.
struct RouteSession::Solved {
    QStringList messages; ///< why there is no route, for the dialogs
    QString route;        ///< empty when there is none
    double unimproved_km = -1;
};

namespace {

/// The tour's length on the globe, from the node list's entries ("number,latitude,longitude",
/// numbered as the node file).
double great_circle_length(const QStringList& nodes, const engine::ModShortestPath& engine) {
    QHash<std::int32_t, QPointF> where;
    for (const QString& entry : nodes) {
        if (const auto node = NodeEntry::parse(entry)) {
            where.insert(node->number.toInt(),
                         QPointF(node->latitude.toDouble(), node->longitude.toDouble()));
        }
    }
    const auto& tour = engine.tour();
    double km = 0;
    for (std::int32_t p = 1; p <= engine.tour_count(); ++p) {
        const QPointF a = where.value(tour[static_cast<std::size_t>(p)]);
        const QPointF b =
            where.value(tour[static_cast<std::size_t>(p == engine.tour_count() ? 1 : p + 1)]);
        km += engine::great_circle_km(a.x(), a.y(), b.x(), b.y());
    }
    return km;
}

/// An improvement is reported once it has run this long.
constexpr auto kQuietImprovement = std::chrono::seconds(1);

} // namespace

RouteSession::RouteSession(bridge::MapPage& page, SessionLists& lists, EnginePanel& panel,
                           widgets::Dialogs& dialogs, QString node_folder)
    : page_(page), lists_(lists), panel_(panel), dialogs_(dialogs),
      node_folder_(std::move(node_folder)) {
    progress_timer_.setInterval(100);
    connect(&progress_timer_, &QTimer::timeout, this, [this] {
        if (const int percent = percent_.load(); percent >= 0) {
            emit improving(percent);
        }
    });
}

RouteSession::~RouteSession() {
    stop_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void RouteSession::calc_route(const QString& session_id, std::function<void(bool)> done) {
    if (solving()) {
        done(false);
        return;
    }
    const QString name = QString::fromStdString(engine::node_file_name(session_id.toStdString()));
    panel_.set_file(name);
    stop_ = false;
    percent_ = -1;
    progress_timer_.start();
    worker_ = std::thread([this, path = QDir(node_folder_).filePath(name), nodes = lists_.nodes(),
                           done = std::move(done)] {
        Solved solved = solve(path, nodes);
        // Queued to this object: dropped if it is gone, and run on its (the UI) thread.
        QMetaObject::invokeMethod(
            this, [this, solved = std::move(solved), done] { finish(solved, done); },
            Qt::QueuedConnection);
    });
}

RouteSession::Solved RouteSession::solve(const QString& path, const QStringList& nodes) {
    Solved solved;
    engine::ModShortestPath engine;
    if (const Status read = engine.read_nodefile(path.toStdString()); !read) {
        solved.messages = {QString::fromStdString(read.error()), QStringLiteral("Erorr Load File")};
        return solved;
    }
    engine.solve_tour();
    if (improve_ && !stop_) {
        solved.unimproved_km = great_circle_length(nodes, engine);
        const auto started = std::chrono::steady_clock::now();
        engine::ImproveOptions options;
        options.keep_going = [this, started](std::int64_t done, std::int64_t total) {
            if (std::chrono::steady_clock::now() - started > kQuietImprovement && total > 0) {
                percent_ = static_cast<int>(done * 100 / total);
            }
            return !stop_.load();
        };
        engine.improve_tour(options);
    }
    engine.make_tourlist();
    if (engine.tour_list_count() == 0) {
        solved.messages = {QStringLiteral("Erorr calc")};
        return solved;
    }
    solved.route = QString::fromStdString(engine.route_text("/"));
    return solved;
}

void RouteSession::finish(const Solved& solved, const std::function<void(bool)>& done) {
    worker_.join();
    progress_timer_.stop();
    emit improving(-1);
    panel_.set_result(solved.route);
    for (const QString& message : solved.messages) {
        dialogs_.message(message);
    }
    if (solved.route.isEmpty()) {
        done(false);
        return;
    }
    lists_.set_unimproved_km(solved.unimproved_km);
    page_.draw_route(solved.route);
    done(true);
}

void RouteSession::set_result(const QStringList& labels, const QStringList& coordinates) {
    lists_.set_legs(labels, coordinates);
}

void RouteSession::init_file() {
    // Only the sessions' own node files: the folder also holds the node files that other
    // software hands to the batch folder engine, and those are not ours to delete.
    const QDir folder(node_folder_);
    const QString pattern = QLatin1Char('*') + QLatin1String(engine::kNodeFileSuffix);
    const QStringList files =
        folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : files) {
        QFile::remove(folder.filePath(name));
    }
}

void RouteSession::init_data() {
    page_.clear();
    lists_.clear_all();
    init_file();
}

} // namespace rundel::session
