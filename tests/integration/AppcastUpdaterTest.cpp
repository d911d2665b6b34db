#include "qt/AppcastUpdater.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

QByteArray feed(const QByteArray& itemBody) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/"
           "sparkle\"><channel><title>Velmora</title>" +
           itemBody + "</channel></rss>";
}

// A tiny web server on 127.0.0.1: each path has its answer; "/silent" never answers.
class FeedServer : public QTcpServer {
public:
    FeedServer() {
        pages["/elements.xml"] =
            feed("<item><title>2.1</title><link>https://example.org/2.1</link>"
                 "<sparkle:version>2.1.0</sparkle:version>"
                 "<sparkle:shortVersionString>2.1</sparkle:shortVersionString>"
                 "<description><![CDATA[<h2>New</h2><ul><li>Faster <b>polling</b></li></ul>"
                 "<img src=\"http://127.0.0.1:1/x.png\">]]></description></item>"
                 "<item><title>1.0</title><enclosure url=\"https://example.org/1.0.tar.gz\" "
                 "sparkle:version=\"1.0\" sparkle:shortVersionString=\"1.0\"/></item>");
        pages["/enclosure.xml"] = feed(
            "<item><link>https://example.org/page</link><enclosure "
            "url=\"https://example.org/velmora-3.0.tar.gz\" sparkle:version=\"300\" "
            "sparkle:shortVersionString=\"3.0\" length=\"1\" type=\"application/gzip\"/></item>");
        pages["/malformed.xml"] = "<rss><channel><item><sparkle:version>2.0";
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            }
        });
        listen(QHostAddress::LocalHost);
    }

    QUrl url(const char* path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
    }

private:
    void answer(QTcpSocket* socket) {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        if (path == "/silent")
            return;
        const auto page = pages.find(path);
        const QByteArray status = page == pages.end() ? "404 Not Found" : "200 OK";
        const QByteArray body = page == pages.end() ? QByteArray("missing") : page->second;
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/rss+xml\r\n" +
                      "Content-Length: " + QByteArray::number(body.size()) +
                      "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    std::map<QByteArray, QByteArray> pages;
};

std::optional<UpdateFeed> fetch(AppcastUpdater& updater) {
    std::optional<UpdateFeed> result;
    updater.fetch([&](const UpdateFeed& feed) { result = feed; });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 10000))
        qWarning("the feed was not answered");
    return result;
}

} // namespace

class AppcastUpdaterTest : public QObject {
    Q_OBJECT

private slots:
    void readsReleasesFromElementsAndEnclosures() {
        FeedServer server;
        QVERIFY(server.isListening());
        AppcastUpdater elements(server.url("/elements.xml"), 2000);
        QVERIFY(elements.hasFeed());
        const std::optional<UpdateFeed> first = fetch(elements);
        QVERIFY(first && !first->error);
        QCOMPARE(first->items.size(), 2);
        const AppcastItem& newest = first->items.first();
        QCOMPARE(newest.version, QStringLiteral("2.1.0"));
        QCOMPARE(newest.displayVersion, QStringLiteral("2.1"));
        QCOMPARE(newest.downloadUrl, QUrl(QStringLiteral("https://example.org/2.1")));
        // The notes' text only: no markup, nothing to load.
        QVERIFY2(newest.notes.contains(QStringLiteral("Faster polling")), qPrintable(newest.notes));
        QVERIFY(!newest.notes.contains(u'<'));
        QCOMPARE(first->items.at(1).downloadUrl,
                 QUrl(QStringLiteral("https://example.org/1.0.tar.gz")));

        AppcastUpdater enclosure(server.url("/enclosure.xml"), 2000);
        const std::optional<UpdateFeed> second = fetch(enclosure);
        QVERIFY(second && !second->error);
        QCOMPARE(second->items.first().version, QStringLiteral("300"));
        QCOMPARE(second->items.first().displayVersion, QStringLiteral("3.0"));
        QCOMPARE(second->items.first().downloadUrl,
                 QUrl(QStringLiteral("https://example.org/velmora-3.0.tar.gz")));
    }

    void brokenMissingAndSilentFeedsFailWithAReason() {
        FeedServer server;
        AppcastUpdater malformed(server.url("/malformed.xml"), 2000);
        std::optional<UpdateFeed> result = fetch(malformed);
        QVERIFY(result && result->error);
        QVERIFY2(result->error->startsWith(QStringLiteral("The update feed could not be read: ")),
                 qPrintable(*result->error));
        QVERIFY(result->items.isEmpty());

        AppcastUpdater missing(server.url("/missing.xml"), 2000);
        result = fetch(missing);
        QVERIFY(result && result->error);
        QVERIFY2(result->error->contains(QStringLiteral("Not Found")), qPrintable(*result->error));

        AppcastUpdater silent(server.url("/silent"), 300);
        result = fetch(silent);
        QVERIFY(result && result->error);
        QCOMPARE(*result->error, QStringLiteral("The update server did not answer in time"));

        AppcastUpdater none(QUrl(), 300);
        QVERIFY(!none.hasFeed());
    }
};

QTEST_GUILESS_MAIN(AppcastUpdaterTest)
#include "AppcastUpdaterTest.moc"
