#pragma once

#include "session/roadtable.h"
#include "session/schedule.h"

#include <QByteArray>
#include <QString>

namespace rundel::shell {

/// The settings file "ini_tsproblem.txt": lines of key ":" value, ending at CR LF, LF or CR.
/// "domain" names the map server's host (the last such line wins); "port", optional, its port;
/// "improve", optional, whether routes are improved after construction (1/on/yes/true);
/// "tiles", "geocoder" and "router", optional, the bundled map server's online sources (the
/// whole rest of the line, colons included, e.g. "gsi" or "osrm=http://127.0.0.1:5000");
/// "route_by", optional, what a road route is ordered by: "time" (the default) or
/// "distance"; "start_time" (出発時刻, "HH:MM", default 09:00), "stay" (滞在時間 at every stop,
/// minutes, default 0) and "speed" (平均速度 for times without a router, km/h, default 30),
/// optional, what the day's times are reckoned from (a value out of range keeps the default).
/// Values are trimmed of blanks.
class SettingsFile {
public:
    /// Parses the file's bytes (UTF-8).
    [[nodiscard]] static SettingsFile parse(const QByteArray& bytes);

    [[nodiscard]] const QString& domain() const { return domain_; }
    /// 0 when the file names no valid port.
    [[nodiscard]] int port() const { return port_; }
    [[nodiscard]] bool improve() const { return improve_; }
    [[nodiscard]] const QString& tiles() const { return tiles_; }
    [[nodiscard]] const QString& geocoder() const { return geocoder_; }
    [[nodiscard]] const QString& router() const { return router_; }
    [[nodiscard]] session::RouteBy route_by() const { return route_by_; }
    [[nodiscard]] const session::DayTimes& day_times() const { return day_; }
    /// The word "route_by" takes for @p by.
    [[nodiscard]] static QString route_by_word(session::RouteBy by);
    /// The host with ":port" when a port is set.
    [[nodiscard]] QString authority() const;

    /// @p bytes with the line of @p key set to @p value (added when missing); every other
    /// line, and the file's line ends, stay as they were.
    [[nodiscard]] static QByteArray with_value(const QByteArray& bytes, const QString& key,
                                               const QString& value);

private:
    QString domain_;
    int port_ = 0;
    bool improve_ = false;
    QString tiles_;
    QString geocoder_;
    QString router_;
    session::RouteBy route_by_ = session::RouteBy::Time;
    session::DayTimes day_;
};

} // namespace rundel::shell
