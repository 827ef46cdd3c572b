#pragma once

#include "session/roadtable.h"
#include "session/schedule.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace rundel::session {
class SessionLists;
}

namespace rundel::exporting {

/// One stop of the route, in visit order.
struct VisitStop {
    int node = 0;    ///< its number in the node list
    QString address; ///< where it came from; empty for a marker placed on the map
    double latitude = 0;
    double longitude = 0;
    /// The leg on to the next stop as the route measured it (road, when a router did);
    /// negative when the route gave none (then the great-circle distance stands in).
    double next_km = -1;
    double next_seconds = -1; ///< its drive time; negative without a router
    int stay = -1;            ///< minutes spent there; -1: the day's 滞在時間
};

/// The route's stops in visit order, read from its legs ("a→b" with the coordinates of both
/// ends), the last stop of an open route included; empty when there is no route or a leg
/// cannot be read. @p closed documents (the default) return to the first stop; an open
/// route's end at its last.
[[nodiscard]] QList<VisitStop> visit_stops(const session::SessionLists& lists);

/// The index of the route's final point in @p stops: a round trip (@p closed) ends back at
/// stop 0, written again after the last stop; an open route ends at its last stop.
[[nodiscard]] qsizetype final_point(const QList<VisitStop>& stops, bool closed);

/// A GPX 1.1 document: a waypoint per stop (named by visit number and address), a route
/// through them back to the first, and the closed tour as a track: along each leg's road
/// when @p roads holds one per leg (an empty road runs straight), else stop to stop.
[[nodiscard]] QByteArray gpx_document(const QList<VisitStop>& stops, const QString& session_id,
                                      const QDateTime& time,
                                      const QList<QList<session::StopPlace>>& roads = {},
                                      bool closed = true, const session::DayTimes& day = {});

/// The visit list for spreadsheets: UTF-8 with a byte-order mark, CR LF, a header row and a
/// row per stop, the last back at the start, with the route's leg and running distances
/// (great-circle without a router) and, when a router measured them, its leg and running
/// drive times in minutes (empty otherwise), then 到着予定,出発予定 (HH:MM; "(概算)" in the
/// header when reckoned at the day's average speed).
[[nodiscard]] QByteArray visit_list_csv(const QList<VisitStop>& stops, bool closed = true,
                                        const session::DayTimes& day = {});

/// Each stop's arrival and departure in visit order (the way back to the first included when
/// @p closed), and whether they are estimated at the day's average speed.
[[nodiscard]] QList<session::StopTimes> visit_times(const QList<VisitStop>& stops, bool closed,
                                                    const session::DayTimes& day,
                                                    bool* estimated = nullptr);

} // namespace rundel::exporting
