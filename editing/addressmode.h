#pragma once

namespace rundel::editing {

/// How addresses are looked up: one typed address moves the map (単発), or every address of a
/// list gets a node (CSV読み込み).
enum class AddressMode { Single, Multi };

} // namespace rundel::editing
