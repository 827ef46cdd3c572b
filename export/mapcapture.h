#pragma once

#include <QImage>

namespace rundel::exporting {

/// Takes the picture of the map as the user sees it.
class MapCapture {
public:
    virtual ~MapCapture() = default;
    /// The map area, route and markers included, once the page has painted its latest state.
    [[nodiscard]] virtual QImage capture() = 0;
};

} // namespace rundel::exporting
