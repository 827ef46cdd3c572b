#include "shell/embeddedmapserver.h"
#include "shell/quitsignals.h"
#include "support/tempfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using rundel::shell::EmbeddedMapServer;
using rundel::shell::QuitSignals;

namespace {

const QString kServer = QStringLiteral(RUNDEL_PROGRAM_DIR "/rundel-mapserver");

int free_port() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool alive(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0;
}

/// Run as a child of the test: starts the bundled map server, says its process id, and
/// waits to be killed.
int serve_until_killed(const QString& port, const QString& data) {
    EmbeddedMapServer server(kServer, data);
    if (const auto started = server.ensure(QStringLiteral("127.0.0.1"), port.toInt()); !started) {
        std::fprintf(stderr, "%s\n", started.error().c_str());
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(server.process_id()));
    std::fflush(stdout);
    for (;;) {
        ::pause();
    }
}

} // namespace

/// How the program and its map server end: by a signal, and the server with the program,
/// however that ends.
class ProcessEndTest : public QObject {
    Q_OBJECT

private slots:
    void quitSignalsArriveAsQtSignals_data() {
        QTest::addColumn<int>("number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void quitSignalsArriveAsQtSignals() {
        QFETCH(int, number);
        QuitSignals quit;
        QSignalSpy spy(&quit, &QuitSignals::requested);
        ::raise(number);
        QVERIFY(spy.wait(2000));
        QCOMPARE(spy.first().first().toInt(), number);
    }

    void theServerEndsWhenTheProgramIsKilled() {
        rundel::test::TempFolder folder;
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--serve"), QString::number(free_port()),
                       QString::fromStdString(folder.path().string())});
        QVERIFY(program.waitForReadyRead(20000));
        const qint64 server = program.readAllStandardOutput().trimmed().toLongLong();
        QVERIFY(server > 0);
        QVERIFY(alive(server));
        program.kill(); // SIGKILL: nothing of the program runs to stop the server
        QVERIFY(program.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!alive(server), 5000);
    }

    void aServerThatCannotStartSaysWhy() {
        rundel::test::TempFolder folder;
        // Data folder where a file stands: the server cannot use it and says so.
        folder.write("blocked", "a file, not a folder");
        EmbeddedMapServer server(kServer,
                                 QString::fromStdString((folder.path() / "blocked").string()));
        const auto started = server.ensure(QStringLiteral("127.0.0.1"), free_port());
        QVERIFY(!started);
        QVERIFY2(started.error().find("blocked") != std::string::npos, started.error().c_str());
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--serve") == 0) {
        QCoreApplication app(argc, argv);
        return serve_until_killed(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    ProcessEndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "processend_test.moc"
