#include "editing/nodelisteditor.h"

#include "bridge/pageinterface.h"
#include "bridge/pagewait.h"
#include "editing/logging.h"
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
    QStringList fields = coords.at(index).split(QLatin1Char(','));
    while (fields.size() < 4) {
        fields.append(QString());
    }
    return fields.mid(0, 4);
}

void NodeListEditor::move_node() {
    const QString number = page_.read(QStringLiteral("dragnumber"));
    const QString latitude = page_.read(QStringLiteral("ido_byo_10"));
    const QString longitude = page_.read(QStringLiteral("keido_byo_10"));
    QStringList entries = lists_.nodes();
    for (QString& entry : entries) {
        if (entry.section(QLatin1Char(','), 0, 0) == number) {
            entry = number + QLatin1Char(',') + latitude + QLatin1Char(',') + longitude;
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
        const QStringList fields = entry.split(QLatin1Char(','));
        const qlonglong number = fields.at(0).toLongLong(&ok);
        if (!ok || fields.size() < 3) {
            // Renumbering around an entry we cannot read would corrupt the list.
            qCWarning(lcEditing) << "delmarker: node list entry not understood, list kept:"
                                 << entry;
            return;
        }
        if (number == deleted) {
            removed = removed < 0 ? kept.size() : removed; // its position in the list
            continue;
        }
        const QString shown = number < deleted ? fields.at(0) : QString::number(number - 1);
        kept.append(shown + QLatin1Char(',') + fields.at(1) + QLatin1Char(',') + fields.at(2));
    }
    lists_.remove_source(removed);
    lists_.set_nodes(kept);
}

} // namespace rundel::editing
