#pragma once

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
} // namespace rundel::session

namespace rundel::editing {

class NodeListEditor;

/// The route request's way through the program once the page has sent the markers: fetch the
/// session's node file, solve it and hand the route to the page to draw; and the page's
/// messages.
class RouteFlow final : public QObject {
    Q_OBJECT

public:
    RouteFlow(bridge::MapPage& page, session::NodeDataDownloader& downloader,
              session::RouteSession& route, NodeListEditor& editor, widgets::Dialogs& dialogs);

    /// The node file of @p session_id is on the server: download, solve and draw it.
    void node_data_ready(const QString& session_id);

    /// The session id of the last node file the page sent.
    [[nodiscard]] const QString& session_id() const { return session_id_; }

private:
    bridge::MapPage& page_;
    session::NodeDataDownloader& downloader_;
    session::RouteSession& route_;
    NodeListEditor& editor_;
    widgets::Dialogs& dialogs_;
    QString session_id_;
};

} // namespace rundel::editing
