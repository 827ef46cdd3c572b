#pragma once

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

    /// Creates or replaces @p name with @p bytes; false with @p error otherwise.
    bool replace(const QString& name, const QByteArray& bytes, QString& error) const;
    /// Saves @p image as a BMP file @p name.
    bool save_bmp(const QString& name, const QImage& image, QString& error) const;
    /// Appends @p bytes to @p name, creating it when missing.
    bool append(const QString& name, const QByteArray& bytes, QString& error) const;

private:
    QString path_;
};

} // namespace rundel::exporting
