#include "shell/embeddedmapserver.h"

#include "shell/logging.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace rundel::shell {

EmbeddedMapServer::EmbeddedMapServer(QString executable, QString data_folder)
    : executable_(std::move(executable)), data_folder_(std::move(data_folder)) {}

EmbeddedMapServer::~EmbeddedMapServer() {
    stop();
}

bool EmbeddedMapServer::is_loopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool EmbeddedMapServer::answers(const QString& host, int port) {
    QTcpSocket socket;
    socket.connectToHost(host, static_cast<quint16>(port));
    return socket.waitForConnected(500);
}

Status EmbeddedMapServer::ensure(const QString& host, int port) {
    const int effective_port = port > 0 ? port : 80;
    if (!is_loopback(host) || answers(host, effective_port)) {
        return std::monostate{};
    }
    if (!QFileInfo(executable_).isExecutable()) {
        return Status::failure(
            (QStringLiteral("地図サーバー %1 がありません").arg(executable_)).toStdString());
    }
    // Separate channels: what the server says on standard error before it listens is the
    // reason it could not start, and belongs in the message; later it is passed on.
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    const pid_t parent = ::getpid();
    process_.setChildProcessModifier([parent] {
        // The server ends with us, however we end: a crash or SIGKILL included.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) {
            ::_exit(1); // we died before the line above took effect
        }
    });
    QStringList arguments{QStringLiteral("--port"),
                          QString::number(effective_port),
                          QStringLiteral("--bind"),
                          host == QLatin1String("localhost") ? QStringLiteral("127.0.0.1") : host,
                          QStringLiteral("--data-dir"),
                          data_folder_};
    if (!tiles_.isEmpty()) {
        arguments << QStringLiteral("--tiles") << tiles_;
    }
    if (!geocoder_.isEmpty()) {
        arguments << QStringLiteral("--geocoder") << geocoder_;
    }
    if (!router_.isEmpty()) {
        arguments << QStringLiteral("--router") << router_;
    }
    process_.start(executable_, arguments);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
        if (process_.state() == QProcess::NotRunning) {
            process_.waitForFinished(100);
            return Status::failure((QStringLiteral("地図サーバーを起動できません: ") +
                                    QString::fromUtf8(process_.readAllStandardError() +
                                                      process_.readAllStandardOutput())
                                        .trimmed())
                                       .toStdString());
        }
        if (process_.waitForReadyRead(100) &&
            process_.readAllStandardOutput().contains("listening")) {
            qCInfo(lcShell) << "started the bundled map server on" << host << effective_port;
            pass_on_output();
            return std::monostate{};
        }
    }
    const QString said = QString::fromUtf8(process_.readAllStandardError()).trimmed();
    stop();
    return Status::failure((QStringLiteral("地図サーバーが応答しません: ") + said).toStdString());
}

void EmbeddedMapServer::pass_on_output() {
    std::fputs(process_.readAllStandardError().constData(), stderr);
    QObject::connect(&process_, &QProcess::readyReadStandardError, &process_,
                     [this] { std::fputs(process_.readAllStandardError().constData(), stderr); });
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                     [this] { process_.readAllStandardOutput(); });
}

void EmbeddedMapServer::stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(1000);
    }
}

} // namespace rundel::shell
