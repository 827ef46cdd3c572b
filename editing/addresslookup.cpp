#include "editing/addresslookup.h"

#include "bridge/pageinterface.h"
#include "bridge/sharedflags.h"

namespace rundel::editing {

AddressLookup::AddressLookup(bridge::PageInterface& page, bridge::SharedFlags& flags)
    : page_(page), flags_(flags) {}

void AddressLookup::lookup_single(const QString& address) {
    flags_.current_address = address;
    if (address.isEmpty()) {
        return;
    }
    flags_.notfound_list.clear();
    page_.write(QStringLiteral("getaddressflag"), QStringLiteral("single"));
    page_.write(QStringLiteral("realaddress"), address);
    page_.click(QStringLiteral("newgeocoding"));
}

} // namespace rundel::editing
