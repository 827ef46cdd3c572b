#include "editing/nodelisteditor.h"

#include "bridge/mappage.h"
#include "editing/logging.h"
#include "session/listentries.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

namespace rundel::editing {

NodeListEditor::NodeListEditor(bridge::MapPage& page, session::SessionLists& lists,
                               session::RouteSession& route, widgets::Dialogs& dialogs)
    : page_(page), lists_(lists), route_(route), dialogs_(dialogs) {
    connect(&page, &bridge::MapPage::nodeArrived, this,
            [this](const QString& entry) { lists_.append_node(entry); });
    connect(&page, &bridge::MapPage::markerMoved, this, &NodeListEditor::move_node);
    connect(&page, &bridge::MapPage::markerDeleted, this, &NodeListEditor::delete_node);
    connect(&page, &bridge::MapPage::routeDrawn, this, &NodeListEditor::take_route);
    connect(&page, &bridge::MapPage::routeRefused, this, &NodeListEditor::end_route_request);
    connect(&page, &bridge::MapPage::markerRoleChosen, this,
            [this](int number, bool start) { start ? set_start(number) : set_end(number); });
    connect(&lists, &session::SessionLists::endsChanged, this,
            [this] { page_.set_marker_roles(lists_.ends().start, lists_.ends().end); });
    connect(&route, &session::RouteSession::improving, this, [this](int percent) {
        report(percent >= 0 ? QStringLiteral("改善中 %1%").arg(percent) : QString());
    });
}

void NodeListEditor::get_nodes() {
    lists_.arm_offered_source();
    page_.add_marker_at_found_place();
}

void NodeListEditor::request_route() {
    if (lists_.nodes().isEmpty()) {
        return;
    }
    if (route_pending_) {
        if (route_.solving()) {
            route_.stop();
        } else {
            end_route_request();
        }
        return;
    }
    route_pending_ = true;
    emit routePendingChanged(true);
    page_.request_node_data();
}

void NodeListEditor::end_route_request() {
    if (route_pending_) {
        route_pending_ = false;
        report({});
        emit routePendingChanged(false);
    }
}

void NodeListEditor::take_route(const QStringList& labels, const QStringList& coordinates) {
    route_.set_result(labels, coordinates);
    end_route_request();
}

void NodeListEditor::clear_session() {
    if (dialogs_.confirm(QStringLiteral("消去してもいい？"), QStringLiteral("データ消去"))) {
        route_.init_data();
    }
}

void NodeListEditor::show_markers(bool shown) {
    page_.set_markers_visible(shown);
}

QStringList NodeListEditor::leg_fields(int index) const {
    const QList<session::RouteLeg>& legs = lists_.route_legs();
    if (index < 0 || index >= legs.size()) {
        qCInfo(lcEditing) << "leg selection without a leg:" << index;
        return {};
    }
    const auto& fields = legs.at(index).ends.fields;
    return {fields.begin(), fields.end()};
}

void NodeListEditor::move_node(const QString& number, const QString& latitude,
                               const QString& longitude) {
    QStringList entries = lists_.nodes();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const auto& node = lists_.node_entries().at(i);
        if (node && node->number == number) { // compared as text, as the page wrote both
            entries[i] = session::NodeEntry{number, latitude, longitude}.text();
            break;
        }
    }
    lists_.set_nodes(entries);
}

void NodeListEditor::delete_node(qlonglong deleted) {
    bool ok = false;
    QStringList kept;
    qsizetype removed = -1;
    for (qsizetype i = 0; i < lists_.nodes().size(); ++i) {
        auto node = lists_.node_entries().at(i);
        const qlonglong number = node ? node->number.toLongLong(&ok) : 0;
        if (!node || !ok) {
            // Renumbering around an entry we cannot read would corrupt the list.
            qCWarning(lcEditing) << "delmarker: node list entry not understood, list kept:"
                                 << lists_.nodes().at(i);
            return;
        }
        if (number == deleted) {
            removed = removed < 0 ? kept.size() : removed; // its position in the list
            continue;
        }
        if (number > deleted) {
            node->number = QString::number(number - 1);
        }
        kept.append(node->text());
    }
    lists_.remove_source(removed);
    lists_.set_nodes(kept);
    lists_.node_deleted(deleted);
}

void NodeListEditor::set_start(int number) {
    engine::RouteEnds ends = lists_.ends();
    ends.start = number;
    ends.end = ends.end == number ? 0 : ends.end;
    lists_.set_ends(ends);
}

void NodeListEditor::set_end(int number) {
    engine::RouteEnds ends = lists_.ends();
    ends.end = number;
    ends.start = ends.start == number ? 0 : ends.start;
    ends.open = false; // the end is chosen, not the best last stop
    lists_.set_ends(ends);
}

void NodeListEditor::edit_stay(int number) {
    const std::optional<int> minutes =
        dialogs_.ask_number(QStringLiteral("地点 %1 の滞在時間（分）").arg(number),
                            QStringLiteral("滞在時間"), lists_.stay(number), 0, 24 * 60);
    if (minutes) {
        lists_.set_stay(number, *minutes);
    }
}

void NodeListEditor::set_one_way(bool one_way) {
    engine::RouteEnds ends = lists_.ends();
    ends.open = one_way;
    if (one_way) {
        ends.end = 0; // 片道: the route ends wherever is best
    }
    lists_.set_ends(ends);
}

} // namespace rundel::editing
