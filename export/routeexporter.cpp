#include "export/routeexporter.h"

#include "bridge/mappage.h"
#include "export/kmldocument.h"
#include "export/logging.h"
#include "export/mapcapture.h"
#include "export/plaintextroute.h"
#include "export/visitlist.h"
#include "session/plainfilename.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace rundel::exporting {

RouteExporter::RouteExporter(bridge::MapPage& page, session::SessionLists& lists,
                             widgets::Dialogs& dialogs, ResultFolder folder, MapCapture& capture)
    : page_(page), lists_(lists), dialogs_(dialogs), folder_(std::move(folder)), capture_(capture) {
}

void RouteExporter::save_route(std::optional<session::SaveFormat> format) {
    if (!format) {
        dialogs_.message(QStringLiteral("保存形式を選んでください"));
        return;
    }
    page_.read_saved_view(this, [this, format = *format](const bridge::SavedView& view) {
        save_along_roads(format, view);
    });
}

void RouteExporter::save_along_roads(session::SaveFormat format, const bridge::SavedView& view) {
    leg_roads_.clear();
    const bool line = format == session::SaveFormat::Kml || format == session::SaveFormat::Gpx;
    const QList<VisitStop> stops = visit_stops(lists_);
    if (!line || roads_ == nullptr || !lists_.measure().by_road() || stops.isEmpty()) {
        save(format, view);
        return;
    }
    QList<session::StopPlace> places;
    const qsizetype last = final_point(stops, !lists_.route_open());
    for (qsizetype i = 0; i <= last; ++i) { // a round trip's closing leg too
        places.append({stops.at(i % stops.size()).latitude, stops.at(i % stops.size()).longitude});
    }
    // The map server keeps the roads it drew the route with: this costs the router nothing.
    roads_->fetch_legs(places, this,
                       [this, format, view](const Result<QList<QList<session::StopPlace>>>& roads) {
                           if (roads) {
                               leg_roads_ = roads.value();
                           } else {
                               qCWarning(lcExport) << "roads for the saved route:"
                                                   << QString::fromStdString(roads.error());
                           }
                           save(format, view);
                       });
}

namespace {

const QString kNoRoute =
    QStringLiteral("保存する巡回経路がありません。先に巡回経路取得を実行してください。");

/// The session's picture number @p number.
QString picture_name(const QString& session_id, int number) {
    return QStringLiteral("BMP_") + session_id + QLatin1Char('_') + QString::number(number) +
           QStringLiteral(".bmp");
}

} // namespace

void RouteExporter::tell(const Status& saved, const QString& failed, const QString& done) {
    dialogs_.message(saved ? done : failed + QString::fromStdString(saved.error()));
}

QString RouteExporter::session_id(const QString& id) {
    if (!session::is_plain_file_name(id.toStdString())) {
        dialogs_.message(
            QStringLiteral("セッションIDがファイル名として使えないため、保存できません: \"") + id +
            QLatin1Char('"'));
        return {};
    }
    return id;
}

void RouteExporter::saveMap_bmp(const bridge::SavedView& view) {
    const QString id = session_id(view.session_id);
    if (id.isEmpty()) {
        return;
    }
    capture_.capture(this, [this, id, view](const QImage& picture) {
        tell(store_map(id, view, picture), QStringLiteral("画像を保存できませんでした: "),
             QStringLiteral("画像としてルートデータを保存しました"));
    });
}

/// One file format of the save-format box: the file's name around the session id, the word
/// for it in messages, whether the confirmation names the file, and its document (none when
/// there is no route to write). A new format is one more row.
struct RouteExporter::FileFormat {
    session::SaveFormat format;
    const char* prefix;
    const char* suffix;
    QString what;
    bool names_file;
    std::function<std::optional<QByteArray>(const QString& id, const bridge::SavedView& view)>
        document;
};

std::vector<RouteExporter::FileFormat> RouteExporter::file_formats() const {
    using session::SaveFormat;
    return {
        {SaveFormat::PlainText, "PLAIN_", ".txt", QStringLiteral("プレインテキスト"), false,
         [this](const QString&, const bridge::SavedView&) {
             return std::optional(plain_text_route(lists_.legs(), lists_.routeCoordList()));
         }},
        {SaveFormat::Kml, "KML_", ".kml", QStringLiteral("KMLファイル"), false,
         [this](const QString& id, const bridge::SavedView& view) { return kml(id, view); }},
        {SaveFormat::Gpx, "GPX_", ".gpx", QStringLiteral("GPXファイル"), true,
         [this](const QString& id, const bridge::SavedView&) -> std::optional<QByteArray> {
             const QList<VisitStop> stops = visit_stops(lists_);
             return stops.isEmpty()
                        ? std::nullopt
                        : std::optional(gpx_document(stops, id, clock_(), leg_roads_,
                                                     !lists_.route_open(), lists_.day_times()));
         }},
        {SaveFormat::VisitList, "ROUTE_", ".csv", QStringLiteral("訪問リスト"), true,
         [this](const QString&, const bridge::SavedView&) -> std::optional<QByteArray> {
             const QList<VisitStop> stops = visit_stops(lists_);
             return stops.isEmpty() ? std::nullopt
                                    : std::optional(visit_list_csv(stops, !lists_.route_open(),
                                                                   lists_.day_times()));
         }},
    };
}

std::optional<QByteArray> RouteExporter::kml(const QString& id,
                                             const bridge::SavedView& view) const {
    KmlInput input;
    input.session_id = id;
    input.zoom_level = view.zoom_level;
    input.latitude = view.latitude;
    input.longitude = view.longitude;
    input.leg_count = static_cast<int>(lists_.legs().size());
    for (const session::RouteLeg& leg : lists_.route_legs()) {
        input.ends.append(leg.ends);
    }
    input.roads = leg_roads_;
    input.closed = !lists_.route_open();
    return input.leg_count == 0 ? std::nullopt : std::optional(kml_document(input));
}

void RouteExporter::save(session::SaveFormat format, const bridge::SavedView& view) {
    if (format == session::SaveFormat::Picture) {
        saveMap_bmp(view);
        return;
    }
    const QString id = session_id(view.session_id);
    if (id.isEmpty()) {
        return;
    }
    for (const FileFormat& row : file_formats()) {
        if (row.format != format) {
            continue;
        }
        const std::optional<QByteArray> bytes = row.document(id, view);
        if (!bytes) {
            dialogs_.message(kNoRoute);
            return;
        }
        const QString name = QLatin1String(row.prefix) + id + QLatin1String(row.suffix);
        tell(folder_.replace(name, *bytes), row.what + QStringLiteral("を保存できませんでした: "),
             row.what + (row.names_file ? QStringLiteral("で保存しました: ") + folder_.file(name)
                                        : QStringLiteral("で保存しました。")));
        return;
    }
}

Status RouteExporter::store_map(const QString& session_id, const bridge::SavedView& view,
                                const QImage& picture) {
    const QString& latitude = view.centre_latitude;
    const QString& longitude = view.centre_longitude;
    if (picture.isNull()) {
        return Status::failure("地図を取り込めませんでした");
    }
    const QString name = picture_name(session_id, next_bmp(session_id));
    if (Status saved = folder_.save_bmp(name, picture); !saved) {
        return saved;
    }
    const QString line =
        latitude + QLatin1Char(',') + longitude + QLatin1Char(',') + name + QStringLiteral("\r\n");
    Status charted = folder_.append(QStringLiteral("chart_") + session_id + QStringLiteral(".txt"),
                                    line.toUtf8());
    if (!charted) {
        // A picture the chart does not place is of no use, and the user is told it failed.
        QFile::remove(folder_.file(name));
    }
    return charted;
}

int RouteExporter::count_bmp(const QString& session_id) const {
    const QString mark = QStringLiteral("BMP_") + session_id;
    int count = 0;
    for (const QString& name : QDir(folder_.path()).entryList(QDir::Files)) {
        if (name.contains(mark)) {
            ++count;
        }
    }
    return count;
}

int RouteExporter::next_bmp(const QString& session_id) const {
    QFile chart(folder_.file(QStringLiteral("chart_") + session_id + QStringLiteral(".txt")));
    const QByteArray charted = chart.open(QIODevice::ReadOnly) ? chart.readAll() : QByteArray();
    for (int number = count_bmp(session_id);; ++number) {
        const QString name = picture_name(session_id, number);
        if (!QFileInfo::exists(folder_.file(name)) &&
            !charted.contains(QByteArray(",") + name.toUtf8() + QByteArray("\r\n"))) {
            return number;
        }
    }
}

} // namespace rundel::exporting
