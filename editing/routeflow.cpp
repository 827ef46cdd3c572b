#include "editing/routeflow.h"

#include "bridge/mappage.h"
#include "editing/nodelisteditor.h"
#include "session/nodedatadownloader.h"
#include "session/routesession.h"
#include "widgets/dialogs.h"

namespace rundel::editing {

RouteFlow::RouteFlow(bridge::MapPage& page, session::NodeDataDownloader& downloader,
                     session::RouteSession& route, NodeListEditor& editor,
                     widgets::Dialogs& dialogs)
    : page_(page), downloader_(downloader), route_(route), editor_(editor), dialogs_(dialogs) {
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
        route_.calc_route(session_id, [this](bool drawn) {
            if (!drawn) {
                editor_.end_route_request();
            }
        });
    });
}

} // namespace rundel::editing
