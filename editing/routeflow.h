#pragma once

#include "bridge/pageeventhandler.h"

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

/// The program's answers to the page's events.
class RouteFlow final : public bridge::PageEventHandler {
public:
    RouteFlow(session::SessionLists& lists, session::NodeDataDownloader& downloader,
              session::RouteSession& route, NodeListEditor& editor, widgets::Dialogs& dialogs);

    void node_entry_arrived(const QString& entry) override;
    void node_data_ready(const QString& session_id) override;
    void move_node() override;
    void delete_node() override;
    void show_message(const QString& text) override;

    /// The session id of the last "nodedataok".
    [[nodiscard]] const QString& session_id() const { return session_id_; }

private:
    session::SessionLists& lists_;
    session::NodeDataDownloader& downloader_;
    session::RouteSession& route_;
    NodeListEditor& editor_;
    widgets::Dialogs& dialogs_;
    QString session_id_;
};

} // namespace rundel::editing
