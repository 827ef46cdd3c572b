#include "session/listentries.h"

#include "engine/geodesy.h"

namespace rundel::session {

std::optional<NodeEntry> NodeEntry::parse(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() < 3) {
        return std::nullopt;
    }
    return NodeEntry{fields.at(0), fields.at(1), fields.at(2)};
}

QString NodeEntry::text() const {
    return number + QLatin1Char(',') + latitude + QLatin1Char(',') + longitude;
}

LegEnds LegEnds::parse(const QString& text) {
    const QStringList pieces = text.split(QLatin1Char(','));
    LegEnds ends;
    for (std::size_t i = 0; i < ends.fields.size(); ++i) {
        ends.fields.at(i) = pieces.value(static_cast<qsizetype>(i));
    }
    return ends;
}

std::optional<double> LegEnds::degrees(std::size_t index) const {
    bool ok = false;
    const double value = fields.at(index).trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> LegEnds::km() const {
    const auto a = degrees(0);
    const auto b = degrees(1);
    const auto c = degrees(2);
    const auto d = degrees(3);
    if (!a || !b || !c || !d) {
        return std::nullopt;
    }
    return engine::great_circle_km(*a, *b, *c, *d);
}

} // namespace rundel::session
