#pragma once

#include <QIcon>

namespace rundel::panels {

/// A clear arrow picture pointing @p dx, @p dy (each -1, 0 or 1); 0, 0 gives a centre mark.
[[nodiscard]] QIcon arrow_icon(int dx, int dy);

} // namespace rundel::panels
