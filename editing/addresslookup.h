#pragma once

#include <QString>

namespace rundel::bridge {
class PageInterface;
struct SharedFlags;
} // namespace rundel::bridge

namespace rundel::editing {

/// 住所で移動 in single-address mode: the page moves the map to the address, or reports that
/// it found nothing.
class AddressLookup {
public:
    AddressLookup(bridge::PageInterface& page, bridge::SharedFlags& flags);

    [[nodiscard]] const QString& address_mode() const { return mode_; }
    void set_address_mode(const QString& mode) { mode_ = mode; }

    /// Looks @p address up; an empty address sends nothing.
    void lookup_single(const QString& address);

private:
    bridge::PageInterface& page_;
    bridge::SharedFlags& flags_;
    QString mode_ = QStringLiteral("single");
};

} // namespace rundel::editing
