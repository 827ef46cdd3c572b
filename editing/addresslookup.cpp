#include "editing/addresslookup.h"

#include "bridge/pageinterface.h"
#include "bridge/pagewait.h"
#include "bridge/sharedflags.h"
#include "editing/csvstops.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

namespace rundel::editing {

using Geocode = bridge::SharedFlags::Geocode;

AddressLookup::AddressLookup(bridge::PageInterface& page, bridge::SharedFlags& flags,
                             session::SessionLists& lists, widgets::Dialogs& dialogs)
    : page_(page), flags_(flags), lists_(lists), dialogs_(dialogs) {}

bool AddressLookup::ensure_idle() {
    if (!busy_) {
        return true;
    }
    dialogs_.message(QStringLiteral("住所の検索中です。終わってからもう一度実行してください。"));
    return false;
}

void AddressLookup::lookup(const QString& typed, const QStringList& list) {
    if (!ensure_idle()) {
        return;
    }
    flags_.current_address.clear();
    if (mode_ == AddressMode::Single) {
        flags_.current_address = typed;
        if (typed.isEmpty()) {
            return;
        }
        flags_.notfound_list.clear();
        lists_.offer_source(typed);
        page_.write(QStringLiteral("getaddressflag"), page_flag(AddressMode::Single));
        page_.write(QStringLiteral("realaddress"), typed);
        page_.click(QStringLiteral("newgeocoding"));
        return;
    }
    busy_ = true;
    const qsizetype before = lists_.nodes().size();
    lookup_list(list);
    busy_ = false;
    if (lists_.nodes().size() != before) {
        page_.click(QStringLiteral("mappancenter")); // every marker in view
    }
    if (!flags_.notfound_list.isEmpty()) {
        dialogs_.message(flags_.notfound_list);
    }
}

void AddressLookup::lookup_list(const QStringList& list) {
    for (const QString& address : list) {
        if (address.isEmpty()) {
            continue;
        }
        if (const CsvStop stop = classify_stop_line(address); stop.located) {
            if (!place_located(address, stop)) {
                return;
            }
            continue;
        }
        flags_.geocode = Geocode::Waiting;
        flags_.node_arrived = false;
        page_.write(QStringLiteral("getaddressflag"), page_flag(AddressMode::Multi));
        flags_.current_address = address;
        page_.write(QStringLiteral("realaddress"), address);
        page_.click(QStringLiteral("newgeocoding"));
        if (!bridge::PageWait::until([this] { return flags_.geocode != Geocode::Waiting; })) {
            return; // the program is ending
        }
        if (flags_.geocode == Geocode::Found) {
            lists_.expect_source(address);
            page_.click(QStringLiteral("getnodecoord"));
            if (!bridge::PageWait::until([this] { return flags_.node_arrived; })) {
                return;
            }
        }
        flags_.geocode = Geocode::Waiting;
    }
}

bool AddressLookup::place_located(const QString& line, const CsvStop& stop) {
    flags_.node_arrived = false;
    flags_.current_address = line;
    lists_.expect_source(stop.address);
    page_.write(QStringLiteral("nodecoord"), stop.latitude + QLatin1Char(',') + stop.longitude);
    page_.click(QStringLiteral("addnodecoord"));
    return bridge::PageWait::until([this] { return flags_.node_arrived; });
}

} // namespace rundel::editing
