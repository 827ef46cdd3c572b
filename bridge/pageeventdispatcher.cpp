#include "bridge/pageeventdispatcher.h"

#include "bridge/logging.h"
#include "bridge/pageeventhandler.h"
#include "bridge/pageinterface.h"
#include "bridge/sharedflags.h"

namespace rundel::bridge {

PageEventDispatcher::PageEventDispatcher(PageInterface& page, PageEventHandler& handler,
                                         SharedFlags& flags, QObject* parent)
    : QObject(parent), page_(page), handler_(handler), flags_(flags) {
    connect(&page, &PageInterface::titleChanged, this, &PageEventDispatcher::dispatch);
}

void PageEventDispatcher::dispatch(const QString& title) {
    if (title == QLatin1String("tsp")) {
        return; // our own reset coming back
    }
    qCDebug(lcBridge) << "page event" << title;
    if (title == QLatin1String("getnode")) {
        handler_.node_entry_arrived(page_.read(QStringLiteral("unitnode")));
        flags_.node_arrived = true;
    } else if (title == QLatin1String("nodedataok")) {
        handler_.node_data_ready(page_.read(QStringLiteral("sesid")));
    } else if (title == QLatin1String("nodedatano")) {
        handler_.show_message(QStringLiteral("ノードデータ取得失敗"));
    } else if (title == QLatin1String("tspconnectlistok")) {
        // The route request reads "tspconnectlist" itself.
    } else if (title == QLatin1String("pointdragend")) {
        handler_.move_node();
    } else if (title == QLatin1String("delmarker")) {
        handler_.delete_node();
    } else if (title == QLatin1String("geocodenotfound_single")) {
        handler_.show_message(
            QStringLiteral("この住所の座標を取得できませんでした。(geocoding failed)"));
    } else if (title == QLatin1String("geocodefound_multi")) {
        flags_.geocode = SharedFlags::Geocode::Found;
    } else if (title == QLatin1String("geocodenotfound_multi")) {
        flags_.geocode = SharedFlags::Geocode::NotFound;
        flags_.notfound_list +=
            flags_.current_address + QStringLiteral(" の座標を取得できませんでした\r\n");
    }
    page_.reset_title();
}

} // namespace rundel::bridge
