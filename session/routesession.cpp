#include "session/routesession.h"

#include "bridge/mappage.h"
#include "engine/geodesy.h"
#include "engine/modshortestpath.h"
#include "engine/nodefilename.h"
#include "session/enginepanel.h"
#include "session/listentries.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPointF>

namespace rundel::session {

RouteSession::RouteSession(engine::ModShortestPath& engine, bridge::MapPage& page,
                           SessionLists& lists, EnginePanel& panel, widgets::Dialogs& dialogs,
                           QString node_folder)
    : engine_(engine), page_(page), lists_(lists), panel_(panel), dialogs_(dialogs),
      node_folder_(std::move(node_folder)) {}

bool RouteSession::calc_route(const QString& session_id) {
    const QString name = QString::fromStdString(engine::node_file_name(session_id.toStdString()));
    panel_.set_file(name);
    engine_.clear_tourlist();
    if (const Status read = engine_.read_nodefile(QDir(node_folder_).filePath(name).toStdString());
        !read) {
        dialogs_.message(QString::fromStdString(read.error()));
        dialogs_.message(QStringLiteral("Erorr Load File"));
        return false;
    }
    engine_.solve_tour();
    lists_.set_unimproved_km(-1);
    if (improve_) {
        const double before = great_circle_length();
        engine_.improve_tour();
        lists_.set_unimproved_km(before);
    }
    engine_.make_tourlist();
    panel_.set_result({});
    if (engine_.tour_list_count() == 0) {
        dialogs_.message(QStringLiteral("Erorr calc"));
        return false;
    }
    const QString route = QString::fromStdString(engine_.route_text("/"));
    panel_.set_result(route);
    page_.draw_route(route);
    return true;
}

double RouteSession::great_circle_length() const {
    // The node file numbers the nodes as the node list does: "number,latitude,longitude".
    QHash<std::int32_t, QPointF> where;
    for (const QString& entry : lists_.nodes()) {
        if (const auto node = NodeEntry::parse(entry)) {
            where.insert(node->number.toInt(),
                         QPointF(node->latitude.toDouble(), node->longitude.toDouble()));
        }
    }
    const auto& tour = engine_.tour();
    double km = 0;
    for (std::int32_t p = 1; p <= engine_.tour_count(); ++p) {
        const QPointF a = where.value(tour[static_cast<std::size_t>(p)]);
        const QPointF b =
            where.value(tour[static_cast<std::size_t>(p == engine_.tour_count() ? 1 : p + 1)]);
        km += engine::great_circle_km(a.x(), a.y(), b.x(), b.y());
    }
    return km;
}

void RouteSession::set_result(const QStringList& labels, const QStringList& coordinates) {
    lists_.set_legs(labels, coordinates);
}

void RouteSession::init_file() {
    // Only the sessions' own node files: the folder also holds the node files that other
    // software hands to the batch folder engine, and those are not ours to delete.
    const QDir folder(node_folder_);
    const QString pattern = QLatin1Char('*') + QLatin1String(engine::kNodeFileSuffix);
    const QStringList files =
        folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : files) {
        QFile::remove(folder.filePath(name));
    }
}

void RouteSession::init_data() {
    page_.clear();
    lists_.clear_all();
    init_file();
}

} // namespace rundel::session
