#pragma once

#include <QObject>
#include <QStringList>

namespace rundel::bridge {
class MapPage;
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
class NodeListEditor : public QObject {
    Q_OBJECT

public:
    NodeListEditor(bridge::MapPage& page, session::SessionLists& lists,
                   session::RouteSession& route, widgets::Dialogs& dialogs);

    /// ノードを取得: asks the page for a node entry.
    void get_nodes();
    /// 巡回経路取得: asks the page for a route; the legs follow when the page has drawn it.
    /// Pressed again while a route is on its way (中止): an improvement in progress ends and
    /// its best tour is drawn; before the solve, the request ends.
    void request_route();
    /// True from a route request until its route is drawn or the request failed.
    [[nodiscard]] bool route_pending() const { return route_pending_; }
    /// The route request ended without a route (the page or the solve failed).
    void end_route_request();
    /// Tells the panels what the route on its way waits for (see routeStatus()).
    void report(const QString& status) { emit routeStatus(status); }
    /// 巡回経路データ消去: clears the session after a confirmation.
    void clear_session();
    /// マーカーを表示 (@p shown) / マーカーを隠す: tells the page.
    void show_markers(bool shown);

    /// The four fields (start latitude, start longitude, end latitude, end longitude) of leg
    /// @p index; empty when there is no such leg.
    [[nodiscard]] QStringList leg_fields(int index) const;

    /// 出発地にする: the day's route starts at node @p number (0: the first node, as always);
    /// it is no longer the end.
    void set_start(int number);
    /// 到着地にする: the day's route ends at node @p number (0: it returns to its start).
    void set_end(int number);
    /// 片道: the route ends at whichever stop is best, without returning (or returns again).
    void set_one_way(bool one_way);

    /// 滞在時間を変更: asks for the minutes spent at node @p number.
    void edit_stay(int number);

    /// A dragged marker: rewrites its entry.
    void move_node(const QString& number, const QString& latitude, const QString& longitude);
    /// A deleted marker: drops its entries and renumbers those above it.
    void delete_node(qlonglong deleted);

signals:
    /// A route request began or ended.
    void routePendingChanged(bool pending);
    /// What the route on its way is waiting for (fetching road costs, an improvement of more
    /// than a second and how far it is); empty when nothing is to be said.
    void routeStatus(const QString& status);

private:
    void take_route(const QStringList& labels, const QStringList& coordinates);

    bridge::MapPage& page_;
    session::SessionLists& lists_;
    session::RouteSession& route_;
    widgets::Dialogs& dialogs_;
    bool route_pending_ = false;
};

} // namespace rundel::editing
