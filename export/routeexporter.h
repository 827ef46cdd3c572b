#pragma once

#include "export/resultfolder.h"
#include "export/visitlist.h"
#include "session/roadtable.h"
#include "session/saveformat.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace rundel::bridge {
class MapPage;
struct SavedView;
} // namespace rundel::bridge
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
///
/// The page's session and view are asked for first; the file is written when they arrive.
class RouteExporter : public QObject {
    Q_OBJECT

public:
    RouteExporter(bridge::MapPage& page, session::SessionLists& lists, widgets::Dialogs& dialogs,
                  ResultFolder folder, MapCapture& capture);

    /// 巡回経路データ保存: the writer of @p format; a message when none is chosen.
    void save_route(std::optional<session::SaveFormat> format);

    /// Where the roads of a route measured by a router come from (none: lines run straight).
    void set_roads(session::RoadTable* roads) { roads_ = roads; }

    /// The clock that dates the GPX metadata (tests fix it).
    void set_clock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

    /// The number of the session's next image: files of the result folder whose name
    /// contains "BMP_" + the session id.
    [[nodiscard]] int count_bmp(const QString& session_id) const;
    /// The number the session's next image is saved under: count_bmp(), or the next number
    /// above it that no picture of the folder and no line of the chart uses yet, so that a
    /// picture is never replaced after the user deleted an earlier one.
    [[nodiscard]] int next_bmp(const QString& session_id) const;

private:
    /// Fetches the route's roads first when the format draws a line and a router measured it.
    void save_along_roads(session::SaveFormat format, const bridge::SavedView& view);
    void save(session::SaveFormat format, const bridge::SavedView& view);
    struct FileFormat;
    /// The formats written as one file: a table, one row a format.
    [[nodiscard]] std::vector<FileFormat> file_formats() const;
    [[nodiscard]] std::optional<QByteArray> kml(const QString& id,
                                                const bridge::SavedView& view) const;
    void saveMap_bmp(const bridge::SavedView& view);
    /// @p id, or empty (after a message) when it is no plain file name.
    QString session_id(const QString& id);
    /// Saves @p picture and its chart line.
    Status store_map(const QString& session_id, const bridge::SavedView& view,
                     const QImage& picture);
    /// @p done when @p saved, else @p failed followed by the reason.
    void tell(const Status& saved, const QString& failed, const QString& done);

    bridge::MapPage& page_;
    session::SessionLists& lists_;
    widgets::Dialogs& dialogs_;
    ResultFolder folder_;
    MapCapture& capture_;
    session::RoadTable* roads_ = nullptr;
    /// The roads of the legs for the save in progress; empty: straight lines.
    QList<QList<session::StopPlace>> leg_roads_;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTimeUtc(); };
};

} // namespace rundel::exporting
