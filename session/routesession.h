#pragma once

#include <QString>

namespace rundel::engine {
class ModShortestPath;
}
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
class RouteSession {
public:
    RouteSession(engine::ModShortestPath& engine, bridge::MapPage& page, SessionLists& lists,
                 EnginePanel& panel, widgets::Dialogs& dialogs, QString node_folder);

    /// Reads "<id>_nodedata.tsp" from the node-data folder, builds the tour and hands the
    /// route text (1/3/2/1) to the page to draw. False (after a message) when there is no
    /// route to draw.
    bool calc_route(const QString& session_id);
    /// Takes the drawn route's legs, as the page listed them, into the leg list and
    /// routeCoordList.
    void set_result(const QStringList& labels, const QStringList& coordinates);
    /// Deletes the sessions' node files ("*_nodedata.tsp") from the node-data folder.
    void init_file();
    /// Clears the page's route and markers, every list and box, and the sessions' node files.
    void init_data();

    /// Whether calc_route improves the constructed tour before it is drawn.
    void set_improve(bool improve) { improve_ = improve; }

private:
    /// The engine's tour measured on the globe, from the node list's coordinates.
    [[nodiscard]] double great_circle_length() const;

    engine::ModShortestPath& engine_;
    bridge::MapPage& page_;
    SessionLists& lists_;
    EnginePanel& panel_;
    widgets::Dialogs& dialogs_;
    QString node_folder_;
    bool improve_ = false;
};

} // namespace rundel::session
