#pragma once

#include "engine/result.h"

#include <QString>
#include <QStringList>

namespace rundel::editing {

/// A file of addresses: one address per non-empty line, taken whole (commas included). UTF-8,
/// with or without a byte-order mark, or Shift_JIS (CP932) as Japanese spreadsheet programs
/// write it; lines end in CR LF, LF or CR.
class CsvAddressFile {
public:
    /// The most addresses one file may hold.
    static constexpr qsizetype kMaxAddresses = 32767;

    /// The addresses of @p path; a failure when it cannot be read or holds too many.
    [[nodiscard]] static Result<QStringList> read(const QString& path);
    /// The addresses of a file's bytes.
    [[nodiscard]] static QStringList addresses(const QByteArray& bytes);
};

} // namespace rundel::editing
