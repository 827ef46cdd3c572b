#pragma once

#include <QImage>
#include <QObject>
#include <functional>

namespace rundel::exporting {

/// Takes the picture of the map as the user sees it.
class MapCapture {
public:
    virtual ~MapCapture() = default;
    /// The map area, route and markers included, once the page has painted its latest state:
    /// to @p done (a null image when it failed), unless @p context has gone by then.
    virtual void capture(QObject* context, std::function<void(const QImage&)> done) = 0;
};

} // namespace rundel::exporting
