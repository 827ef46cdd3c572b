#include "session/nodedatadownloader.h"
#include "support/loopbackserver.h"
#include "support/tempfolder.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTest>

using rundel::session::NodeDataDownloader;

namespace {

/// A map server stand-in on loopback that answers node file requests as told.
struct StubServer : rundel::test::LoopbackServer {
    StubServer() {
        server.Get(R"(/Rundel_SRV/tsp_node_data/(.+))",
                   [this](const httplib::Request& request, httplib::Response& response) {
                       ++requests;
                       path = request.path;
                       accept_encoding = request.get_header_value("Accept-Encoding");
                       handler(request, response);
                   });
        start();
    }
    std::function<void(const httplib::Request&, httplib::Response&)> handler;
    std::string path;
    std::string accept_encoding;
};

std::string body_of(std::size_t size) {
    std::string body(size, 'x');
    for (std::size_t i = 0; i < size; ++i) {
        body[i] = static_cast<char>('a' + i % 26);
    }
    return body;
}

} // namespace

class NodeDataDownloaderTest : public QObject {
    Q_OBJECT

private:
    QNetworkAccessManager network;

    /// Downloads @p id and waits (in the test) for the transfer's single report.
    static rundel::Status fetch(NodeDataDownloader& downloader, const QString& id) {
        std::optional<rundel::Status> got;
        int reports = 0;
        QObject context;
        downloader.get_nodedata(id, &context, [&](const rundel::Status& status) {
            got = status;
            ++reports;
        });
        if (!QTest::qWaitFor([&] { return got.has_value(); }, 20000)) {
            return rundel::Status::failure("no report");
        }
        QTest::qWait(20); // nothing more arrives
        if (reports != 1) {
            qFatal("a transfer reported %d times", reports);
        }
        return got.value_or(rundel::Status::failure("no report"));
    }

    [[nodiscard]] QString file_in(const rundel::test::TempFolder& folder, const QString& id) const {
        return QDir(QString::fromStdString(folder.path().string())).filePath(id + "_nodedata.tsp");
    }

private slots:
    void storesTheBodyInPiecesOfAtMost1024Bytes_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<qint64>>("chunks");
        QTest::newRow("2500 bytes") << 2500 << QList<qint64>{1024, 1024, 452};
        QTest::newRow("exactly 1024") << 1024 << QList<qint64>{1024};
        QTest::newRow("empty") << 0 << QList<qint64>{};
        QTest::newRow("100 KiB") << 102400 << QList<qint64>(100, 1024);
    }

    void storesTheBodyInPiecesOfAtMost1024Bytes() {
        QFETCH(int, size);
        QFETCH(QList<qint64>, chunks);
        StubServer stub;
        const std::string body = body_of(static_cast<std::size_t>(size));
        stub.handler = [&](const httplib::Request&, httplib::Response& response) {
            response.set_content(body, "application/octet-stream");
        };
        rundel::test::TempFolder folder;
        NodeDataDownloader downloader(network, "127.0.0.1", stub.port,
                                      QString::fromStdString(folder.path().string()));
        QList<qint64> seen;
        downloader.on_chunk = [&](qint64 chunk) { seen.append(chunk); };
        const auto got = fetch(downloader, "ab12");
        QVERIFY2(got, got.error().c_str());
        QCOMPARE(seen, chunks);
        QCOMPARE(stub.path, std::string("/Rundel_SRV/tsp_node_data/ab12_nodedata.tsp"));
        QCOMPARE(stub.accept_encoding, std::string("identity"));
        QFile file(file_in(folder, "ab12"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), body);
    }

    void failuresLeaveNoFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("404") << QStringLiteral("404");
        QTest::newRow("no Content-Length") << QStringLiteral("chunked");
        QTest::newRow("stalls mid-body") << QStringLiteral("stall");
        QTest::newRow("nobody listening") << QStringLiteral("closed");
    }

    void failuresLeaveNoFile() {
        QFETCH(QString, kind);
        StubServer stub;
        stub.handler = [&](const httplib::Request&, httplib::Response& response) {
            if (kind == "404") {
                response.status = 404;
                response.set_content("<html>not here</html>", "text/html");
            } else if (kind == "chunked") {
                response.set_chunked_content_provider(
                    "application/octet-stream", [](std::size_t offset, httplib::DataSink& sink) {
                        if (offset == 0) {
                            sink.write("NODE_COORD_SECTION\r\n", 20);
                        } else {
                            sink.done();
                        }
                        return true;
                    });
            } else {
                response.set_content_provider(
                    2000, "application/octet-stream",
                    [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                        if (offset == 0) {
                            sink.write(std::string(500, 'x').data(), 500);
                            return true;
                        }
                        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                        return false;
                    });
            }
        };
        rundel::test::TempFolder folder;
        const int port = kind == "closed" ? 1 : stub.port;
        NodeDataDownloader downloader(network, "127.0.0.1", port,
                                      QString::fromStdString(folder.path().string()),
                                      std::chrono::milliseconds(400));
        const auto got = fetch(downloader, "ab12");
        QVERIFY(!got);
        QVERIFY(!got.error().empty());
        QVERIFY(!QFile::exists(file_in(folder, "ab12")));
    }

    void sessionIdsThatAreNoPlainFileNameAreRefused() {
        StubServer stub;
        stub.handler = [](const httplib::Request&, httplib::Response& response) {
            response.set_content("x", "application/octet-stream");
        };
        rundel::test::TempFolder folder;
        NodeDataDownloader downloader(network, "127.0.0.1", stub.port,
                                      QString::fromStdString(folder.path().string()));
        for (const QString& id :
             {QStringLiteral("../evil"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
              QStringLiteral(""), QStringLiteral("x\ny"), QStringLiteral("..")}) {
            QVERIFY2(!fetch(downloader, id), qPrintable(id));
        }
        QCOMPARE(stub.requests, 0);
    }

    void addressCarriesThePortOnlyWhenSet() {
        NodeDataDownloader without(network, "example.org", 0, "/tmp");
        QCOMPARE(without.url_for("ab12"),
                 QStringLiteral("http://example.org/Rundel_SRV/tsp_node_data/ab12_nodedata.tsp"));
        NodeDataDownloader with(network, "127.0.0.1", 8080, "/tmp");
        QCOMPARE(
            with.url_for("ab12"),
            QStringLiteral("http://127.0.0.1:8080/Rundel_SRV/tsp_node_data/ab12_nodedata.tsp"));
    }
};

QTEST_GUILESS_MAIN(NodeDataDownloaderTest)
#include "nodedatadownloader_test.moc"
