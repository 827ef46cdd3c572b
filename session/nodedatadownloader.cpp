#include "session/nodedatadownloader.h"

#include "bridge/pagewait.h"
#include "engine/nodefilename.h"
#include "session/logging.h"
#include "session/plainfilename.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

namespace rundel::session {

NodeDataDownloader::NodeDataDownloader(QNetworkAccessManager& network, QString host, int port,
                                       QString folder, std::chrono::milliseconds stall_timeout)
    : network_(network), host_(std::move(host)), port_(port), folder_(std::move(folder)),
      stall_timeout_(stall_timeout) {}

QString NodeDataDownloader::url_for(const QString& session_id) const {
    const QString host = port_ > 0 ? host_ + QLatin1Char(':') + QString::number(port_) : host_;
    return (QStringLiteral("http://") + host + QLatin1String(engine::kNodeFileRoute) +
            QString::fromStdString(engine::node_file_name(session_id.toStdString())))
        .trimmed();
}

Status NodeDataDownloader::get_nodedata(const QString& session_id) {
    // The id goes into a local path and into the address: it must name a file, nothing more.
    if (!is_plain_file_name(session_id.toStdString())) {
        return Status::failure(
            (QStringLiteral("セッションIDがファイル名として使えません: ") + session_id)
                .toStdString());
    }
    QNetworkRequest request{QUrl(url_for(session_id))};
    request.setRawHeader("Accept-Encoding", "identity");
    QPointer<QNetworkReply> reply = network_.get(request);
    const auto finish = [&](bool ok, const QString& why) -> Status {
        if (reply) {
            reply->abort();
            reply->deleteLater();
        }
        if (ok) {
            return std::monostate{};
        }
        qCWarning(lcSession) << "node data download failed:" << why;
        return Status::failure(why.toStdString());
    };

    QElapsedTimer idle;
    idle.start();
    qint64 last_progress = -1;
    const auto stalled = [&] {
        const qint64 now = reply ? reply->bytesAvailable() : 0;
        if (now != last_progress) {
            last_progress = now;
            idle.restart();
        }
        return idle.elapsed() > stall_timeout_.count();
    };

    // The response header first.
    bridge::PageWait::until([&] {
        return !reply || reply->isFinished() ||
               reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() || stalled();
    });
    if (!reply) {
        return finish(false, QStringLiteral("no reply"));
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        return finish(false, reply->isFinished() ? reply->errorString()
                                                 : QStringLiteral("no answer from the server"));
    }
    if (status.toInt() < 200 || status.toInt() > 299) {
        return finish(false, QStringLiteral("HTTP %1").arg(status.toInt()));
    }
    bool has_length = false;
    const qint64 length =
        reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&has_length);
    if (!reply->hasRawHeader("Content-Length") || !has_length || length < 0) {
        return finish(false, QStringLiteral("no Content-Length"));
    }

    const QString path = QDir(folder_).filePath(
        QString::fromStdString(engine::node_file_name(session_id.toStdString())));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return finish(false, file.errorString());
    }
    const auto fail_and_remove = [&](const QString& why) {
        file.close();
        file.remove();
        return finish(false, why);
    };
    qint64 remaining = length;
    while (remaining > 0) {
        const qint64 want = std::min<qint64>(remaining, 1024);
        bridge::PageWait::until([&] {
            return !reply || reply->bytesAvailable() >= want || reply->isFinished() || stalled();
        });
        if (!reply) {
            return fail_and_remove(QStringLiteral("no reply"));
        }
        if (reply->bytesAvailable() < want && !reply->isFinished()) {
            return fail_and_remove(QStringLiteral("the transfer stalled"));
        }
        const QByteArray chunk = reply->read(want);
        if (chunk.isEmpty()) {
            return fail_and_remove(QStringLiteral("the body is shorter than its Content-Length"));
        }
        if (file.write(chunk) != chunk.size()) {
            return fail_and_remove(file.errorString());
        }
        if (on_chunk) {
            on_chunk(chunk.size());
        }
        remaining -= chunk.size();
    }
    if (!file.flush()) {
        return fail_and_remove(file.errorString());
    }
    file.close();
    return finish(true, {});
}

} // namespace rundel::session
