#pragma once

#include "session/roadtable.h"

#include <QByteArray>
#include <QString>

namespace rundel::shell {

/// The settings file "ini_tsproblem.txt": lines of key ":" value, ending at CR LF, LF or CR.
/// "domain" names the map server's host (the last such line wins); "port", optional, its port;
/// "improve", optional, whether routes are improved after construction (1/on/yes/true);
/// "tiles", "geocoder" and "router", optional, the bundled map server's online sources (the
/// whole rest of the line, colons included, e.g. "gsi" or "osrm=http://127.0.0.1:5000");
/// "route_by", optional, what a road route is ordered by: "time" (the default) or
/// "distance".
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
};

} // namespace rundel::shell
