#include "editing/routeflow.h"

#include "editing/nodelisteditor.h"
#include "session/nodedatadownloader.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

namespace rundel::editing {

RouteFlow::RouteFlow(session::SessionLists& lists, session::NodeDataDownloader& downloader,
                     session::RouteSession& route, NodeListEditor& editor,
                     widgets::Dialogs& dialogs)
    : lists_(lists), downloader_(downloader), route_(route), editor_(editor), dialogs_(dialogs) {}

void RouteFlow::node_entry_arrived(const QString& entry) {
    lists_.append_node(entry);
}

void RouteFlow::node_data_ready(const QString& session_id) {
    session_id_ = session_id;
    const Status downloaded = downloader_.get_nodedata(session_id);
    if (downloaded) {
        route_.calc_route(session_id);
        return;
    }
    dialogs_.message(QStringLiteral("ノードデータをダウンロードできませんでした（") +
                     QString::fromStdString(downloaded.error()) + QStringLiteral("）"));
    route_.release_route_request();
}

void RouteFlow::move_node() {
    editor_.move_node();
}

void RouteFlow::delete_node() {
    editor_.delete_node();
}

void RouteFlow::show_message(const QString& text) {
    dialogs_.message(text);
}

} // namespace rundel::editing
