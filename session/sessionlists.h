#pragma once

#include <QObject>
#include <QStringList>

namespace rundel::session {

/// The session's lists as the program shows them: the node list (one entry per marker, as
/// the page delivered it) and the leg list with its coordinates (routeCoordList), always
/// index-aligned. Every window's panel shows the same lists, so a change reaches them all.
class SessionLists : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    [[nodiscard]] const QStringList& nodes() const { return nodes_; }
    [[nodiscard]] const QStringList& legs() const { return legs_; }
    /// routeCoordList: entry i holds the start and end of leg i, comma-separated.
    [[nodiscard]] const QStringList& routeCoordList() const { return coords_; }

    /// The route's length in km: great-circle distances between the ends of every leg.
    [[nodiscard]] double route_km() const;
    /// The length of the constructed route before improvement, in km; negative when the
    /// route was not improved.
    [[nodiscard]] double unimproved_km() const { return unimproved_km_; }
    /// Set before the improved route's legs arrive; cleared with the legs.
    void set_unimproved_km(double km) { unimproved_km_ = km; }
    /// The great-circle length of leg @p index in km; negative when its coordinates are not
    /// known.
    [[nodiscard]] double leg_km(qsizetype index) const;

    void append_node(const QString& entry);
    void set_nodes(const QStringList& nodes);
    /// Replaces the legs; a missing coordinate entry is stored empty.
    void set_legs(const QStringList& labels, const QStringList& coords);
    void clear_legs();
    /// Empties everything, and the leg and address boxes of every window.
    void clear_all();
    /// Empties the address boxes and address lists of every window.
    void clear_address();
    /// Empties the address boxes of every window (クリア).
    void clear_address_text();

signals:
    void nodesChanged();
    void legsChanged();
    void legBoxesCleared();
    void addressCleared();
    void addressTextCleared();

private:
    QStringList nodes_;
    QStringList legs_;
    QStringList coords_;
    double unimproved_km_ = -1;
};

} // namespace rundel::session
