#pragma once

#include "session/roadtable.h"

#include <QObject>
#include <QString>

namespace rundel::bridge {
class MapPage;
}
namespace rundel::widgets {
class Dialogs;
}
namespace rundel::session {
class NodeDataDownloader;
class RouteSession;
class SessionLists;
} // namespace rundel::session

namespace rundel::editing {

class NodeListEditor;

/// The route request's way through the program once the page has sent the markers: fetch the
/// session's node file, solve it and hand the route to the page to draw; and the page's
/// messages.
class RouteFlow final : public QObject {
    Q_OBJECT

public:
    RouteFlow(bridge::MapPage& page, session::SessionLists& lists,
              session::NodeDataDownloader& downloader, session::RouteSession& route,
              NodeListEditor& editor, widgets::Dialogs& dialogs);

    /// Routes by road costs from @p table (none: straight lines, as without a router),
    /// ordered by @p by.
    void set_roads(session::RoadTable* table, session::RouteBy by);

    /// The node file of @p session_id is on the server: download, solve and draw it.
    void node_data_ready(const QString& session_id);

    /// The session id of the last node file the page sent.
    [[nodiscard]] const QString& session_id() const { return session_id_; }

private:
    /// The node file is here: measure by road when a router is set, then solve.
    void solve(const QString& session_id);

    bridge::MapPage& page_;
    session::SessionLists& lists_;
    session::RoadTable* roads_ = nullptr;
    session::RouteBy route_by_;
    session::NodeDataDownloader& downloader_;
    session::RouteSession& route_;
    NodeListEditor& editor_;
    widgets::Dialogs& dialogs_;
    QString session_id_;
};

} // namespace rundel::editing
