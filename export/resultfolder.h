#pragma once

#include "engine/result.h"

#include <QByteArray>
#include <QString>

class QImage;

namespace rundel::exporting {

/// The result folder, where saved routes go. Files are replaced whole or not at all: they are
/// written under a temporary name and renamed into place.
class ResultFolder {
public:
    explicit ResultFolder(QString path) : path_(std::move(path)) {}

    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] QString file(const QString& name) const;

    /// Creates or replaces @p name with @p bytes. A failure names the file and the reason.
    Status replace(const QString& name, const QByteArray& bytes) const;
    /// Saves @p image as a BMP file @p name.
    Status save_bmp(const QString& name, const QImage& image) const;
    /// Appends @p bytes to @p name, creating it when missing.
    Status append(const QString& name, const QByteArray& bytes) const;

private:
    [[nodiscard]] Status failed(const QString& name, const QString& reason) const;

    QString path_;
};

} // namespace rundel::exporting
