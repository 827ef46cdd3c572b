#pragma once

#include "engine/solve.h"
#include "session/listentries.h"
#include "session/routemeasure.h"
#include "session/schedule.h"

#include <QObject>
#include <QStringList>
#include <optional>

namespace rundel::session {

/// The session's lists as the program shows them: the node list (one entry per marker, as
/// the page delivered it) and the leg list with its coordinates (routeCoordList), always
/// index-aligned. Every window's panel shows the same lists, so a change reaches them all.
class SessionLists : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    [[nodiscard]] const QStringList& nodes() const { return nodes_; }
    /// The node entries read once as they arrived, aligned with nodes(); none for an entry
    /// that is not "number,latitude,longitude".
    [[nodiscard]] const QList<std::optional<NodeEntry>>& node_entries() const { return entries_; }
    [[nodiscard]] const QStringList& legs() const { return legs_; }
    /// routeCoordList: entry i holds the start and end of leg i, comma-separated.
    [[nodiscard]] const QStringList& routeCoordList() const { return coords_; }
    /// The legs, read once from those texts as they arrived.
    [[nodiscard]] const QList<RouteLeg>& route_legs() const { return route_legs_; }

    /// The route's length in km: its legs' own lengths (road or great-circle).
    [[nodiscard]] double route_km() const;
    /// The length of the constructed route before improvement, in km; negative when the
    /// route was not improved.
    [[nodiscard]] double unimproved_km() const { return unimproved_km_; }
    /// Set before the improved route's legs arrive; cleared with the legs.
    void set_unimproved_km(double km) { unimproved_km_ = km; }
    /// The length of leg @p index in km: the router's when it measured the route, else the
    /// great-circle distance between its ends; negative when neither is known.
    [[nodiscard]] double leg_km(qsizetype index) const;
    /// The drive time of leg @p index in seconds; negative unless the route was measured by a
    /// router.
    [[nodiscard]] double leg_seconds(qsizetype index) const;
    /// Where the day's route starts and ends (node numbers; 0: not chosen), and whether it
    /// ends without returning. Kept as the nodes are renumbered; cleared with the nodes.
    [[nodiscard]] const engine::RouteEnds& ends() const { return ends_; }
    void set_ends(const engine::RouteEnds& ends);
    /// Node @p number was deleted and those above it moved down: the ends follow.
    void node_deleted(qlonglong number);
    /// True when the drawn route ends at its last stop (no leg back to the first); set
    /// before its legs arrive, cleared with them.
    [[nodiscard]] bool route_open() const { return route_open_; }
    void set_route_open(bool open) { route_open_ = open; }
    /// What the day's times are reckoned from (the settings).
    [[nodiscard]] const DayTimes& day_times() const { return day_times_; }
    void set_day_times(const DayTimes& day) { day_times_ = day; }
    /// The seconds of each leg: the router's, or the leg's length at the day's average speed
    /// (then estimated: see times_estimated()).
    [[nodiscard]] QList<double> leg_times() const;
    /// True when the times are reckoned at the average speed rather than the router's.
    [[nodiscard]] bool times_estimated() const { return !measure_.by_road(); }
    /// How the route was measured; set before its legs arrive, cleared with them.
    [[nodiscard]] const RouteMeasure& measure() const { return measure_; }
    void set_measure(RouteMeasure measure) { measure_ = std::move(measure); }

    /// Appends a node entry; it remembers the source set by expect_source(), if any.
    void append_node(const QString& entry);
    /// Replaces the node entries (moved or renumbered); sources stay with their positions.
    void set_nodes(const QStringList& nodes);
    /// Drops the source of the node at 0-based @p index, before the entry itself goes.
    void remove_source(qsizetype index);

    /// Where node @p number (1-based) came from: the address it was found by, or the name
    /// given with its coordinates; empty for a marker placed on the map.
    [[nodiscard]] QString source(qsizetype number) const;
    /// The next node entry to arrive comes from @p source.
    void expect_source(const QString& source) { next_source_ = source; }
    /// The next node entry to arrive stays @p minutes at its stop (-1: the day's 滞在時間).
    void expect_stay(int minutes) { next_stay_ = minutes; }
    /// The minutes spent at node @p number (1-based): its own, or the day's 滞在時間.
    [[nodiscard]] int stay(qsizetype number) const;
    /// Node @p number stays @p minutes (-1: the day's again).
    void set_stay(qsizetype number, int minutes);
    /// An address found in single mode: the source of the node ノードを取得 places next.
    void offer_source(const QString& source) { offered_source_ = source; }
    /// ノードを取得: the node about to arrive takes the offered source.
    void arm_offered_source();
    /// Replaces the legs; a missing coordinate entry is stored empty.
    void set_legs(const QStringList& labels, const QStringList& coords);
    void clear_legs();
    /// Empties everything, and the leg and address boxes of every window.
    void clear_all();
    /// Empties the address boxes and address lists of every window.
    void clear_address();
    /// Empties the address boxes of every window (クリア).
    void clear_address_text();

signals:
    /// The start or the end of the day's route changed.
    void endsChanged();
    /// The node list was replaced or emptied.
    void nodesChanged();
    /// One node entry was appended (the list grew by one, nothing else changed).
    void nodeAppended(const QString& entry);
    void legsChanged();
    void legBoxesCleared();
    void addressCleared();
    void addressTextCleared();

private:
    QStringList nodes_;
    QList<std::optional<NodeEntry>> entries_; ///< aligned with nodes_
    QStringList legs_;
    QStringList coords_;
    QList<RouteLeg> route_legs_; ///< aligned with legs_ and coords_
    QStringList sources_;        ///< aligned with nodes_
    QList<int> stays_;           ///< aligned with nodes_; -1: the day's
    int next_stay_ = -1;
    QString next_source_;
    QString offered_source_;
    double unimproved_km_ = -1;
    RouteMeasure measure_;
    engine::RouteEnds ends_;
    DayTimes day_times_;
    bool route_open_ = false;
};

} // namespace rundel::session
