#include "session/sessionlists.h"

#include "session/listentries.h"

#include <algorithm>

namespace rundel::session {

void SessionLists::append_node(const QString& entry) {
    nodes_.append(entry);
    entries_.append(NodeEntry::parse(entry));
    sources_.append(next_source_);
    stays_.append(next_stay_);
    next_stay_ = -1;
    next_source_.clear();
    emit nodeAppended(entry);
}

void SessionLists::set_nodes(const QStringList& nodes) {
    nodes_ = nodes;
    entries_.clear();
    for (const QString& entry : nodes_) {
        entries_.append(NodeEntry::parse(entry));
    }
    sources_.resize(nodes_.size()); // moved nodes keep their sources
    stays_.resize(nodes_.size(), -1);
    emit nodesChanged();
}

void SessionLists::remove_source(qsizetype index) {
    if (index >= 0 && index < stays_.size()) {
        stays_.removeAt(index);
    }
    if (index >= 0 && index < sources_.size()) {
        sources_.removeAt(index);
    }
}

int SessionLists::stay(qsizetype number) const {
    const int own = number >= 1 && number <= stays_.size() ? stays_.at(number - 1) : -1;
    return own >= 0 ? own : day_times_.stay_minutes;
}

void SessionLists::set_stay(qsizetype number, int minutes) {
    if (number >= 1 && number <= stays_.size()) {
        stays_[number - 1] = minutes;
        emit legsChanged(); // the times of the legs after it move
    }
}

QString SessionLists::source(qsizetype number) const {
    return number >= 1 && number <= sources_.size() ? sources_.at(number - 1) : QString();
}

void SessionLists::arm_offered_source() {
    next_source_ = offered_source_;
    offered_source_.clear();
}

void SessionLists::set_legs(const QStringList& labels, const QStringList& coords) {
    legs_ = labels;
    coords_.clear();
    route_legs_.clear();
    for (qsizetype i = 0; i < labels.size(); ++i) {
        coords_.append(coords.value(i));
        route_legs_.append(RouteLeg::parse(labels.at(i), coords_.last()));
    }
    emit legBoxesCleared();
    emit legsChanged();
}

double SessionLists::leg_km(qsizetype index) const {
    if (index < 0 || index >= coords_.size()) {
        return -1;
    }
    if (index < measure_.legs.size()) {
        return measure_.legs.at(index).metres / 1000.0;
    }
    return route_legs_.at(index).ends.km().value_or(-1);
}

double SessionLists::leg_seconds(qsizetype index) const {
    return index >= 0 && index < measure_.legs.size() && index < coords_.size()
               ? measure_.legs.at(index).seconds
               : -1;
}

double SessionLists::route_km() const {
    double km = 0;
    for (qsizetype i = 0; i < coords_.size(); ++i) {
        km += std::max(0.0, leg_km(i));
    }
    return km;
}

QList<double> SessionLists::leg_times() const {
    QList<double> times;
    for (qsizetype i = 0; i < route_legs_.size(); ++i) {
        const double seconds = leg_seconds(i);
        times.append(seconds >= 0 ? seconds
                                  : std::max(0.0, leg_km(i)) / day_times_.km_per_hour * 3600.0);
    }
    return times;
}

void SessionLists::clear_legs() {
    legs_.clear();
    coords_.clear();
    route_legs_.clear();
    unimproved_km_ = -1;
    measure_ = {};
    route_open_ = false;
    emit legBoxesCleared();
    emit legsChanged();
}

void SessionLists::clear_all() {
    nodes_.clear();
    entries_.clear();
    sources_.clear();
    stays_.clear();
    next_stay_ = -1;
    next_source_.clear();
    offered_source_.clear();
    emit nodesChanged();
    set_ends({});
    clear_legs();
    clear_address();
}

void SessionLists::set_ends(const engine::RouteEnds& ends) {
    if (!(ends == ends_)) {
        ends_ = ends;
        emit endsChanged();
    }
}

void SessionLists::node_deleted(qlonglong number) {
    const auto follow = [number](std::int32_t end) {
        return end == number ? 0 : end > number ? end - 1 : end;
    };
    set_ends({follow(ends_.start), follow(ends_.end), ends_.open});
}

void SessionLists::clear_address() {
    emit addressCleared();
}

void SessionLists::clear_address_text() {
    emit addressTextCleared();
}

} // namespace rundel::session
