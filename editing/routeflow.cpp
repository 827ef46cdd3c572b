#include "editing/routeflow.h"

#include "bridge/mappage.h"
#include "editing/nodelisteditor.h"
#include "session/listentries.h"
#include "session/nodedatadownloader.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

namespace rundel::editing {

RouteFlow::RouteFlow(bridge::MapPage& page, session::SessionLists& lists,
                     session::NodeDataDownloader& downloader, session::RouteSession& route,
                     NodeListEditor& editor, widgets::Dialogs& dialogs)
    : page_(page), lists_(lists), route_by_(session::RouteBy::Time), downloader_(downloader),
      route_(route), editor_(editor), dialogs_(dialogs) {
    // 中止 while the road costs are on their way: they are not waited for any more.
    connect(&editor, &NodeListEditor::routePendingChanged, this, [this](bool pending) {
        if (!pending && roads_ != nullptr) {
            roads_->abort();
        }
    });
    connect(&page, &bridge::MapPage::nodeDataReady, this, &RouteFlow::node_data_ready);
    connect(&page, &bridge::MapPage::nodeDataFailed, this, [this] {
        dialogs_.message(QStringLiteral("ノードデータ取得失敗"));
        editor_.end_route_request();
    });
    connect(&page, &bridge::MapPage::addressAnswered, this, [this](bool found, bool list_mode) {
        if (!found && !list_mode) {
            dialogs_.message(
                QStringLiteral("この住所の座標を取得できませんでした。(geocoding failed)"));
        }
    });
}

void RouteFlow::node_data_ready(const QString& session_id) {
    session_id_ = session_id;
    if (!editor_.route_pending()) {
        return; // the request was stopped meanwhile
    }
    downloader_.get_nodedata(session_id, this, [this, session_id](const Status& downloaded) {
        if (!editor_.route_pending()) {
            return;
        }
        if (!downloaded) {
            dialogs_.message(QStringLiteral("ノードデータをダウンロードできませんでした（") +
                             QString::fromStdString(downloaded.error()) + QStringLiteral("）"));
            editor_.end_route_request();
            return;
        }
        solve(session_id);
    });
}

void RouteFlow::set_roads(session::RoadTable* table, session::RouteBy by) {
    roads_ = table;
    route_by_ = by;
}

void RouteFlow::solve(const QString& session_id) {
    const auto drawn = [this](bool route_drawn) {
        if (!route_drawn) {
            editor_.end_route_request();
        }
    };
    if (roads_ == nullptr) {
        route_.calc_route(session_id, QStringLiteral("ルーター未設定"), drawn);
        return;
    }
    QList<session::StopPlace> stops;
    for (const auto& node : lists_.node_entries()) {
        stops.append({node ? node->latitude_degrees : 0, node ? node->longitude_degrees : 0});
    }
    editor_.report(QStringLiteral("道路の距離と時間を取得中…"));
    roads_->fetch(stops, this, [this, session_id, stops, drawn](const Result<QByteArray>& table) {
        if (!editor_.route_pending()) {
            return;
        }
        editor_.report({});
        if (!table) {
            route_.calc_route(session_id,
                              QStringLiteral("ルーターが応答しません（") +
                                  QString::fromStdString(table.error()) + QStringLiteral("）"),
                              drawn);
            return;
        }
        route_.calc_road_route(session_id, table.value(), route_by_, stops, drawn);
    });
}

} // namespace rundel::editing
