#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <limits>
#include <optional>

namespace rundel::session {

/// A node list entry, "number,latitude,longitude": the page delivers it so and the node list
/// shows it so. Entries are read here and nowhere else.
struct NodeEntry {
    QString number;
    QString latitude;
    QString longitude;
    /// The position in degrees, read once with the entry; NaN where a field is no number.
    double latitude_degrees = std::numeric_limits<double>::quiet_NaN();
    double longitude_degrees = std::numeric_limits<double>::quiet_NaN();

    /// The fields of @p text; none when it has fewer than three (more are ignored).
    [[nodiscard]] static std::optional<NodeEntry> parse(const QString& text);
    /// The entry as the list shows it.
    [[nodiscard]] QString text() const;
};

/// A routeCoordList entry: the ends of one leg, "start latitude,start longitude,end
/// latitude,end longitude" as the page delivers it, read once into numbers.
struct LegEnds {
    std::array<QString, 4> fields; ///< as written; missing fields are empty
    /// The fields as degrees; none where a field is missing or not a number.
    std::array<std::optional<double>, 4> values;

    [[nodiscard]] static LegEnds parse(const QString& text);
    /// The leg's great-circle length in km; none unless all four fields are numbers.
    [[nodiscard]] std::optional<double> km() const;
};

/// One leg of the drawn route, read once where the page lists it.
struct RouteLeg {
    QString label; ///< "a→b", as the leg list shows it
    int from = 0;  ///< the node numbers of its ends; 0 when the label does not name them
    int to = 0;
    LegEnds ends;

    [[nodiscard]] static RouteLeg parse(const QString& label, const QString& ends);
};

} // namespace rundel::session
