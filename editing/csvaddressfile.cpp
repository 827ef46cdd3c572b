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

Result<QStringList> CsvAddressFile::read(const QString& path) {
    QFile file(path);
    const auto failed = [&](const QString& what) {
        return Result<QStringList>::failure(
            (what + path + QStringLiteral("（") + file.errorString() + QStringLiteral("）"))
                .toStdString());
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(QStringLiteral("ファイルを開けません: "));
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return failed(QStringLiteral("ファイルを読めません: "));
    }
    QStringList found = addresses(bytes);
    if (found.size() > kMaxAddresses) {
        return Result<QStringList>::failure(
            QStringLiteral("住所が多すぎます（%1 件）。一度に読み込めるのは %2 件までです。")
                .arg(found.size())
                .arg(kMaxAddresses)
                .toStdString());
    }
    return found;
}

} // namespace rundel::editing
