#pragma once

#include <QList>
#include <QString>

namespace rundel::session {

/// One leg of a route as it was measured.
struct LegCost {
    double metres = 0;
    double seconds = 0;
    bool by_road = false; ///< false: a straight line, its time at kStraightKmPerHour
};

/// How a route was measured: by a road router, or in straight lines, and why.
struct RouteMeasure {
    /// The route's legs in order of travel; empty when the route is measured in great-circle
    /// distances alone (no router).
    QList<LegCost> legs;
    QString router; ///< the router's name when it measured any leg
    /// Why (some) legs are straight lines, for the panel; empty when every leg is a road.
    QString straight_because;

    [[nodiscard]] bool by_road() const { return !router.isEmpty(); }
    [[nodiscard]] double metres() const;
    [[nodiscard]] double seconds() const;
};

/// The speed a straight leg's time is reckoned at when the router has no road for it.
inline constexpr double kStraightKmPerHour = 30.0;

/// "h:mm" of @p seconds, rounded to the minute.
[[nodiscard]] QString hours_minutes(double seconds);

} // namespace rundel::session
