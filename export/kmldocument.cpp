#include "export/kmldocument.h"

#include "session/listentries.h"

#include <array>

namespace rundel::exporting {
namespace {

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

/// Field @p index of leg @p leg's ends; empty when the entry is shorter.
QString field(const QList<session::LegEnds>& ends, int leg, int index) {
    if (leg >= ends.size()) {
        return {};
    }
    return ends.at(leg).fields.at(static_cast<std::size_t>(index));
}

} // namespace

QString viewpoint_range(const QString& zoom_level) {
    static constexpr std::array<const char*, 19> kRanges = {
        "8243000", "6247000", "5039000", "3279000", "1538000", "899000", "447000",
        "213000",  "112000",  "52500",   "30000",   "12500",   "7200",   "2600",
        "1700",    "1000",    "550",     "270",     "120"};
    for (int level = 1; level <= 19; ++level) {
        if (zoom_level == QString::number(level)) {
            return QString::fromLatin1(kRanges[static_cast<std::size_t>(level - 1)]);
        }
    }
    return QStringLiteral("12500");
}

QByteArray kml_document(const KmlInput& input) {
    QString points;
    const auto add_start_of = [&](int leg) {
        points += escaped(field(input.ends, leg, 1)) + QLatin1Char(',') +
                  escaped(field(input.ends, leg, 0)) + QStringLiteral(",0 ");
    };
    const bool by_road = input.roads.size() == input.leg_count;
    for (int leg = 0; leg < input.leg_count; ++leg) {
        add_start_of(leg);
        // Along the road: its points between the leg's two stops.
        const QList<session::StopPlace> road =
            by_road ? input.roads.at(leg) : QList<session::StopPlace>{};
        for (qsizetype p = 1; p + 1 < road.size(); ++p) {
            points += QString::number(road.at(p).longitude, 'f', 6) + QLatin1Char(',') +
                      QString::number(road.at(p).latitude, 'f', 6) + QStringLiteral(",0 ");
        }
    }
    if (input.closed) {
        add_start_of(0); // closes the tour
    } else if (input.leg_count > 0) {
        points += escaped(field(input.ends, input.leg_count - 1, 3)) + QLatin1Char(',') +
                  escaped(field(input.ends, input.leg_count - 1, 2)) + QStringLiteral(",0 ");
    }

    const QString name = QStringLiteral("KML_") + input.session_id + QStringLiteral(".kml");
    const QString colour = QStringLiteral("ffff3333");
    const QStringList lines = {
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<kml xmlns=\"http://earth.google.com/kml/2.1\">"),
        QStringLiteral("<Folder>"),
        QStringLiteral("<Folder>"),
        QStringLiteral("<Placemark>"),
        QStringLiteral("<description>tspsolution</description>"),
        QStringLiteral("<name>") + escaped(name) + QStringLiteral("</name>"),
        QStringLiteral("<LookAt>"),
        QStringLiteral("<longitude>") + escaped(input.longitude) + QStringLiteral("</longitude>"),
        QStringLiteral("<latitude>") + escaped(input.latitude) + QStringLiteral("</latitude>"),
        QStringLiteral("<range>") + viewpoint_range(input.zoom_level) + QStringLiteral("</range>"),
        QStringLiteral("<tilt>1</tilt>"),
        QStringLiteral("<heading>1</heading>"),
        QStringLiteral("</LookAt>"),
        QStringLiteral("<visibility>1</visibility>"),
        QStringLiteral("<open>0</open>"),
        QStringLiteral("</Placemark>"),
        QStringLiteral("<Placemark>"),
        QStringLiteral("<Style>"),
        QStringLiteral("<LineStyle>"),
        QStringLiteral("<color>") + colour + QStringLiteral("</color>"),
        QStringLiteral("<width>5</width>"),
        QStringLiteral("</LineStyle>"),
        QStringLiteral("<PolyStyle>"),
        QStringLiteral("<color>") + colour + QStringLiteral("</color>"),
        QStringLiteral("<width>5</width>"),
        QStringLiteral("</PolyStyle>"),
        QStringLiteral("</Style>"),
        QStringLiteral("<LineString>"),
        QStringLiteral("<extrude>1</extrude>"),
        QStringLiteral("<tessellate>1</tessellate>"),
        QStringLiteral("<coordinates>"),
        points,
        QStringLiteral("</coordinates>"),
        QStringLiteral("</LineString>"),
        QStringLiteral("</Placemark>"),
        QStringLiteral("</Folder>"),
        QStringLiteral("</Folder>"),
        QStringLiteral("</kml>"),
    };
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n")).toUtf8();
}

} // namespace rundel::exporting
