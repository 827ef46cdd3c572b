#pragma once

#include <QString>
#include <QStringList>

namespace rundel::session {

/// The fields of one CSV line (RFC 4180 quoting; a field never spans lines here).
[[nodiscard]] QStringList csv_fields(const QString& line);
/// @p field quoted for a CSV line when it needs it (a comma, a quote or a line end).
[[nodiscard]] QString csv_quoted(const QString& field);

} // namespace rundel::session
