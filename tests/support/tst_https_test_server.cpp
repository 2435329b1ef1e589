// The local HTTPS server, driven through QNetworkAccessManager the way the application
// fetches update files and images.
#include "support/https_test_server.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslError>
#include <QTest>

#include <memory>

namespace {

struct Fetched {
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray body;
    QList<QSslError> sslErrors;
    qint64 elapsedMs = 0;
};

// Each fetch through a manager of its own, as the application does; destroying it closes
// whatever connection it kept.
Fetched fetch(const QUrl& url)
{
    QNetworkAccessManager nam;
    Fetched result;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QNetworkReply> reply(nam.get(QNetworkRequest(url)));
    QObject::connect(reply.get(), &QNetworkReply::sslErrors,
                     [&result](const QList<QSslError>& errors) { result.sslErrors += errors; });
    QSignalSpy finished(reply.get(), &QNetworkReply::finished);
    if (!finished.wait(20000))
        qWarning("request to %s did not finish", qPrintable(url.toString()));
    result.error = reply->error();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.elapsedMs = clock.elapsed();
    return result;
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + 3) & 0xFF);
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(HttpsTestServer::Response)

class TestHttpsTestServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.start());
        QVERIFY(m_server.baseAddress().startsWith(QStringLiteral("https://127.0.0.1:")));
        QVERIFY(m_server.port() != 0);
        m_server.trustInThisProcess();
    }

    void responses_data()
    {
        QTest::addColumn<HttpsTestServer::Response>("response");
        QTest::addColumn<bool>("expectError");
        QTest::addColumn<int>("expectStatus");
        QTest::addColumn<QByteArray>("expectBody");

        const QByteArray big = pattern(100000);
        HttpsTestServer::Response r;

        r = {};
        r.body = "V1.2.3\r\n";
        QTest::newRow("plain") << r << false << 200 << r.body;

        r = {};
        r.body = big;
        QTest::newRow("large body") << r << false << 200 << big;

        r = {};
        r.body = QByteArray();
        QTest::newRow("empty body") << r << false << 200 << QByteArray();

        r = {};
        r.status = 500;
        r.body = "broken";
        QTest::newRow("server error") << r << true << 500 << QByteArray("broken");

        r = {};
        r.body = big;
        r.omitContentLength = true;
        QTest::newRow("no length, close ends body") << r << false << 200 << big;

        r = {};
        r.body = big;
        r.bytesPerChunk = 8192;
        r.msBetweenChunks = 5;
        QTest::newRow("slow body") << r << false << 200 << big;

        r = {};
        r.body = big;
        r.truncateAfter = 1000;
        QTest::newRow("truncated") << r << true << 200 << big.left(1000);

        r = {};
        r.body = big;
        r.truncateAfter = 0;
        QTest::newRow("truncated before body") << r << true << 200 << QByteArray();

        r = {};
        r.body = "never sent";
        r.resetConnection = true;
        QTest::newRow("reset") << r << true << 0 << QByteArray();
    }

    void responses()
    {
        QFETCH(HttpsTestServer::Response, response);
        QFETCH(bool, expectError);
        QFETCH(int, expectStatus);
        QFETCH(QByteArray, expectBody);

        const QString path = QStringLiteral("/responses/%1").arg(QTest::currentDataTag());
        m_server.setResponse(path, response);
        QSignalSpy requests(&m_server, &HttpsTestServer::requestReceived);
        const int before = m_server.requestCount(path);

        const Fetched got = fetch(QUrl(m_server.baseAddress() + path + "?x=1"));
        QVERIFY2(got.sslErrors.isEmpty(), qPrintable(got.sslErrors.value(0).errorString()));
        QCOMPARE(got.error != QNetworkReply::NoError, expectError);
        QCOMPARE(got.status, expectStatus);
        // A truncated body may or may not be handed on before the error; never more.
        if (response.truncateAfter >= 0)
            QVERIFY(expectBody.startsWith(got.body));
        else
            QCOMPARE(got.body, expectBody);

        // The client retries a request whose connection was reset before any answer.
        const int attempts = m_server.requestCount(path) - before;
        if (response.resetConnection)
            QVERIFY(attempts >= 1);
        else
            QCOMPARE(attempts, 1);
        QCOMPARE(m_server.requestedPaths().last(), path);
        QCOMPARE(requests.count(), attempts);
        QCOMPARE(requests.first().first().toString(), path);
        QTRY_COMPARE(m_server.openConnections(), 0);
    }

    void slowBodyTakesItsTime()
    {
        HttpsTestServer::Response r;
        r.body = pattern(4000);
        r.bytesPerChunk = 1000;
        r.msBetweenChunks = 100;
        m_server.setResponse(QStringLiteral("/slow"), r);
        const Fetched got = fetch(QUrl(m_server.baseAddress() + "/slow"));
        QCOMPARE(got.error, QNetworkReply::NoError);
        QCOMPARE(got.body, r.body);
        QVERIFY2(got.elapsedMs >= 250, qPrintable(QString::number(got.elapsedMs)));
    }

    void unknownPathAnswers404()
    {
        const Fetched got = fetch(QUrl(m_server.baseAddress() + "/nothing/here.txt"));
        QCOMPARE(got.error, QNetworkReply::ContentNotFoundError);
        QCOMPARE(got.status, 404);
        QCOMPARE(m_server.requestCount(QStringLiteral("/nothing/here.txt")), 1);
    }

    void textAndRemoval()
    {
        m_server.setText(QStringLiteral("/t.txt"), "hello");
        QCOMPARE(fetch(QUrl(m_server.baseAddress() + "/t.txt")).body, QByteArray("hello"));
        m_server.removeResponse(QStringLiteral("/t.txt"));
        QCOMPARE(fetch(QUrl(m_server.baseAddress() + "/t.txt")).status, 404);
        QCOMPARE(m_server.requestCount(QStringLiteral("/t.txt")), 2);
    }

    void concurrentRequests()
    {
        const QByteArray body = pattern(50000);
        HttpsTestServer::Response r;
        r.body = body;
        r.bytesPerChunk = 5000;
        r.msBetweenChunks = 2;
        m_server.setResponse(QStringLiteral("/c"), r);
        std::vector<std::unique_ptr<QNetworkReply>> replies;
        for (int i = 0; i < 4; ++i)
            replies.emplace_back(m_nam.get(QNetworkRequest(QUrl(m_server.baseAddress() + "/c"))));
        for (auto& reply : replies) {
            if (!reply->isFinished())
                QVERIFY(QSignalSpy(reply.get(), &QNetworkReply::finished).wait(20000));
            QCOMPARE(reply->error(), QNetworkReply::NoError);
            QCOMPARE(reply->readAll(), body);
        }
    }

    void abortedClientLeavesServerUsable()
    {
        HttpsTestServer::Response r;
        r.body = pattern(200000);
        r.bytesPerChunk = 1000;
        r.msBetweenChunks = 10;
        m_server.setResponse(QStringLiteral("/aborted"), r);
        std::unique_ptr<QNetworkReply> reply(
            m_nam.get(QNetworkRequest(QUrl(m_server.baseAddress() + "/aborted"))));
        QTRY_VERIFY(reply->bytesAvailable() > 0);
        reply->abort();
        QTRY_COMPARE(m_server.openConnections(), 0);
        m_server.setText(QStringLiteral("/after"), "still here");
        QCOMPARE(fetch(QUrl(m_server.baseAddress() + "/after")).body, QByteArray("still here"));
    }

    // A second server has a certificate of its own that this process never trusted.
    void untrustedCertificateIsRejected()
    {
        HttpsTestServer stranger;
        QVERIFY(stranger.start());
        QVERIFY(stranger.certificate() != m_server.certificate());
        stranger.setText(QStringLiteral("/u.txt"), "secret");
        const Fetched got = fetch(QUrl(stranger.baseAddress() + "/u.txt"));
        QCOMPARE(got.error, QNetworkReply::SslHandshakeFailedError);
        QVERIFY(!got.sslErrors.isEmpty());
        QVERIFY(got.body.isEmpty());
        QCOMPARE(stranger.requestCount(QStringLiteral("/u.txt")), 0);

        // Trusted, the same server answers.
        stranger.trustInThisProcess();
        QCOMPARE(fetch(QUrl(stranger.baseAddress() + "/u.txt")).body, QByteArray("secret"));
    }

private:
    HttpsTestServer m_server;
    QNetworkAccessManager m_nam;
};

QTEST_GUILESS_MAIN(TestHttpsTestServer)
#include "tst_https_test_server.moc"
