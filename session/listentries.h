#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace rundel::session {

/// A node list entry, "number,latitude,longitude": the page delivers it so and the node list
/// shows it so. Entries are read here and nowhere else.
struct NodeEntry {
    QString number;
    QString latitude;
    QString longitude;

    /// The fields of @p text; none when it has fewer than three (more are ignored).
    [[nodiscard]] static std::optional<NodeEntry> parse(const QString& text);
    /// The entry as the list shows it.
    [[nodiscard]] QString text() const;
};

/// A routeCoordList entry: the ends of one leg, "start latitude,start longitude,end
/// latitude,end longitude" as the page delivers it.
struct LegEnds {
    std::array<QString, 4> fields; ///< missing fields are empty

    [[nodiscard]] static LegEnds parse(const QString& text);
    /// Field @p index as a number of degrees; none when missing or not a number.
    [[nodiscard]] std::optional<double> degrees(std::size_t index) const;
    /// The leg's great-circle length in km; none unless all four fields are numbers.
    [[nodiscard]] std::optional<double> km() const;
};

} // namespace rundel::session
