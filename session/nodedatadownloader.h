#pragma once

#include "engine/result.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>

class QNetworkAccessManager;

namespace rundel::session {

/// Fetches a page session's node file from the map server into the node-data folder, without
/// waiting: the transfer runs on the network's signals and reports once, at its end.
class NodeDataDownloader {
public:
    using Done = std::function<void(const Status&)>;

    /// @param host the "domain" of the settings file; @param port 0 for none in the address.
    NodeDataDownloader(QNetworkAccessManager& network, QString host, int port, QString folder,
                       std::chrono::milliseconds stall_timeout = std::chrono::seconds(30));

    /// GETs "/Rundel_SRV/tsp_node_data/<id>_nodedata.tsp" and stores the body, moved in pieces
    /// of at most 1024 bytes, as that name in the folder; then @p done, unless @p context has
    /// gone. A failure, with no file left behind, for an id that is not a plain file name, a
    /// failed request or status, a missing or bad Content-Length, a body shorter than
    /// announced, or a transfer that stalls. An id refused is reported before this returns.
    void get_nodedata(const QString& session_id, QObject* context, Done done);

    [[nodiscard]] QString url_for(const QString& session_id) const;
    /// The map server's host and port (0: none in the address).
    void set_server(const QString& host, int port) {
        host_ = host;
        port_ = port;
    }
    /// Told the size of every piece stored (for tests).
    std::function<void(qint64)> on_chunk;

private:
    QNetworkAccessManager& network_;
    QString host_;
    int port_;
    QString folder_;
    std::chrono::milliseconds stall_timeout_;
};

} // namespace rundel::session
