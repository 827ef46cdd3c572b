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
    for (qsizetype i = 0; i <= stops.size(); ++i) { // back to the first: the closing leg too
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

void RouteExporter::save(session::SaveFormat format, const bridge::SavedView& view) {
    switch (format) {
    case session::SaveFormat::PlainText:
        savaPlain_txt(view);
        break;
    case session::SaveFormat::Kml:
        savaKML_kml(view);
        break;
    case session::SaveFormat::Picture:
        saveMap_bmp(view);
        break;
    case session::SaveFormat::Gpx:
        saveGpx_gpx(view);
        break;
    case session::SaveFormat::VisitList:
        saveVisitList_csv(view);
        break;
    }
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

void RouteExporter::savaKML_kml(const bridge::SavedView& view) {
    KmlInput input;
    input.session_id = session_id(view.session_id);
    if (input.session_id.isEmpty()) {
        return;
    }
    input.zoom_level = view.zoom_level;
    input.latitude = view.latitude;
    input.longitude = view.longitude;
    input.leg_count = static_cast<int>(lists_.legs().size());
    for (const session::RouteLeg& leg : lists_.route_legs()) {
        input.ends.append(leg.ends);
    }
    input.roads = leg_roads_;
    if (input.leg_count == 0) {
        dialogs_.message(kNoRoute);
        return;
    }
    tell(folder_.replace(QStringLiteral("KML_") + input.session_id + QStringLiteral(".kml"),
                         kml_document(input)),
         QStringLiteral("KMLファイルを保存できませんでした: "),
         QStringLiteral("KMLファイルで保存しました。"));
}

void RouteExporter::savaPlain_txt(const bridge::SavedView& view) {
    const QByteArray text = plain_text_route(lists_.legs(), lists_.routeCoordList());
    const QString id = session_id(view.session_id);
    if (id.isEmpty()) {
        return;
    }
    tell(folder_.replace(QStringLiteral("PLAIN_") + id + QStringLiteral(".txt"), text),
         QStringLiteral("プレインテキストを保存できませんでした: "),
         QStringLiteral("プレインテキストで保存しました。"));
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

void RouteExporter::saveGpx_gpx(const bridge::SavedView& view) {
    save_stops(view.session_id, QStringLiteral("GPX_"), QStringLiteral(".gpx"),
               QStringLiteral("GPXファイル"),
               [this](const QList<VisitStop>& stops, const QString& id) {
                   return gpx_document(stops, id, clock_(), leg_roads_);
               });
}

void RouteExporter::saveVisitList_csv(const bridge::SavedView& view) {
    save_stops(view.session_id, QStringLiteral("ROUTE_"), QStringLiteral(".csv"),
               QStringLiteral("訪問リスト"),
               [](const QList<VisitStop>& stops, const QString&) { return visit_list_csv(stops); });
}

void RouteExporter::save_stops(const QString& session, const QString& prefix, const QString& suffix,
                               const QString& what, const StopsDocument& document) {
    const QList<VisitStop> stops = visit_stops(lists_);
    if (stops.isEmpty()) {
        dialogs_.message(kNoRoute);
        return;
    }
    const QString id = session_id(session);
    if (id.isEmpty()) {
        return;
    }
    const QString name = prefix + id + suffix;
    tell(folder_.replace(name, document(stops, id)),
         what + QStringLiteral("を保存できませんでした: "),
         what + QStringLiteral("で保存しました: ") + folder_.file(name));
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
