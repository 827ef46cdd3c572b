#include "session/nodedatadownloader.h"

#include "engine/nodefilename.h"
#include "session/logging.h"
#include "session/plainfilename.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

namespace rundel::session {
namespace {

/// One node file on its way: the reply, the file it fills, and the watch for a stall. It
/// deletes itself (and the reply) once it has reported.
class Transfer : public QObject {
public:
    Transfer(QNetworkReply* reply, QString path, std::chrono::milliseconds stall_timeout,
             std::function<void(qint64)> on_chunk, QObject* context, NodeDataDownloader::Done done)
        : reply_(reply), file_(std::move(path)), on_chunk_(std::move(on_chunk)), context_(context),
          done_(std::move(done)) {
        reply_->setParent(this);
        stall_.setSingleShot(true);
        stall_.setInterval(stall_timeout);
        connect(&stall_, &QTimer::timeout, this, [this] {
            fail(header_done_ ? QStringLiteral("the transfer stalled")
                              : QStringLiteral("no answer from the server"));
        });
        connect(reply_, &QNetworkReply::metaDataChanged, this, &Transfer::progress);
        connect(reply_, &QNetworkReply::readyRead, this, &Transfer::progress);
        connect(reply_, &QNetworkReply::finished, this, &Transfer::finished);
        // The context going away ends the transfer: nobody is left to tell.
        connect(context, &QObject::destroyed, this, [this] { end(); });
        stall_.start();
    }

private:
    void progress() {
        stall_.start();
        if (!header_done_ && !take_header()) {
            return;
        }
        store(false);
    }

    void finished() {
        if (!header_done_ && !take_header()) {
            if (!ended_) {
                fail(reply_->errorString());
            }
            return;
        }
        if (store(true) && remaining_ > 0) {
            fail(QStringLiteral("the body is shorter than its Content-Length"));
        }
    }

    /// Checks the status and the length once they are known; false while they are not, or
    /// after failing on them.
    bool take_header() {
        const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid()) {
            return false;
        }
        if (status.toInt() < 200 || status.toInt() > 299) {
            fail(QStringLiteral("HTTP %1").arg(status.toInt()));
            return false;
        }
        bool has_length = false;
        remaining_ = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&has_length);
        if (!reply_->hasRawHeader("Content-Length") || !has_length || remaining_ < 0) {
            fail(QStringLiteral("no Content-Length"));
            return false;
        }
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail(file_.errorString());
            return false;
        }
        header_done_ = true;
        if (remaining_ == 0) {
            succeed();
            return false;
        }
        return true;
    }

    /// Moves what has arrived into the file in pieces of 1024 bytes (the last one shorter);
    /// @p all: the reply is complete, so a short last piece need not wait. False after a
    /// failure or once the whole body is stored.
    bool store(bool all) {
        while (!ended_ && remaining_ > 0) {
            const qint64 want = std::min<qint64>(remaining_, 1024);
            if (reply_->bytesAvailable() < want && !all) {
                return true;
            }
            const QByteArray chunk = reply_->read(want);
            if (chunk.isEmpty()) {
                return true;
            }
            if (file_.write(chunk) != chunk.size()) {
                fail(file_.errorString());
                return false;
            }
            if (on_chunk_) {
                on_chunk_(chunk.size());
            }
            remaining_ -= chunk.size();
        }
        if (!ended_ && remaining_ == 0) {
            succeed();
        }
        return false;
    }

    void succeed() {
        if (!file_.flush()) {
            fail(file_.errorString());
            return;
        }
        file_.close();
        report(std::monostate{});
    }

    void fail(const QString& why) {
        qCWarning(lcSession) << "node data download failed:" << why;
        if (header_done_) { // only a file this transfer began
            file_.close();
            file_.remove();
        }
        report(Status::failure(why.toStdString()));
    }

    void report(const Status& status) {
        if (ended_) {
            return;
        }
        const bool tell = !context_.isNull();
        const NodeDataDownloader::Done done = std::move(done_);
        end();
        if (tell) {
            done(status);
        }
    }

    void end() {
        ended_ = true;
        stall_.stop();
        reply_->disconnect(this);
        reply_->abort();
        if (header_done_ && file_.isOpen()) { // ended mid-transfer: nothing half-written stays
            file_.close();
            file_.remove();
        }
        deleteLater();
    }

    QNetworkReply* reply_;
    QFile file_;
    QTimer stall_;
    std::function<void(qint64)> on_chunk_;
    QPointer<QObject> context_;
    NodeDataDownloader::Done done_;
    qint64 remaining_ = 0;
    bool header_done_ = false;
    bool ended_ = false;
};

} // namespace

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

void NodeDataDownloader::get_nodedata(const QString& session_id, QObject* context, Done done) {
    // The id goes into a local path and into the address: it must name a file, nothing more.
    if (!is_plain_file_name(session_id.toStdString())) {
        done(Status::failure(
            (QStringLiteral("セッションIDがファイル名として使えません: ") + session_id)
                .toStdString()));
        return;
    }
    QNetworkRequest request{QUrl(url_for(session_id))};
    request.setRawHeader("Accept-Encoding", "identity");
    const QString path = QDir(folder_).filePath(
        QString::fromStdString(engine::node_file_name(session_id.toStdString())));
    new Transfer(network_.get(request), path, stall_timeout_, on_chunk, context, std::move(done));
}

} // namespace rundel::session
