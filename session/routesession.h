#pragma once

#include "engine/result.h"
#include "engine/solve.h"
#include "engine/tourimprover.h"
#include "session/listentries.h"
#include "session/roadtable.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

namespace rundel::bridge {
class MapPage;
}
namespace rundel::widgets {
class Dialogs;
}

namespace rundel::session {

class EnginePanel;
class SessionLists;

/// Solving a session's nodes, publishing the route to the page, taking its legs back, and
/// clearing the session.
///
/// The solve runs on a thread of its own, with an engine of its own (the batch folder engine
/// keeps the program's): the program stays responsive however long the improvement takes, an
/// improvement of more than a second reports its progress, and stop() ends it with the best
/// tour found so far.
class RouteSession : public QObject {
    Q_OBJECT

public:
    RouteSession(bridge::MapPage& page, SessionLists& lists, EnginePanel& panel,
                 widgets::Dialogs& dialogs, QString node_folder);
    /// Stops a solve in progress and waits for its thread.
    ~RouteSession() override;

    /// Solves "<id>_nodedata.tsp" of the node-data folder and hands the route text (1/3/2/1)
    /// to the page to draw; then @p done with true, or false (after a message) when there is
    /// no route to draw. Refused (false at once) while a solve runs.
    /// @p straight_because: why the route is measured in straight lines, for the panel.
    void calc_route(const QString& session_id, const QString& straight_because,
                    std::function<void(bool drawn)> done);
    /// The same over the road table of the session's @p stops (the map server's answer, read
    /// on the worker thread), in node order: ordered by @p by, a pair the router gave no road
    /// for measured as a straight line (at kStraightKmPerHour) and marked. A table that cannot
    /// be read leaves the session's node file, in straight lines.
    void calc_road_route(const QString& session_id, const QByteArray& table, RouteBy by,
                         const QList<StopPlace>& stops, std::function<void(bool drawn)> done);
    /// True while a solve runs.
    [[nodiscard]] bool solving() const { return worker_.joinable(); }
    /// Ends the improvement in progress; the best tour found so far is drawn.
    void stop() { stop_ = true; }

    /// Takes the drawn route's legs, as the page listed them, into the leg list and
    /// routeCoordList.
    void set_result(const QStringList& labels, const QStringList& coordinates);
    /// Deletes the sessions' node files ("*_nodedata.tsp") from the node-data folder.
    void init_file();
    /// Clears the page's route and markers, every list and box, and the sessions' node files.
    void init_data();

    /// Whether calc_route improves the constructed tour before it is drawn.
    void set_improve(bool improve) { improve_ = improve; }

signals:
    /// The improvement has run for more than a second: @p percent of its perturbations are
    /// done. -1: no improvement is running (any more).
    void improving(int percent);

private:
    struct Solved;
    /// The path of session @p session_id's node file, shown in the engine panel.
    QString node_file(const QString& session_id);
    /// Runs @p solve on the worker thread, then finish() on this one.
    void start(std::function<Solved()> solve, std::function<void(bool)> done);
    /// On the worker thread: everything of the solve that needs no UI.
    [[nodiscard]] Solved solve(const QString& path, const QList<std::optional<NodeEntry>>& nodes,
                               const engine::RouteEnds& ends);
    [[nodiscard]] Solved solve_roads(const RoadCosts& costs, RouteBy by,
                                     const QList<StopPlace>& stops, const engine::RouteEnds& ends);
    /// A route with a chosen start or end (or over a matrix), by the engine's solve().
    [[nodiscard]] Solved solve_day(const engine::Problem& problem, const engine::RouteEnds& ends);
    /// The improvement's options: progress once slow, and the stop.
    [[nodiscard]] engine::ImproveOptions improve_options();
    /// Back on the UI thread.
    void finish(const Solved& solved, const std::function<void(bool)>& done);

    bridge::MapPage& page_;
    SessionLists& lists_;
    EnginePanel& panel_;
    widgets::Dialogs& dialogs_;
    QString node_folder_;
    bool improve_ = false;

    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<int> percent_{-1}; ///< set by the worker once the improvement is slow
    QTimer progress_timer_;
};

} // namespace rundel::session
