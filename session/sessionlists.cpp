#include "session/sessionlists.h"

namespace rundel::session {

void SessionLists::append_node(const QString& entry) {
    nodes_.append(entry);
    emit nodesChanged();
}

void SessionLists::set_nodes(const QStringList& nodes) {
    nodes_ = nodes;
    emit nodesChanged();
}

void SessionLists::set_legs(const QStringList& labels, const QStringList& coords) {
    legs_ = labels;
    coords_.clear();
    for (qsizetype i = 0; i < labels.size(); ++i) {
        coords_.append(i < coords.size() ? coords.at(i) : QString());
    }
    emit legBoxesCleared();
    emit legsChanged();
}

void SessionLists::clear_legs() {
    legs_.clear();
    coords_.clear();
    emit legBoxesCleared();
    emit legsChanged();
}

void SessionLists::clear_all() {
    nodes_.clear();
    emit nodesChanged();
    clear_legs();
    clear_address();
}

void SessionLists::clear_address() {
    emit addressCleared();
}

void SessionLists::clear_address_text() {
    emit addressTextCleared();
}

} // namespace rundel::session
