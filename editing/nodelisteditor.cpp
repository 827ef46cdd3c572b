#include "editing/nodelisteditor.h"

#include "bridge/pageinterface.h"
#include "bridge/pagewait.h"
#include "editing/logging.h"
#include "session/listentries.h"
#include "session/routesession.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

namespace rundel::editing {

NodeListEditor::NodeListEditor(bridge::PageInterface& page, session::SessionLists& lists,
                               session::RouteSession& route, widgets::Dialogs& dialogs)
    : page_(page), lists_(lists), route_(route), dialogs_(dialogs) {}

void NodeListEditor::get_nodes() {
    lists_.arm_offered_source();
    page_.click(QStringLiteral("getnodecoord"));
}

bool NodeListEditor::request_route() {
    if (lists_.nodes().isEmpty()) {
        return false;
    }
    page_.write(QStringLiteral("tspconnectlist"), QString());
    page_.click(QStringLiteral("requestnodedata"));
    QString answer;
    bridge::PageWait::until([&] {
        answer = page_.read(QStringLiteral("tspconnectlist"));
        return !answer.isEmpty();
    });
    if (answer != QLatin1String("ok")) {
        return false;
    }
    route_.set_result();
    return true;
}

void NodeListEditor::clear_session() {
    if (dialogs_.confirm(QStringLiteral("消去してもいい？"), QStringLiteral("データ消去"))) {
        route_.init_data();
    }
}

void NodeListEditor::show_markers(bool shown) {
    page_.click(shown ? QStringLiteral("showmarker") : QStringLiteral("hidemarker"));
}

QStringList NodeListEditor::leg_fields(int index) const {
    const QStringList& coords = lists_.routeCoordList();
    if (index < 0 || index >= coords.size()) {
        qCInfo(lcEditing) << "leg selection without a leg:" << index;
        return {};
    }
    const session::LegEnds ends = session::LegEnds::parse(coords.at(index));
    return {ends.fields.begin(), ends.fields.end()};
}

void NodeListEditor::move_node() {
    const QString number = page_.read(QStringLiteral("dragnumber"));
    const QString latitude = page_.read(QStringLiteral("ido_byo_10"));
    const QString longitude = page_.read(QStringLiteral("keido_byo_10"));
    QStringList entries = lists_.nodes();
    for (QString& entry : entries) {
        const auto node = session::NodeEntry::parse(entry);
        if (node && node->number == number) { // compared as text, as the page wrote both
            entry = session::NodeEntry{number, latitude, longitude}.text();
            break;
        }
    }
    lists_.set_nodes(entries);
}

void NodeListEditor::delete_node() {
    bool ok = false;
    const QString text = page_.read(QStringLiteral("delnumber"));
    const qlonglong deleted = text.toLongLong(&ok);
    if (!ok) {
        qCWarning(lcEditing) << "delmarker: not a marker number:" << text;
        return;
    }
    QStringList kept;
    qsizetype removed = -1;
    for (const QString& entry : lists_.nodes()) {
        auto node = session::NodeEntry::parse(entry);
        const qlonglong number = node ? node->number.toLongLong(&ok) : 0;
        if (!node || !ok) {
            // Renumbering around an entry we cannot read would corrupt the list.
            qCWarning(lcEditing) << "delmarker: node list entry not understood, list kept:"
                                 << entry;
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
}

} // namespace rundel::editing
