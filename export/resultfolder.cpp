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

bool ResultFolder::replace(const QString& name, const QByteArray& bytes, QString& error) const {
    QSaveFile out(file(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        error = file(name) + QStringLiteral(": ") + out.errorString();
        return false;
    }
    return true;
}

bool ResultFolder::save_bmp(const QString& name, const QImage& image, QString& error) const {
    QSaveFile out(file(name));
    if (!out.open(QIODevice::WriteOnly)) {
        error = file(name) + QStringLiteral(": ") + out.errorString();
        return false;
    }
    QImageWriter writer(&out, "bmp");
    if (!writer.write(image) || !out.commit()) {
        error = file(name) + QStringLiteral(": ") +
                (writer.error() != QImageWriter::UnknownError ? writer.errorString()
                                                              : out.errorString());
        return false;
    }
    return true;
}

bool ResultFolder::append(const QString& name, const QByteArray& bytes, QString& error) const {
    QFile out(file(name));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append) || out.write(bytes) != bytes.size() ||
        !out.flush()) {
        error = file(name) + QStringLiteral(": ") + out.errorString();
        return false;
    }
    return true;
}

} // namespace rundel::exporting
