#pragma once

#include <QByteArray>
#include <QStringList>

namespace rundel::exporting {

/// The route as one line: "label|start lat,start lng,end lat,end lng/" per leg, then CR LF.
/// A leg without a coordinate entry gets an empty one.
[[nodiscard]] QByteArray plain_text_route(const QStringList& labels,
                                          const QStringList& coordinates);

} // namespace rundel::exporting
