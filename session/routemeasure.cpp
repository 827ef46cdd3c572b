#include "session/routemeasure.h"

#include <cmath>

namespace rundel::session {

double RouteMeasure::metres() const {
    double sum = 0;
    for (const LegCost& leg : legs) {
        sum += leg.metres;
    }
    return sum;
}

double RouteMeasure::seconds() const {
    double sum = 0;
    for (const LegCost& leg : legs) {
        sum += leg.seconds;
    }
    return sum;
}

QString hours_minutes(double seconds) {
    const auto minutes = static_cast<long long>(std::llround(seconds / 60.0));
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace rundel::session
