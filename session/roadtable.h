#pragma once

#include "engine/result.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace rundel::session {

/// What the route is measured by when a road router answers.
enum class RouteBy { Time, Distance };

/// A stop's place, in decimal degrees.
struct StopPlace {
    double latitude = 0;
    double longitude = 0;
};

/// Drive times and road distances between a session's stops, row to column, as the map
/// server's router gave them; NaN where it knows no road.
struct RoadCosts {
    qsizetype size = 0;
    std::vector<double> seconds;
    std::vector<double> metres;
    QList<int> off_road; ///< 0-based stops the router could place on no road
    QString router;      ///< its name, for the panel and the map's credits

    [[nodiscard]] std::size_t cell(qsizetype from, qsizetype to) const {
        return static_cast<std::size_t>(from * size + to);
    }
};

/// Asks the bundled map server for the road table of a session's stops (POST /router/table),
/// without waiting: the answer arrives through a callback, and abort() drops it.
class RoadTable {
public:
    RoadTable(QNetworkAccessManager& network, QString authority);

    void set_authority(const QString& authority) { authority_ = authority; }
    /// Asks for the costs between @p stops; @p done gets the server's answer, to be read by
    /// parse() (a large table takes a while to read: that is for a worker thread), or why
    /// there is none, unless @p context has gone or abort() came first.
    void fetch(const QList<StopPlace>& stops, QObject* context,
               std::function<void(const Result<QByteArray>&)> done);
    /// The road of each leg between consecutive @p stops (POST /router/legs): its shape, first
    /// stop to second; an empty shape for a leg the router has no road for. @p done as fetch().
    void fetch_legs(const QList<StopPlace>& stops, QObject* context,
                    std::function<void(const Result<QList<QList<StopPlace>>>&)> done);
    /// Ends the request in progress, quietly.
    void abort();

    /// The server's answer @p body read into costs for @p size stops; a failure when it is
    /// not the table it should be.
    [[nodiscard]] static Result<RoadCosts> parse(const QByteArray& body, qsizetype size);

private:
    /// POSTs @p stops to @p path; @p done gets the body, or why there is none.
    void post(const QString& path, const QList<StopPlace>& stops, QObject* context,
              std::function<void(const Result<QByteArray>&)> done);

    QNetworkAccessManager& network_;
    QString authority_;
    QPointer<QNetworkReply> reply_;
    std::shared_ptr<bool> cancelled_;
};

} // namespace rundel::session
