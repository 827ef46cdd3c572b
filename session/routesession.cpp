#include "session/routesession.h"

#include "bridge/mappage.h"
#include "engine/geodesy.h"
#include "engine/modshortestpath.h"
#include "engine/nodefilename.h"
#include "engine/solve.h"
#include "session/enginepanel.h"
#include "session/listentries.h"
#include "session/logging.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QPointF>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace rundel::session {

/// What a solve hands back to the UI thread.
struct RouteSession::Solved {
    QStringList messages;           ///< why there is no route, for the dialogs
    QString route;                  ///< empty when there is none
    std::vector<std::int32_t> tour; ///< node numbers in the order of travel (day routes)
    bool open = false;              ///< no leg back to the first stop
    double unimproved_km = -1;
    RouteMeasure measure;
};

namespace {

/// The tour's length on the globe, from the node list's entries ("number,latitude,longitude",
/// numbered as the node file).
double great_circle_length(const QList<std::optional<NodeEntry>>& nodes,
                           const engine::ModShortestPath& engine) {
    QHash<std::int32_t, QPointF> where;
    for (const auto& node : nodes) {
        if (node) {
            where.insert(node->number.toInt(),
                         QPointF(node->latitude_degrees, node->longitude_degrees));
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

/// Why some legs of a road route are straight lines; empty when none is.
QString straight_reason(const RouteMeasure& measure, const RoadCosts& costs) {
    const bool all_roads = std::all_of(measure.legs.begin(), measure.legs.end(),
                                       [](const LegCost& leg) { return leg.by_road; });
    if (all_roads) {
        return {};
    }
    if (costs.off_road.isEmpty()) {
        return QStringLiteral("道路で結ばれていない区間があります");
    }
    QStringList stops;
    for (const int stop : costs.off_road) {
        stops.append(QString::number(stop + 1));
    }
    return QStringLiteral("道路から遠い地点: ") + stops.join(QStringLiteral(", "));
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

QString RouteSession::node_file(const QString& session_id) {
    const QString name = QString::fromStdString(engine::node_file_name(session_id.toStdString()));
    panel_.set_file(name);
    return QDir(node_folder_).filePath(name);
}

void RouteSession::calc_route(const QString& session_id, const QString& straight_because,
                              std::function<void(bool)> done) {
    start(
        [this, path = node_file(session_id), nodes = lists_.node_entries(), straight_because,
         ends = lists_.ends()] {
            Solved solved = solve(path, nodes, ends);
            solved.measure.straight_because = straight_because;
            return solved;
        },
        std::move(done));
}

void RouteSession::calc_road_route(const QString& session_id, const QByteArray& table, RouteBy by,
                                   const QList<StopPlace>& stops, std::function<void(bool)> done) {
    start(
        [this, table, by, stops, path = node_file(session_id), nodes = lists_.node_entries(),
         ends = lists_.ends()] {
            QElapsedTimer clock;
            clock.start();
            const Result<RoadCosts> costs = RoadTable::parse(table, stops.size());
            qCDebug(lcSession) << "road table of" << stops.size() << "stops read in"
                               << clock.restart() << "ms";
            if (costs) {
                Solved solved = solve_roads(costs.value(), by, stops, ends);
                qCDebug(lcSession) << "road route solved in" << clock.elapsed() << "ms";
                return solved;
            }
            Solved solved = solve(path, nodes, ends);
            solved.measure.straight_because = QStringLiteral("ルーターが応答しません（") +
                                              QString::fromStdString(costs.error()) +
                                              QStringLiteral("）");
            return solved;
        },
        std::move(done));
}

void RouteSession::start(std::function<Solved()> solve, std::function<void(bool)> done) {
    if (solving()) {
        done(false);
        return;
    }
    stop_ = false;
    percent_ = -1;
    progress_timer_.start();
    worker_ = std::thread([this, solve = std::move(solve), done = std::move(done)] {
        Solved solved = solve();
        // Queued to this object: dropped if it is gone, and run on its (the UI) thread.
        QMetaObject::invokeMethod(
            this, [this, solved = std::move(solved), done] { finish(solved, done); },
            Qt::QueuedConnection);
    });
}

engine::ImproveOptions RouteSession::improve_options() {
    engine::ImproveOptions options;
    options.keep_going = [this, started = std::chrono::steady_clock::now()](std::int64_t done,
                                                                            std::int64_t total) {
        if (std::chrono::steady_clock::now() - started > kQuietImprovement && total > 0) {
            percent_ = static_cast<int>(done * 100 / total);
        }
        return !stop_.load();
    };
    return options;
}

RouteSession::Solved RouteSession::solve(const QString& path,
                                         const QList<std::optional<NodeEntry>>& nodes,
                                         const engine::RouteEnds& ends) {
    Solved solved;
    engine::ModShortestPath engine;
    if (const Status read = engine.read_nodefile(path.toStdString()); !read) {
        solved.messages = {QString::fromStdString(read.error()), QStringLiteral("Erorr Load File")};
        return solved;
    }
    if (ends.chosen()) {
        return solve_day(engine.problem(), ends);
    }
    engine.solve_tour();
    if (improve_ && !stop_) {
        solved.unimproved_km = great_circle_length(nodes, engine);
        engine.improve_tour(improve_options());
    }
    engine.make_tourlist();
    if (engine.tour_list_count() == 0) {
        solved.messages = {QStringLiteral("Erorr calc")};
        return solved;
    }
    solved.route = QString::fromStdString(engine.route_text("/"));
    return solved;
}

RouteSession::Solved RouteSession::solve_day(const engine::Problem& problem,
                                             const engine::RouteEnds& ends) {
    Solved solved;
    engine::SolveOptions options;
    options.improve = improve_ && !stop_;
    options.improvement = improve_options();
    options.ends = ends;
    const Result<engine::Solution> solution = engine::solve(problem, options);
    if (!solution || solution.value().tour.empty()) {
        solved.messages = {solution ? QStringLiteral("Erorr calc")
                                    : QString::fromStdString(solution.error())};
        return solved;
    }
    solved.tour = solution.value().tour;
    solved.open = solution.value().open;
    QStringList numbers;
    for (const std::int32_t node : solved.tour) {
        numbers.append(QString::number(node));
    }
    if (!solved.open) {
        numbers.append(numbers.first()); // back to the start
    }
    solved.route = numbers.join(QLatin1Char('/'));
    return solved;
}

RouteSession::Solved RouteSession::solve_roads(const RoadCosts& costs, RouteBy by,
                                               const QList<StopPlace>& stops,
                                               const engine::RouteEnds& ends) {
    Solved solved;
    const auto n = static_cast<std::int32_t>(costs.size);
    // Each pair's leg: the router's road, or the straight line where it has none.
    std::vector<LegCost> legs(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    engine::Problem problem;
    problem.weight = engine::EdgeWeight::Explicit;
    problem.nodes.resize(1);
    problem.located = false;
    problem.matrix = engine::CostMatrix(n);
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            LegCost& leg = legs[costs.cell(i, j)];
            leg = {costs.metres[costs.cell(i, j)], costs.seconds[costs.cell(i, j)], true};
            if (i != j && (std::isnan(leg.metres) || std::isnan(leg.seconds))) {
                const StopPlace& a = stops.at(i);
                const StopPlace& b = stops.at(j);
                leg.metres = 1000.0 * engine::great_circle_km(a.latitude, a.longitude, b.latitude,
                                                              b.longitude);
                leg.seconds = leg.metres / (kStraightKmPerHour / 3.6);
                leg.by_road = false;
            }
            problem.matrix.at(i, j) =
                static_cast<float>(i == j ? 0.0 : (by == RouteBy::Time ? leg.seconds : leg.metres));
        }
    }
    problem.asymmetric = !problem.matrix.symmetric();
    solved = solve_day(problem, ends);
    const std::vector<std::int32_t>& tour = solved.tour;
    const std::size_t leg_count = solved.open ? tour.size() - 1 : tour.size();
    for (std::size_t p = 0; p < leg_count && !tour.empty(); ++p) {
        const std::int32_t next = tour[(p + 1) % tour.size()];
        solved.measure.legs.append(legs[costs.cell(tour[p] - 1, next - 1)]);
    }
    solved.measure.router = costs.router;
    solved.measure.straight_because = straight_reason(solved.measure, costs);
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
    lists_.set_measure(solved.measure);
    lists_.set_route_open(solved.open);
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
