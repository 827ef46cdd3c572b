#include "export/resultfolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace rundel::exporting {

QString ResultFolder::file(const QString& name) const {
    return QDir(path_).filePath(name);
}

Status ResultFolder::failed(const QString& name, const QString& reason) const {
    return Status::failure((file(name) + QStringLiteral(": ") + reason).toStdString());
}

Status ResultFolder::replace(const QString& name, const QByteArray& bytes) const {
    QSaveFile out(file(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        return failed(name, out.errorString());
    }
    return std::monostate{};
}

Status ResultFolder::save_bmp(const QString& name, const QImage& image) const {
    QSaveFile out(file(name));
    if (!out.open(QIODevice::WriteOnly)) {
        return failed(name, out.errorString());
    }
    QImageWriter writer(&out, "bmp");
    if (!writer.write(image) || !out.commit()) {
        return failed(name, writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                                         : out.errorString());
    }
    return std::monostate{};
}

Status ResultFolder::append(const QString& name, const QByteArray& bytes) const {
    QFile out(file(name));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append) || out.write(bytes) != bytes.size() ||
        !out.flush()) {
        return failed(name, out.errorString());
    }
    return std::monostate{};
}

} // namespace rundel::exporting
