#pragma once

#include "rundel/pagecontract.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

namespace rundel::bridge {

class PageInterface;

/// The nine moves of the map control panel's direction pad (Centre: every marker in view).
enum class PanDirection { LeftUp, Up, RightUp, Left, Centre, Right, LeftDown, Down, RightDown };

/// The page's base maps; Earth is the globe view, which the page may not offer.
enum class MapType { Normal, Satellite, NormalSatellite, Terrain, Earth };

/// How the page answers an address lookup: in single mode it moves the map there; in list
/// mode it also reports whether it found the place, and a marker follows on request.
enum class LookupMode { Single, List };

/// The map's view as the page reports it.
struct MapView {
    int zoom = -1;     ///< the zoom level; -1 when the page gave no number
    QString zoom_text; ///< the level as the page wrote it
    QString map_type;  ///< "normal", "satellite", "normalsate", "chikei" or the page's word
};

/// What a saved route records of the page: its session and where the map looks.
struct SavedView {
    QString session_id;
    QString zoom_level;
    QString latitude; ///< the last dragged marker, or the centre
    QString longitude;
    QString centre_latitude; ///< the map's centre
    QString centre_longitude;
};

/// The map page, typed: one method per thing the program asks of it and one signal per event
/// it raises. It reads each event's values once, where the event arrives, puts the title back
/// so the page can raise the next one, and hands the values on. No other code spells an
/// element id or a title word.
class MapPage : public QObject {
    Q_OBJECT

public:
    explicit MapPage(PageInterface& channel, QObject* parent = nullptr);

    [[nodiscard]] bool is_loaded() const;

    void look_up(const QString& address, LookupMode mode);
    /// A marker where the last lookup found its place (or at the map's centre).
    void add_marker_at_found_place();
    void add_marker(const QString& latitude, const QString& longitude);
    /// Sends the markers to the map server as the session's node file.
    void request_node_data();
    /// Draws the route "1/3/2/1" over the markers.
    void draw_route(const QString& route);
    /// Removes the route and every marker.
    void clear();
    void set_markers_visible(bool visible);
    /// Marks the day's start and end markers (numbers; 0: none).
    void set_marker_roles(int start, int end);
    void print();

    void set_zoom(int level);
    void zoom_in();
    void zoom_out();
    void pan(PanDirection direction);
    void set_map_type(MapType type);
    void go_home();
    /// Hides or shows the page's own zoom control (the control panel stands in for it).
    void set_controls_visible(bool visible);

    /// The zoom level and map type, to @p done unless @p context has gone by then.
    void read_view(QObject* context, std::function<void(const MapView&)> done);
    /// What a saved route records, to @p done unless @p context has gone by then.
    void read_saved_view(QObject* context, std::function<void(const SavedView&)> done);

    /// The page's word for @p type.
    [[nodiscard]] static QString word_of(MapType type);

signals:
    /// A marker was placed; @p entry is "number,latitude,longitude".
    void nodeArrived(const QString& entry);
    /// The markers are on the server as session @p session_id's node file.
    void nodeDataReady(const QString& session_id);
    void nodeDataFailed();
    /// The route is drawn; its legs' labels and ends, aligned.
    void routeDrawn(const QStringList& labels, const QStringList& coordinates);
    /// The page could not draw the route it was given.
    void routeRefused();
    void markerMoved(const QString& number, const QString& latitude, const QString& longitude);
    void markerDeleted(qlonglong number);
    /// The user chose marker @p number as the day's start (@p start) or its end, on the map.
    void markerRoleChosen(int number, bool start);
    /// The answer to a lookup: found or not, in the mode it was asked in.
    void addressAnswered(bool found, bool list_mode);

private:
    void dispatch(const QString& title);
    /// Reads @p ids for the event, then frees the title for the next one.
    void take(const QStringList& ids, std::function<void(const QStringList&)> handle);
    void on_route_answer(const QStringList& values);

    PageInterface& channel_;
};

} // namespace rundel::bridge
