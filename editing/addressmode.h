#pragma once

#include <QString>

namespace rundel::editing {

/// How addresses are looked up: one typed address moves the map (単発), or every address of a
/// list gets a node (CSV読み込み).
enum class AddressMode { Single, Multi };

/// The word the page's "getaddressflag" takes for @p mode.
[[nodiscard]] inline QString page_flag(AddressMode mode) {
    return mode == AddressMode::Multi ? QStringLiteral("multi") : QStringLiteral("single");
}

} // namespace rundel::editing
