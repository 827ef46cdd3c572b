#pragma once

#include <QIcon>

namespace rundel::chrome {

/// The program's icon: a closed route through four points.
[[nodiscard]] QIcon app_icon();

} // namespace rundel::chrome
