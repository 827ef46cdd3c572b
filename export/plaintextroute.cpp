#include "export/plaintextroute.h"

namespace rundel::exporting {

QByteArray plain_text_route(const QStringList& labels, const QStringList& coordinates) {
    QString line;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        line += labels.at(i) + QLatin1Char('|') +
                (i < coordinates.size() ? coordinates.at(i) : QString()) + QLatin1Char('/');
    }
    return (line + QStringLiteral("\r\n")).toUtf8();
}

} // namespace rundel::exporting
