#include "editing/csvstops.h"

#include "session/csvtext.h"

#include <QMap>
#include <QRegularExpression>

namespace rundel::editing {

using session::csv_fields;
using session::csv_quoted;

namespace {

/// Decimal degrees as people and spreadsheets write them.
bool is_number(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?\\d{1,3}(\\.\\d+)?$"));
    return number.match(text).hasMatch();
}

bool in_range(const QString& latitude, const QString& longitude) {
    return qAbs(latitude.toDouble()) <= 90.0 && qAbs(longitude.toDouble()) <= 180.0;
}

QString range_reason(const QString& line) {
    return line +
           QStringLiteral(" の座標が範囲外です（緯度は -90〜90、経度は -180〜180 の10進数の度）");
}

/// The columns a header row names; -1 where it names none.
struct Columns {
    int latitude = -1;
    int longitude = -1;
    int address = -1;
    int number = -1;
    int stay = -1;
};

int column_of(const QStringList& fields, const QStringList& names) {
    for (int i = 0; i < fields.size(); ++i) {
        if (names.contains(fields.at(i).trimmed().toLower())) {
            return i;
        }
    }
    return -1;
}

Columns header_columns(const QStringList& fields) {
    Columns columns;
    columns.latitude = column_of(
        fields, {QStringLiteral("緯度"), QStringLiteral("lat"), QStringLiteral("latitude")});
    columns.longitude =
        column_of(fields, {QStringLiteral("経度"), QStringLiteral("lon"), QStringLiteral("lng"),
                           QStringLiteral("long"), QStringLiteral("longitude")});
    columns.address = column_of(fields, {QStringLiteral("住所"), QStringLiteral("名称"),
                                         QStringLiteral("address"), QStringLiteral("name")});
    columns.number = column_of(fields, {QStringLiteral("ノード番号")});
    columns.stay = column_of(fields, {QStringLiteral("滞在(分)"), QStringLiteral("service")});
    return columns;
}

QString field(const QStringList& fields, int column) {
    return column >= 0 && column < fields.size() ? fields.at(column).trimmed() : QString();
}

/// A row below a header: the header's columns decide.
bool read_row(const QString& line, const QStringList& fields, const Columns& columns, CsvStops& out,
              CsvStop& stop) {
    stop.address = field(fields, columns.address);
    stop.latitude = field(fields, columns.latitude);
    stop.longitude = field(fields, columns.longitude);
    bool stay_ok = false;
    const int stay = field(fields, columns.stay).toInt(&stay_ok);
    stop.stay = stay_ok && stay >= 0 && stay <= 24 * 60 ? stay : -1;
    if (stop.latitude.isEmpty() && stop.longitude.isEmpty() && !stop.address.isEmpty()) {
        return true; // an address without coordinates: looked up
    }
    if (!is_number(stop.latitude) || !is_number(stop.longitude) ||
        !in_range(stop.latitude, stop.longitude)) {
        out.refused.append(range_reason(line));
        return false;
    }
    stop.located = true;
    return true;
}

void read_table(const QStringList& lines, const Columns& columns, CsvStops& out) {
    QMap<long long, CsvStop> numbered;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = csv_fields(lines.at(i));
        CsvStop stop;
        if (!read_row(lines.at(i), fields, columns, out, stop)) {
            continue;
        }
        bool ok = false;
        const long long number = field(fields, columns.number).toLongLong(&ok);
        if (columns.number < 0 || !ok) {
            out.stops.append(stop);
        } else if (!numbered.contains(number)) {
            numbered.insert(number, stop); // a number seen before closes the round trip
        }
    }
    out.stops.append(numbered.values());
}

} // namespace

QString CsvStop::line() const {
    if (!located) {
        return address;
    }
    const QString where = latitude + QLatin1Char(',') + longitude;
    return address.isEmpty() ? where : csv_quoted(address) + QLatin1Char(',') + where;
}

CsvStop classify_stop_line(const QString& line) {
    CsvStop stop;
    stop.address = line;
    const QStringList fields = csv_fields(line);
    if (fields.size() < 2) {
        return stop;
    }
    const QString latitude = fields.at(fields.size() - 2).trimmed();
    const QString longitude = fields.last().trimmed();
    const bool decimal =
        latitude.contains(QLatin1Char('.')) || longitude.contains(QLatin1Char('.'));
    if (!decimal || !is_number(latitude) || !is_number(longitude)) {
        return stop;
    }
    stop.located = true;
    stop.latitude = latitude;
    stop.longitude = longitude;
    QStringList name = fields.mid(0, fields.size() - 2);
    for (QString& part : name) {
        part = part.trimmed();
    }
    stop.address = name.join(QLatin1Char(','));
    return stop;
}

CsvStops parse_csv_stops(const QStringList& lines) {
    CsvStops out;
    if (lines.isEmpty()) {
        return out;
    }
    const Columns columns = header_columns(csv_fields(lines.first()));
    if ((columns.latitude >= 0 && columns.longitude >= 0) ||
        (columns.address >= 0 && columns.stay >= 0)) {
        read_table(lines, columns, out);
        return out;
    }
    for (const QString& line : lines) {
        const CsvStop stop = classify_stop_line(line);
        if (stop.located && !in_range(stop.latitude, stop.longitude)) {
            out.refused.append(range_reason(line));
        } else {
            out.stops.append(stop);
        }
    }
    return out;
}

} // namespace rundel::editing
