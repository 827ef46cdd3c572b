#pragma once

#include <QStringList>

namespace rundel::bridge {
class PageInterface;
}
namespace rundel::widgets {
class Dialogs;
}
namespace rundel::session {
class RouteSession;
class SessionLists;
} // namespace rundel::session

namespace rundel::editing {

/// The node and leg lists' commands and the answers to marker edits on the map.
class NodeListEditor {
public:
    NodeListEditor(bridge::PageInterface& page, session::SessionLists& lists,
                   session::RouteSession& route, widgets::Dialogs& dialogs);

    /// ノードを取得: asks the page for a node entry.
    void get_nodes();
    /// 巡回経路取得: asks the page for a route and waits until "tspconnectlist" holds an
    /// answer; on "ok" takes the legs over. True when the legs were taken.
    bool request_route();
    /// 巡回経路データ消去: clears the session after a confirmation.
    void clear_session();
    /// マーカーを表示 (@p shown) / マーカーを隠す: tells the page.
    void show_markers(bool shown);

    /// The four fields (start latitude, start longitude, end latitude, end longitude) of leg
    /// @p index; empty when there is no such leg.
    [[nodiscard]] QStringList leg_fields(int index) const;

    /// "pointdragend": rewrites the entry of the dragged marker.
    void move_node();
    /// "delmarker": drops the deleted marker's entries and renumbers those above it.
    void delete_node();

private:
    bridge::PageInterface& page_;
    session::SessionLists& lists_;
    session::RouteSession& route_;
    widgets::Dialogs& dialogs_;
};

} // namespace rundel::editing
