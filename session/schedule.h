#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace rundel::session {

/// What a day's times are reckoned from: when the van leaves, how long each visit takes, and
/// the speed a leg's time is estimated at when no router gave it.
struct DayTimes {
    int start_minutes = 9 * 60; ///< 出発時刻, minutes after midnight
    int stay_minutes = 0;       ///< 滞在時間 at every stop
    double km_per_hour = 30;    ///< 平均速度

    /// "HH:MM" as 出発時刻 is written; none unless it is a time of day.
    [[nodiscard]] static std::optional<int> minutes_of(const QString& text);
};

/// When the route reaches and leaves one stop, in seconds after the day's midnight (past
/// 86,400 for the next day).
struct StopTimes {
    double arrival = 0;
    double departure = 0;
};

/// The times of each stop in visit order, leaving the first at the day's start: @p legs holds
/// each leg's seconds (the leg from stop i to stop i + 1; the last back to the first for a
/// round trip), and the result one entry per stop reached, the return included. @p stays
/// holds the minutes spent at each stop reached (-1 or missing: the day's 滞在時間).
[[nodiscard]] QList<StopTimes> schedule(const QList<double>& legs, const DayTimes& day,
                                        const QList<int>& stays = {});

/// "HH:MM" of @p seconds after midnight, and "(+1日)" (or more days) past it: a day that
/// runs past midnight says so.
[[nodiscard]] QString clock_text(double seconds);

} // namespace rundel::session
