#include "export/visitlist.h"

#include "engine/geodesy.h"
#include "session/csvtext.h"
#include "session/listentries.h"
#include "session/sessionlists.h"

#include <QStringList>
#include <algorithm>

namespace rundel::exporting {
namespace {

QString degrees(double value) {
    return QString::number(value, 'f', 6);
}

QString km(double value) {
    return QString::number(value, 'f', 3);
}

QString minutes(double seconds) {
    return QString::number(seconds / 60.0, 'f', 1);
}

QString xml_escaped(const QString& text) {
    return text.toHtmlEscaped();
}

/// "1 東京都千代田区丸の内1-9-1", or the visit number alone.
QString stop_name(int visit, const VisitStop& stop) {
    return stop.address.isEmpty() ? QString::number(visit)
                                  : QString::number(visit) + QLatin1Char(' ') + stop.address;
}

QString point(const char* element, const VisitStop& stop, const QString& name,
              const QString& indent, const QString& desc = {}) {
    QString text = indent + QLatin1Char('<') + QLatin1String(element) + QStringLiteral(" lat=\"") +
                   degrees(stop.latitude) + QStringLiteral("\" lon=\"") + degrees(stop.longitude) +
                   QLatin1Char('"');
    if (name.isEmpty()) {
        return text + QStringLiteral("/>\n");
    }
    text += QStringLiteral("><name>") + xml_escaped(name) + QStringLiteral("</name>");
    if (!desc.isEmpty()) {
        text += QStringLiteral("<desc>") + xml_escaped(desc) + QStringLiteral("</desc>");
    }
    return text + QStringLiteral("</") + QLatin1String(element) + QStringLiteral(">\n");
}

double leg_km(const VisitStop& from, const VisitStop& to) {
    return engine::great_circle_km(from.latitude, from.longitude, to.latitude, to.longitude);
}

bool read_leg(const session::RouteLeg& leg, VisitStop& stop) {
    stop.node = leg.from;
    stop.latitude = leg.ends.values[0].value_or(0);
    stop.longitude = leg.ends.values[1].value_or(0);
    return leg.from > 0 && leg.ends.values[0] && leg.ends.values[1];
}

} // namespace

qsizetype final_point(const QList<VisitStop>& stops, bool closed) {
    return closed ? stops.size() : stops.size() - 1;
}

QList<VisitStop> visit_stops(const session::SessionLists& lists) {
    QList<VisitStop> stops;
    const QList<session::RouteLeg>& legs = lists.route_legs();
    for (qsizetype i = 0; i < legs.size(); ++i) {
        VisitStop stop;
        if (!read_leg(legs.at(i), stop)) {
            return {};
        }
        stop.address = lists.source(stop.node);
        stop.stay = lists.stay(stop.node);
        if (i < lists.measure().legs.size()) {
            stop.next_km = lists.leg_km(i);
            stop.next_seconds = lists.leg_seconds(i);
        }
        stops.append(stop);
    }
    if (lists.route_open() && !legs.isEmpty()) {
        // An open route's last stop is where its last leg arrives.
        const session::RouteLeg& last = legs.last();
        if (!last.ends.values[2] || !last.ends.values[3] || last.to <= 0) {
            return {};
        }
        stops.append({last.to, lists.source(last.to), *last.ends.values[2], *last.ends.values[3],
                      -1, -1, lists.stay(last.to)});
    }
    return stops;
}

QList<session::StopTimes> visit_times(const QList<VisitStop>& stops, bool closed,
                                      const session::DayTimes& day, bool* estimated) {
    QList<double> legs;
    bool guessed = false;
    const qsizetype last = final_point(stops, closed);
    for (qsizetype i = 1; i <= last && !stops.isEmpty(); ++i) {
        const VisitStop& from = stops.at(i - 1);
        guessed = guessed || from.next_seconds < 0;
        legs.append(from.next_seconds >= 0
                        ? from.next_seconds
                        : leg_km(from, stops.at(i % stops.size())) / day.km_per_hour * 3600.0);
    }
    if (estimated != nullptr) {
        *estimated = guessed;
    }
    QList<int> stays;
    for (qsizetype i = 0; i <= last && !stops.isEmpty(); ++i) {
        stays.append(stops.at(i % stops.size()).stay);
    }
    return session::schedule(legs, day, stays);
}

QByteArray gpx_document(const QList<VisitStop>& stops, const QString& session_id,
                        const QDateTime& time, const QList<QList<session::StopPlace>>& roads,
                        bool closed, const session::DayTimes& day) {
    const qsizetype last = final_point(stops, closed);
    const QString title = QStringLiteral("Rundel_Engine ") + session_id;
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<gpx version=\"1.1\" creator=\"Rundel_Engine\" "
                                  "xmlns=\"http://www.topografix.com/GPX/1/1\" "
                                  "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                  "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
                                  "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n");
    text += QStringLiteral("  <metadata>\n    <name>") + xml_escaped(title) +
            QStringLiteral("</name>\n    <time>") +
            time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")) +
            QStringLiteral("</time>\n  </metadata>\n");
    bool estimated = false;
    const QList<session::StopTimes> times = visit_times(stops, closed, day, &estimated);
    for (qsizetype i = 0; i < stops.size(); ++i) {
        const QString desc =
            QStringLiteral("到着予定 ") + session::clock_text(times.at(i).arrival) +
            QStringLiteral(" 出発予定 ") + session::clock_text(times.at(i).departure) +
            (estimated ? QStringLiteral("（概算）") : QString());
        text += point("wpt", stops.at(i), stop_name(static_cast<int>(i) + 1, stops.at(i)),
                      QStringLiteral("  "), desc);
    }
    text +=
        QStringLiteral("  <rte>\n    <name>") + xml_escaped(title) + QStringLiteral("</name>\n");
    for (qsizetype i = 0; i <= last && !stops.isEmpty(); ++i) {
        const qsizetype at = i % stops.size();
        text += point("rtept", stops.at(at), stop_name(static_cast<int>(at) + 1, stops.at(at)),
                      QStringLiteral("    "));
    }
    text += QStringLiteral("  </rte>\n  <trk>\n    <name>") + xml_escaped(title) +
            QStringLiteral("</name>\n    <trkseg>\n");
    const bool by_road = roads.size() == last;
    for (qsizetype i = 0; i <= last && !stops.isEmpty(); ++i) {
        text += point("trkpt", stops.at(i % stops.size()), {}, QStringLiteral("      "));
        // Along the road to the next stop: its points between the two.
        const QList<session::StopPlace> road =
            by_road && i < last ? roads.at(i) : QList<session::StopPlace>{};
        for (qsizetype p = 1; p + 1 < road.size(); ++p) {
            text += point("trkpt", VisitStop{0, {}, road.at(p).latitude, road.at(p).longitude}, {},
                          QStringLiteral("      "));
        }
    }
    text += QStringLiteral("    </trkseg>\n  </trk>\n</gpx>\n");
    return text.toUtf8();
}

QByteArray visit_list_csv(const QList<VisitStop>& stops, bool closed,
                          const session::DayTimes& day) {
    bool estimated = false;
    const QList<session::StopTimes> times = visit_times(stops, closed, day, &estimated);
    const QString mark = estimated ? QStringLiteral("(概算)") : QString();
    QString text =
        QStringLiteral("順番,ノード番号,住所,緯度,経度,区間距離(km),累計距離(km),区間時間(分),"
                       "累計時間(分),到着予定") +
        mark + QStringLiteral(",出発予定") + mark + QStringLiteral("\r\n");
    const bool timed =
        !stops.isEmpty() &&
        std::all_of(stops.begin(), stops.end(), [](const auto& s) { return s.next_seconds >= 0; });
    double total = 0;
    double total_seconds = 0;
    const qsizetype last = final_point(stops, closed);
    for (qsizetype i = 0; i <= last && !stops.isEmpty(); ++i) {
        const VisitStop& stop = stops.at(i % stops.size());
        const VisitStop* from = i == 0 ? nullptr : &stops.at(i - 1);
        const double leg = from == nullptr      ? 0.0
                           : from->next_km >= 0 ? from->next_km
                                                : leg_km(*from, stop);
        const double seconds = from == nullptr ? 0.0 : std::max(0.0, from->next_seconds);
        total += leg;
        total_seconds += seconds;
        text += QString::number(i + 1) + QLatin1Char(',') + QString::number(stop.node) +
                QLatin1Char(',') + session::csv_quoted(stop.address) + QLatin1Char(',') +
                degrees(stop.latitude) + QLatin1Char(',') + degrees(stop.longitude) +
                QLatin1Char(',') + km(leg) + QLatin1Char(',') + km(total) + QLatin1Char(',') +
                (timed ? minutes(seconds) + QLatin1Char(',') + minutes(total_seconds)
                       : QStringLiteral(",")) +
                QLatin1Char(',') + session::clock_text(times.value(i).arrival) + QLatin1Char(',') +
                (i < stops.size() ? session::clock_text(times.value(i).departure) : QString()) +
                QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

} // namespace rundel::exporting
