#pragma once

#include <QString>

namespace rundel::bridge {

/// What the page event dispatcher and the address lookup share while a lookup waits.
struct SharedFlags {
    /// The page's answer to the address being looked up.
    enum class Geocode { Waiting, Found, NotFound };
    Geocode geocode = Geocode::Waiting;
    bool node_arrived = false; ///< the node entry of a found address arrived
    QString notfound_list;     ///< one line per address not found, each ending in CR LF
    QString current_address;   ///< the address being looked up
};

} // namespace rundel::bridge
