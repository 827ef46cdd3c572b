#include "bridge/mappage.h"

#include "bridge/logging.h"
#include "bridge/pageinterface.h"

#include <array>

namespace rundel::bridge {
namespace {

using contract::Event;

QString text(std::string_view word) {
    return QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size()));
}

/// The route's legs as the page lists them, "label/label/.../" and "ends/ends/.../": an empty
/// label (after the trailing "/") is skipped with its ends; missing ends are empty.
std::pair<QStringList, QStringList> paired_legs(const QString& labels, const QString& coords) {
    const QStringList label_pieces = labels.split(QLatin1Char('/'));
    const QStringList coord_pieces = coords.split(QLatin1Char('/'));
    std::pair<QStringList, QStringList> legs;
    for (qsizetype i = 0; i < label_pieces.size(); ++i) {
        if (!label_pieces.at(i).isEmpty()) {
            legs.first.append(label_pieces.at(i));
            legs.second.append(coord_pieces.value(i));
        }
    }
    return legs;
}

} // namespace

MapPage::MapPage(PageInterface& channel, QObject* parent) : QObject(parent), channel_(channel) {
    connect(&channel, &PageInterface::titleChanged, this, &MapPage::dispatch);
}

bool MapPage::is_loaded() const {
    return channel_.is_loaded();
}

void MapPage::look_up(const QString& address, LookupMode mode) {
    channel_.write(QStringLiteral("getaddressflag"),
                   mode == LookupMode::List ? QStringLiteral("multi") : QStringLiteral("single"));
    channel_.write(QStringLiteral("realaddress"), address);
    channel_.click(QStringLiteral("newgeocoding"));
}

void MapPage::add_marker_at_found_place() {
    channel_.click(QStringLiteral("getnodecoord"));
}

void MapPage::add_marker(const QString& latitude, const QString& longitude) {
    channel_.write(QStringLiteral("nodecoord"), latitude + QLatin1Char(',') + longitude);
    channel_.click(QStringLiteral("addnodecoord"));
}

void MapPage::request_node_data() {
    channel_.write(QStringLiteral("tspconnectlist"), QString());
    channel_.click(QStringLiteral("requestnodedata"));
}

void MapPage::draw_route(const QString& route) {
    channel_.write(QStringLiteral("tspnodedata"), route);
    channel_.click(QStringLiteral("drawtspnode"));
}

void MapPage::clear() {
    channel_.click(QStringLiteral("routeclear"));
}

void MapPage::set_markers_visible(bool visible) {
    channel_.click(visible ? QStringLiteral("showmarker") : QStringLiteral("hidemarker"));
}

void MapPage::set_marker_roles(int start, int end) {
    channel_.write(QStringLiteral("markerroles"),
                   QString::number(start) + QLatin1Char(',') + QString::number(end));
    channel_.click(QStringLiteral("setmarkerroles"));
}

void MapPage::print() {
    channel_.click(QStringLiteral("printpage"));
}

void MapPage::set_zoom(int level) {
    channel_.write(QStringLiteral("mapzoomlevel"), level);
    channel_.click(QStringLiteral("setzoomlevel"));
}

void MapPage::zoom_in() {
    channel_.click(QStringLiteral("zoominclick"));
}

void MapPage::zoom_out() {
    channel_.click(QStringLiteral("zoomoutclick"));
}

void MapPage::pan(PanDirection direction) {
    static const std::array<const char*, 9> kButtons = {
        "mappanleftup", "mappanup",       "mappanrightup", "mappanleft",     "mappancenter",
        "mappanright",  "mappanleftdown", "mappandown",    "mappanrightdown"};
    channel_.click(QString::fromLatin1(kButtons.at(static_cast<std::size_t>(direction))));
}

QString MapPage::word_of(MapType type) {
    static const std::array<const char*, 5> kWords = {"normal", "satellite", "normalsate", "chikei",
                                                      "earth"};
    return QString::fromLatin1(kWords.at(static_cast<std::size_t>(type)));
}

void MapPage::set_map_type(MapType type) {
    static const std::array<const char*, 5> kButtons = {"setmaptypenormal", "setmaptypesatellite",
                                                        "setmaptypenormalsate", "setmaptypechikei",
                                                        "setmaptypeearth"};
    channel_.click(QString::fromLatin1(kButtons.at(static_cast<std::size_t>(type))));
}

void MapPage::go_home() {
    channel_.click(QStringLiteral("sethomeposition"));
}

void MapPage::set_controls_visible(bool visible) {
    channel_.click(visible ? QStringLiteral("controlshow") : QStringLiteral("controlhide"));
}

void MapPage::read_view(QObject* context, std::function<void(const MapView&)> done) {
    QPointer<QObject> alive(context); // before the clicks: a page may answer them at once
    channel_.click(QStringLiteral("getzoomlevel"));
    channel_.click(QStringLiteral("getmaptype"));
    channel_.read({QStringLiteral("mapzoomlevel"), QStringLiteral("maptype")},
                  [alive, done = std::move(done)](const QStringList& values) {
                      if (!alive) {
                          return;
                      }
                      MapView view;
                      view.zoom_text = values.value(0);
                      bool ok = false;
                      const int zoom = view.zoom_text.toInt(&ok);
                      view.zoom = ok ? zoom : -1;
                      view.map_type = values.value(1);
                      done(view);
                  });
}

void MapPage::read_saved_view(QObject* context, std::function<void(const SavedView&)> done) {
    channel_.read(
        {QStringLiteral("sesid"), QStringLiteral("mapzoomlevel"), QStringLiteral("ido_byo_10"),
         QStringLiteral("keido_byo_10"), QStringLiteral("mapido"), QStringLiteral("mapkeido")},
        [alive = QPointer<QObject>(context), done = std::move(done)](const QStringList& v) {
            if (alive) {
                done({v.value(0), v.value(1), v.value(2), v.value(3), v.value(4), v.value(5)});
            }
        });
}

void MapPage::take(const QStringList& ids, std::function<void(const QStringList&)> handle) {
    channel_.read(ids, [alive = QPointer<MapPage>(this),
                        handle = std::move(handle)](const QStringList& values) {
        if (alive) {
            handle(values);
        }
    });
    channel_.reset_title();
}

void MapPage::on_route_answer(const QStringList& values) {
    if (values.value(0) != QLatin1String("ok")) {
        emit routeRefused();
        return;
    }
    const auto [labels, coords] = paired_legs(values.value(1), values.value(2));
    emit routeDrawn(labels, coords);
}

void MapPage::dispatch(const QString& title) {
    const std::optional<Event> event = contract::event_of(title.toStdString());
    if (!event) {
        if (title != text(contract::kIdleTitle)) {
            qCDebug(lcBridge) << "a title that is no event:" << title;
        }
        return; // our own reset coming back, or the page's name while it loads
    }
    qCDebug(lcBridge) << "page event" << title;
    switch (*event) {
    case Event::getnode:
        take({QStringLiteral("unitnode")},
             [this](const QStringList& v) { emit nodeArrived(v.value(0)); });
        return;
    case Event::nodedataok:
        take({QStringLiteral("sesid")},
             [this](const QStringList& v) { emit nodeDataReady(v.value(0)); });
        return;
    case Event::nodedatano:
        take({}, [this](const QStringList&) { emit nodeDataFailed(); });
        return;
    case Event::tspconnectlistok:
        take({QStringLiteral("tspconnectlist"), QStringLiteral("connectlistarray"),
              QStringLiteral("coordlistarray")},
             [this](const QStringList& v) { on_route_answer(v); });
        return;
    case Event::pointdragend:
        take(
            {QStringLiteral("dragnumber"), QStringLiteral("ido_byo_10"),
             QStringLiteral("keido_byo_10")},
            [this](const QStringList& v) { emit markerMoved(v.value(0), v.value(1), v.value(2)); });
        return;
    case Event::delmarker:
        take({QStringLiteral("delnumber")}, [this](const QStringList& v) {
            bool ok = false;
            const qlonglong number = v.value(0).toLongLong(&ok);
            if (ok) {
                emit markerDeleted(number);
            } else {
                qCWarning(lcBridge) << "delmarker: not a marker number:" << v.value(0);
            }
        });
        return;
    case Event::markerrole:
        take({QStringLiteral("rolenumber"), QStringLiteral("rolekind")},
             [this](const QStringList& v) {
                 bool ok = false;
                 const int number = v.value(0).toInt(&ok);
                 if (ok && number > 0) {
                     emit markerRoleChosen(number, v.value(1) == QLatin1String("start"));
                 }
             });
        return;
    case Event::geocodenotfound_single:
        take({}, [this](const QStringList&) { emit addressAnswered(false, false); });
        return;
    case Event::geocodefound_multi:
        take({}, [this](const QStringList&) { emit addressAnswered(true, true); });
        return;
    case Event::geocodenotfound_multi:
        take({}, [this](const QStringList&) { emit addressAnswered(false, true); });
        return;
    }
}

} // namespace rundel::bridge
