#pragma once

#include "export/resultfolder.h"

#include <QString>

namespace rundel::bridge {
class PageInterface;
}
namespace rundel::session {
class SessionLists;
}
namespace rundel::widgets {
class Dialogs;
}

namespace rundel::exporting {

class MapCapture;

/// Saving the route: as KML, as a line of plain text, or as a picture of the map listed in
/// the session's chart file, all in the result folder and named after the session id.
class RouteExporter {
public:
    RouteExporter(bridge::PageInterface& page, session::SessionLists& lists,
                  widgets::Dialogs& dialogs, ResultFolder folder, MapCapture& capture);

    /// 巡回経路データ保存: the writer named by @p choice, the exact text of cmbSavetype.
    void save_route(const QString& choice);

    void savaKML_kml();
    void savaPlain_txt();
    void saveMap_bmp();

    /// The number of the session's next image: files of the result folder whose name
    /// contains "BMP_" + the session id.
    [[nodiscard]] int count_bmp(const QString& session_id) const;
    /// The number the session's next image is saved under: count_bmp(), or the next number
    /// above it that no picture of the folder and no line of the chart uses yet, so that a
    /// picture is never replaced after the user deleted an earlier one.
    [[nodiscard]] int next_bmp(const QString& session_id) const;

private:
    /// The session id, or empty (after a message) when it is no plain file name.
    QString session_id();
    bool capture_map(const QString& session_id, QString& error);

    bridge::PageInterface& page_;
    session::SessionLists& lists_;
    widgets::Dialogs& dialogs_;
    ResultFolder folder_;
    MapCapture& capture_;
};

} // namespace rundel::exporting
