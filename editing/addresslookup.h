#pragma once

#include "editing/addressmode.h"
#include "editing/csvstops.h"

#include <QString>
#include <QStringList>

namespace rundel::bridge {
class PageInterface;
struct SharedFlags;
} // namespace rundel::bridge
namespace rundel::widgets {
class Dialogs;
}
namespace rundel::session {
class SessionLists;
}

namespace rundel::editing {

/// 住所で移動: in single-address mode the page moves the map to the typed address; in
/// multi-address mode every address of the list is looked up in turn and each one found gets
/// a node, and the addresses not found are reported together at the end. A list line that
/// ends in a latitude and a longitude places its node there without a lookup. Each node
/// remembers the address (or name) it came from.
class AddressLookup {
public:
    AddressLookup(bridge::PageInterface& page, bridge::SharedFlags& flags,
                  session::SessionLists& lists, widgets::Dialogs& dialogs);

    [[nodiscard]] AddressMode address_mode() const { return mode_; }
    void set_address_mode(AddressMode mode) { mode_ = mode; }

    /// Looks up @p typed (single mode) or the entries of @p list (multi mode), as read from
    /// the window the command came from.
    void lookup(const QString& typed, const QStringList& list);

    /// True while a multi-address lookup waits for the page.
    [[nodiscard]] bool busy() const { return busy_; }
    /// Refuses (with a message) when a multi-address lookup is waiting: two lookups sharing
    /// the flags would mix their answers. True when the caller may go on.
    bool ensure_idle();

private:
    void lookup_list(const QStringList& list);
    /// Places a node at the coordinates @p stop gives for list line @p line; false when the
    /// program is ending.
    bool place_located(const QString& line, const CsvStop& stop);

    bridge::PageInterface& page_;
    bridge::SharedFlags& flags_;
    session::SessionLists& lists_;
    widgets::Dialogs& dialogs_;
    AddressMode mode_ = AddressMode::Single;
    bool busy_ = false;
};

} // namespace rundel::editing
