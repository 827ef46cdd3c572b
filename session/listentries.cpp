#include "session/listentries.h"

#include "engine/geodesy.h"

#include <algorithm>

namespace rundel::session {

std::optional<NodeEntry> NodeEntry::parse(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() < 3) {
        return std::nullopt;
    }
    NodeEntry entry{fields.at(0), fields.at(1), fields.at(2)};
    bool ok = false;
    if (const double value = entry.latitude.toDouble(&ok); ok) {
        entry.latitude_degrees = value;
    }
    if (const double value = entry.longitude.toDouble(&ok); ok) {
        entry.longitude_degrees = value;
    }
    return entry;
}

QString NodeEntry::text() const {
    return number + QLatin1Char(',') + latitude + QLatin1Char(',') + longitude;
}

LegEnds LegEnds::parse(const QString& text) {
    const QStringList pieces = text.split(QLatin1Char(','));
    LegEnds ends;
    for (std::size_t i = 0; i < ends.fields.size(); ++i) {
        ends.fields.at(i) = pieces.value(static_cast<qsizetype>(i));
        bool ok = false;
        const double value = ends.fields.at(i).trimmed().toDouble(&ok);
        ends.values.at(i) = ok ? std::optional<double>(value) : std::nullopt;
    }
    return ends;
}

std::optional<double> LegEnds::km() const {
    if (!std::all_of(values.begin(), values.end(), [](const auto& v) { return v.has_value(); })) {
        return std::nullopt;
    }
    return engine::great_circle_km(*values[0], *values[1], *values[2], *values[3]);
}

RouteLeg RouteLeg::parse(const QString& label, const QString& ends) {
    RouteLeg leg{label, 0, 0, LegEnds::parse(ends)};
    const QStringList numbers = label.split(QChar(0x2192)); // "→"
    bool from_ok = false;
    bool to_ok = false;
    if (numbers.size() == 2) {
        leg.from = numbers.at(0).trimmed().toInt(&from_ok);
        leg.to = numbers.at(1).trimmed().toInt(&to_ok);
    }
    if (!from_ok || !to_ok) {
        leg.from = leg.to = 0;
    }
    return leg;
}

} // namespace rundel::session
