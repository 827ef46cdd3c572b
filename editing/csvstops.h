#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace rundel::editing {

/// One stop of an imported list: an address to look up, or a place whose coordinates are
/// given (decimal degrees), with the name or address written before them.
struct CsvStop {
    QString address;
    bool located = false;
    QString latitude;  ///< as written, when located
    QString longitude; ///< as written, when located
    int stay = -1;     ///< minutes spent there (a 滞在(分) or service column); -1: the day's

    /// The stop as one line of the address list: "address" or "name,latitude,longitude"
    /// (the name quoted when it holds a comma or a quote).
    [[nodiscard]] QString line() const;
};

/// The stops of a CSV file's lines, and the lines refused with the reason.
struct CsvStops {
    QList<CsvStop> stops;
    QStringList refused; ///< "<line> …reason", one per refused line
};

/// Reads the lines of an imported CSV file. A line whose last two fields are decimal degrees
/// (at least one with a decimal point, so that house numbers are not taken for coordinates)
/// is a located stop; any other line is an address, taken whole, as always. A header row
/// that names latitude and longitude columns (緯度/経度, lat/lon, latitude/longitude) is
/// skipped and names the columns of the rows below; with a 住所 (address, name) column that
/// column names the stop, and with a ノード番号 column (our own visit list) the stops are
/// placed in that order and a number seen before (the closing row) is skipped; a 滞在(分) (or
/// service) column gives each stop its own stay, in minutes (a header naming 住所 and that
/// column alone reads addresses with their stays). Coordinates out of range, or not numbers
/// where a header promised them, are refused.
[[nodiscard]] CsvStops parse_csv_stops(const QStringList& lines);

/// One line of the address list read back: located when its last two fields are
/// decimal degrees in range.
[[nodiscard]] CsvStop classify_stop_line(const QString& line);

} // namespace rundel::editing
