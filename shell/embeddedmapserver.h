#pragma once

#include "engine/result.h"

#include <QProcess>
#include <QString>

namespace rundel::shell {

/// The bundled map server, started when the settings name this machine and nothing answers
/// there, and stopped with the program.
class EmbeddedMapServer {
public:
    EmbeddedMapServer(QString executable, QString data_folder);
    ~EmbeddedMapServer();
    EmbeddedMapServer(const EmbeddedMapServer&) = delete;
    EmbeddedMapServer& operator=(const EmbeddedMapServer&) = delete;

    /// True for 127.x.x.x, ::1 and localhost.
    [[nodiscard]] static bool is_loopback(const QString& host);
    /// True when something accepts connections at host:port.
    [[nodiscard]] static bool answers(const QString& host, int port);

    /// Makes sure a map server answers at host:port: starts ours when none does and the host
    /// is this machine. A failure (with the server's own reason where it gave one) when none can
    /// be had. The server started ends when this program ends, even by a crash.
    [[nodiscard]] Status ensure(const QString& host, int port);
    /// The online tiles, geocoder and road router the server started by ensure() uses (its
    /// --tiles, --geocoder and --router); empty: offline only, straight lines.
    void set_online_sources(QString tiles, QString geocoder, QString router = {}) {
        tiles_ = std::move(tiles);
        geocoder_ = std::move(geocoder);
        router_ = std::move(router);
    }
    void stop();
    /// The started server's process id; 0 when none runs.
    [[nodiscard]] qint64 process_id() const { return process_.processId(); }

private:
    /// Once the server listens: its messages go on to our standard error.
    void pass_on_output();

    QString executable_;
    QString data_folder_;
    QString tiles_;
    QString geocoder_;
    QString router_;
    QProcess process_;
};

} // namespace rundel::shell
