#include "shell/settingsfile.h"

#include <QRegularExpression>

namespace rundel::shell {

namespace {

const QRegularExpression& line_end() {
    static const QRegularExpression pattern(QStringLiteral("\r\n|\r|\n"));
    return pattern;
}

/// The key of a "key:value" line, exactly as written; empty for other lines.
QString key_of(const QString& line) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : line.left(colon);
}

/// The value up to a further colon, as the file has always been read, trimmed: editors and
/// people put blanks after the colon.
QString value_of(const QString& line) {
    return line.section(QLatin1Char(':'), 1, 1).trimmed();
}

/// Everything after the first colon, trimmed: for values that hold colons themselves
/// (addresses such as "gsi=http://127.0.0.1:8080").
QString rest_of(const QString& line) {
    return line.mid(line.indexOf(QLatin1Char(':')) + 1).trimmed();
}

bool switched_on(const QString& value) {
    static const QStringList on{QStringLiteral("1"), QStringLiteral("on"), QStringLiteral("yes"),
                                QStringLiteral("true")};
    return on.contains(value.toLower());
}

} // namespace

SettingsFile SettingsFile::parse(const QByteArray& bytes) {
    SettingsFile settings;
    const QStringList lines = QString::fromUtf8(bytes).split(line_end());
    for (const QString& line : lines) {
        const QString key = key_of(line);
        if (key == QLatin1String("domain")) {
            settings.domain_ = value_of(line);
        } else if (key == QLatin1String("port")) {
            bool ok = false;
            const int port = value_of(line).toInt(&ok);
            settings.port_ = ok && port > 0 && port < 65536 ? port : 0;
        } else if (key == QLatin1String("improve")) {
            settings.improve_ = switched_on(value_of(line));
        } else if (key == QLatin1String("tiles")) {
            settings.tiles_ = rest_of(line);
        } else if (key == QLatin1String("geocoder")) {
            settings.geocoder_ = rest_of(line);
        } else if (key == QLatin1String("router")) {
            settings.router_ = rest_of(line);
        } else if (key == QLatin1String("start_time")) {
            // A time that is none keeps the default: the day still has a start.
            settings.day_.start_minutes =
                session::DayTimes::minutes_of(rest_of(line)).value_or(settings.day_.start_minutes);
        } else if (key == QLatin1String("stay")) {
            bool ok = false;
            const int minutes = value_of(line).toInt(&ok);
            settings.day_.stay_minutes =
                ok && minutes >= 0 && minutes <= 24 * 60 ? minutes : settings.day_.stay_minutes;
        } else if (key == QLatin1String("speed")) {
            bool ok = false;
            const double speed = value_of(line).toDouble(&ok);
            settings.day_.km_per_hour =
                ok && speed >= 1 && speed <= 300 ? speed : settings.day_.km_per_hour;
        } else if (key == QLatin1String("route_by")) {
            settings.route_by_ = value_of(line) == QLatin1String("distance")
                                     ? session::RouteBy::Distance
                                     : session::RouteBy::Time;
        }
    }
    return settings;
}

QString SettingsFile::route_by_word(session::RouteBy by) {
    return by == session::RouteBy::Distance ? QStringLiteral("distance") : QStringLiteral("time");
}

QByteArray SettingsFile::with_value(const QByteArray& bytes, const QString& key,
                                    const QString& value) {
    const QString text = QString::fromUtf8(bytes);
    const QRegularExpressionMatch first_end = line_end().match(text);
    const QString eol = first_end.hasMatch() ? first_end.captured() : QStringLiteral("\r\n");
    QStringList lines = text.split(line_end());
    const bool ended = !lines.isEmpty() && lines.last().isEmpty();
    if (ended) {
        lines.removeLast();
    }
    const QString wanted = key + QLatin1Char(':') + value;
    qsizetype last = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (key_of(lines.at(i)) == key) {
            last = i; // the last such line is the one that counts
        }
    }
    if (last >= 0) {
        lines[last] = wanted;
    } else {
        lines.append(wanted);
    }
    return (lines.join(eol) + eol).toUtf8();
}

QString SettingsFile::authority() const {
    return port_ > 0 ? domain_ + QLatin1Char(':') + QString::number(port_) : domain_;
}

} // namespace rundel::shell
