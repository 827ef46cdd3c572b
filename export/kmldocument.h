#pragma once

#include "session/listentries.h"
#include "session/roadtable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace rundel::exporting {

/// What a KML route document is made of.
struct KmlInput {
    QString session_id;
    QString zoom_level; ///< the page's zoom level, as text
    QString latitude;   ///< the viewpoint, as the page holds it
    QString longitude;
    int leg_count = 0;            ///< legs listed (lstNodeConnect)
    QList<session::LegEnds> ends; ///< each leg's ends, as the page wrote them
    /// Each leg's road, when a router measured the route: the line follows it (a leg with an
    /// empty road runs straight). Empty: the line runs straight from stop to stop.
    QList<QList<session::StopPlace>> roads;
    bool closed = true; ///< back to the first stop; false: the line ends at the last leg's end
};

/// The viewpoint range in metres for a zoom level given as text ("1" to "19"); 12500 for
/// any other text.
[[nodiscard]] QString viewpoint_range(const QString& zoom_level);

/// The KML 2.1 document: a folder in a folder with a viewpoint placemark and the closed tour
/// as a line, CR LF line ends, and one more CR LF at the end. Text values are XML-escaped
/// (ordinary values come out unchanged). Needs at least one leg.
[[nodiscard]] QByteArray kml_document(const KmlInput& input);

} // namespace rundel::exporting
