#include "session/roadtable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <cmath>
#include <limits>

namespace rundel::session {
namespace {

/// A 1,000-stop table takes the router a hundred requests of a few seconds at worst.
constexpr int kTableTimeoutMs = 180000;

/// Reads one of the table's square arrays into @p cells; false when it is not one.
bool read_square(const QJsonValue& rows, qsizetype size, std::vector<double>& cells) {
    if (!rows.isArray() || rows.toArray().size() != size) {
        return false;
    }
    cells.assign(static_cast<std::size_t>(size * size), std::numeric_limits<double>::quiet_NaN());
    qsizetype i = 0;
    for (const QJsonValue row : rows.toArray()) {
        if (!row.isArray() || row.toArray().size() != size) {
            return false;
        }
        qsizetype j = 0;
        for (const QJsonValue cell : row.toArray()) {
            if (cell.isDouble() && cell.toDouble() >= 0) {
                cells[static_cast<std::size_t>(i * size + j)] = cell.toDouble();
            } else if (!cell.isNull()) {
                return false;
            }
            ++j;
        }
        ++i;
    }
    return true;
}

} // namespace

RoadTable::RoadTable(QNetworkAccessManager& network, QString authority)
    : network_(network), authority_(std::move(authority)) {}

Result<RoadCosts> RoadTable::parse(const QByteArray& body, qsizetype size) {
    const QJsonObject answer = QJsonDocument::fromJson(body).object();
    if (answer.value(QStringLiteral("ok")) != QJsonValue(true)) {
        const QString why = answer.value(QStringLiteral("error")).toString();
        return Result<RoadCosts>::failure(
            (why.isEmpty() ? QStringLiteral("the router gave no table") : why).toStdString());
    }
    RoadCosts costs;
    costs.size = size;
    costs.router = answer.value(QStringLiteral("router")).toString();
    if (!read_square(answer.value(QStringLiteral("seconds")), size, costs.seconds) ||
        !read_square(answer.value(QStringLiteral("metres")), size, costs.metres)) {
        return Result<RoadCosts>::failure("the router's table does not fit the stops");
    }
    for (const QJsonValue stop : answer.value(QStringLiteral("offRoad")).toArray()) {
        costs.off_road.append(stop.toInt());
    }
    return costs;
}

void RoadTable::fetch(const QList<StopPlace>& stops, QObject* context,
                      std::function<void(const Result<QByteArray>&)> done) {
    post(QStringLiteral("/router/table"), stops, context, std::move(done));
}

void RoadTable::fetch_legs(const QList<StopPlace>& stops, QObject* context,
                           std::function<void(const Result<QList<QList<StopPlace>>>&)> done) {
    using Paths = QList<QList<StopPlace>>;
    post(QStringLiteral("/router/legs"), stops, context,
         [done = std::move(done)](const Result<QByteArray>& body) {
             if (!body) {
                 done(Result<Paths>::failure(body.error()));
                 return;
             }
             const QJsonObject answer = QJsonDocument::fromJson(body.value()).object();
             if (answer.value(QStringLiteral("ok")) != QJsonValue(true)) {
                 done(Result<Paths>::failure("the router gave no roads"));
                 return;
             }
             Paths paths;
             for (const QJsonValue leg : answer.value(QStringLiteral("legs")).toArray()) {
                 QList<StopPlace> path;
                 for (const QJsonValue point :
                      leg.toObject().value(QStringLiteral("path")).toArray()) {
                     path.append(
                         {point.toArray().at(0).toDouble(), point.toArray().at(1).toDouble()});
                 }
                 paths.append(path);
             }
             done(paths);
         });
}

void RoadTable::post(const QString& path, const QList<StopPlace>& stops, QObject* context,
                     std::function<void(const Result<QByteArray>&)> done) {
    abort();
    QJsonArray places;
    for (const StopPlace& stop : stops) {
        places.append(QJsonArray{stop.latitude, stop.longitude});
    }
    QNetworkRequest request(QUrl(QStringLiteral("http://") + authority_ + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(kTableTimeoutMs);
    QNetworkReply* reply = network_.post(
        request, QJsonDocument(QJsonObject{{QStringLiteral("stops"), places}}).toJson());
    reply_ = reply;
    cancelled_ = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::finished, context,
                     [reply, cancelled = cancelled_, done = std::move(done)] {
                         reply->deleteLater();
                         if (*cancelled) {
                             return; // aborted: nobody waits for it
                         }
                         const QByteArray body = reply->readAll();
                         if (reply->error() != QNetworkReply::NoError && body.isEmpty()) {
                             done(Result<QByteArray>::failure(reply->errorString().toStdString()));
                             return;
                         }
                         done(body);
                     });
}

void RoadTable::abort() {
    if (cancelled_) {
        *cancelled_ = true;
    }
    if (reply_) {
        reply_->abort();
    }
}

} // namespace rundel::session
