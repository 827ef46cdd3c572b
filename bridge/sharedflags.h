#pragma once

#include <QString>

namespace rundel::bridge {

/// What the page event dispatcher and the address lookup share while a lookup waits.
struct SharedFlags {
    QString geocode_flag;    ///< empty while waiting, "ok" found, "no" not found
    QString getnode_flag;    ///< "ok" once the node entry of a found address arrived
    QString notfound_list;   ///< one line per address not found, each ending in CR LF
    QString current_address; ///< the address being looked up
};

} // namespace rundel::bridge
