#include "session/schedule.h"

#include <QRegularExpression>
#include <cmath>

namespace rundel::session {

std::optional<int> DayTimes::minutes_of(const QString& text) {
    static const QRegularExpression time(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    const QRegularExpressionMatch match = time.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    if (hours > 23 || minutes > 59) {
        return std::nullopt;
    }
    return hours * 60 + minutes;
}

QList<StopTimes> schedule(const QList<double>& legs, const DayTimes& day, const QList<int>& stays) {
    QList<StopTimes> times;
    const double start = day.start_minutes * 60.0;
    times.append({start, start});
    for (qsizetype i = 0; i < legs.size(); ++i) {
        const double arrival = times.last().departure + std::max(0.0, legs.at(i));
        const int own = stays.value(i + 1, -1);
        times.append({arrival, arrival + (own >= 0 ? own : day.stay_minutes) * 60.0});
    }
    return times;
}

QString clock_text(double seconds) {
    const auto minutes = static_cast<long long>(std::llround(seconds / 60.0));
    const long long days = minutes / (24 * 60);
    const long long in_day = minutes % (24 * 60);
    QString text = QStringLiteral("%1:%2")
                       .arg(in_day / 60, 2, 10, QLatin1Char('0'))
                       .arg(in_day % 60, 2, 10, QLatin1Char('0'));
    if (days > 0) {
        text += QStringLiteral("(+%1日)").arg(days);
    }
    return text;
}

} // namespace rundel::session
