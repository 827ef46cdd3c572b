#include "shell/settingsfile.h"

#include <QRegularExpression>

namespace rundel::shell {

SettingsFile SettingsFile::parse(const QByteArray& bytes) {
    SettingsFile settings;
    static const QRegularExpression line_end(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = QString::fromUtf8(bytes).split(line_end);
    for (const QString& line : lines) {
        if (line.isEmpty()) {
            continue;
        }
        const QStringList fields = line.split(QLatin1Char(':'));
        const QString value = fields.size() > 1 ? fields.at(1) : QString();
        if (fields.at(0) == QLatin1String("domain")) {
            settings.domain_ = value;
        } else if (fields.at(0) == QLatin1String("port")) {
            bool ok = false;
            const int port = value.trimmed().toInt(&ok);
            settings.port_ = ok && port > 0 && port < 65536 ? port : 0;
        }
    }
    return settings;
}

QString SettingsFile::authority() const {
    return port_ > 0 ? domain_ + QLatin1Char(':') + QString::number(port_) : domain_;
}

} // namespace rundel::shell
