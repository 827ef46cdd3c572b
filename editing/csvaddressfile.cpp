#include "editing/csvaddressfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

namespace rundel::editing {

QStringList CsvAddressFile::addresses(const QByteArray& bytes) {
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (utf8.hasError()) {
        QStringDecoder sjis("Shift_JIS");
        if (sjis.isValid()) {
            text = sjis.decode(data);
        }
    }
    static const QRegularExpression line_end(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(line_end);
    lines.removeAll(QString());
    return lines;
}

bool CsvAddressFile::read(const QString& path, QStringList& addresses_out, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("ファイルを開けません: ") + path + QStringLiteral("（") +
                file.errorString() + QStringLiteral("）");
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("ファイルを読めません: ") + path + QStringLiteral("（") +
                file.errorString() + QStringLiteral("）");
        return false;
    }
    const QStringList found = addresses(bytes);
    if (found.size() > kMaxAddresses) {
        error = QStringLiteral("住所が多すぎます（%1 件）。一度に読み込めるのは %2 件までです。")
                    .arg(found.size())
                    .arg(kMaxAddresses);
        return false;
    }
    addresses_out = found;
    return true;
}

} // namespace rundel::editing
