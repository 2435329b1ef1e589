#include "support/https_test_server.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>
#include <QUrl>

#include <sys/socket.h>
#include <unistd.h>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

// Closing with a zero linger time makes the kernel send RST instead of FIN.
void resetSocket(QSslSocket* socket)
{
    const qintptr fd = socket->socketDescriptor();
    if (fd != -1) {
        linger l{};
        l.l_onoff = 1;
        l.l_linger = 0;
        ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    socket->abort();
}

} // namespace

class HttpsTestServer::Listener : public QTcpServer
{
public:
    explicit Listener(HttpsTestServer* owner) : QTcpServer(owner), m_owner(owner) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_owner->acceptConnection(descriptor); }

private:
    HttpsTestServer* m_owner;
};

// One accepted connection: TLS handshake, one request, one response, close.
class HttpsTestServer::Connection : public QObject
{
public:
    Connection(HttpsTestServer* owner, QObject* parent) : QObject(parent), m_owner(owner)
    {
        m_socket = new QSslSocket(this);
    }

    bool begin(qintptr descriptor)
    {
        if (!m_socket->setSocketDescriptor(descriptor))
            return false;
        ++m_owner->m_openConnections;
        m_socket->setLocalCertificate(m_owner->m_certificate);
        m_socket->setPrivateKey(m_owner->m_key);
        m_socket->setPeerVerifyMode(QSslSocket::VerifyNone);
        connect(m_socket, &QSslSocket::readyRead, this, [this] { readRequest(); });
        connect(m_socket, &QSslSocket::disconnected, this, [this] { finish(); });
        connect(m_socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
            if (m_socket->state() == QAbstractSocket::UnconnectedState)
                finish();
        });
        m_socket->startServerEncryption();
        return true;
    }

private:
    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        --m_owner->m_openConnections;
        deleteLater();
    }

    void readRequest()
    {
        if (m_answered)
            return;
        m_request += m_socket->readAll();
        const int headerEnd = m_request.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        m_answered = true;

        // "GET /path?query HTTP/1.1"
        const QByteArray requestLine = m_request.left(m_request.indexOf("\r\n"));
        const QList<QByteArray> parts = requestLine.split(' ');
        QByteArray target = parts.size() >= 2 ? parts.at(1) : QByteArray();
        const int query = target.indexOf('?');
        if (query >= 0)
            target.truncate(query);
        const QString path = QUrl::fromPercentEncoding(target);

        const Response response = m_owner->responseFor(path);
        QPointer<Connection> alive(this);
        m_owner->noteRequest(path); // a test may react to the signal synchronously
        if (!alive)
            return;
        answer(response);
    }

    void answer(const Response& response)
    {
        if (response.resetConnection) {
            resetSocket(m_socket);
            finish();
            return;
        }
        QByteArray head =
            "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) + "\r\n";
        head += "Content-Type: application/octet-stream\r\n";
        if (!response.omitContentLength)
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        m_socket->write(head);

        m_pending = response.body;
        if (response.truncateAfter >= 0 && response.truncateAfter < m_pending.size())
            m_pending.truncate(response.truncateAfter);
        m_chunk = response.bytesPerChunk > 0 ? response.bytesPerChunk : m_pending.size();
        m_pause = qMax(0, response.msBetweenChunks);
        sendNextChunk();
    }

    void sendNextChunk()
    {
        if (m_finished)
            return;
        if (!m_pending.isEmpty()) {
            m_socket->write(m_pending.left(m_chunk));
            m_pending.remove(0, m_chunk);
        }
        if (m_pending.isEmpty()) {
            // Pending bytes are flushed before the TLS close.
            m_socket->disconnectFromHost();
            return;
        }
        QTimer::singleShot(m_pause, this, [this] { sendNextChunk(); });
    }

    HttpsTestServer* m_owner;
    QSslSocket* m_socket = nullptr;
    QByteArray m_request;
    QByteArray m_pending;
    int m_chunk = 0;
    int m_pause = 0;
    bool m_answered = false;
    bool m_finished = false;
};

HttpsTestServer::HttpsTestServer(QObject* parent) : QObject(parent) {}

HttpsTestServer::~HttpsTestServer()
{
    // Connections are children of the listener and touch this object while closing.
    delete m_listener;
    m_listener = nullptr;
}

bool HttpsTestServer::makeCertificate()
{
    if (!m_dir.isValid()) {
        qWarning("HttpsTestServer: no temporary folder");
        return false;
    }
    const QString keyPath = m_dir.filePath(QStringLiteral("key.pem"));
    const QString certPath = m_dir.filePath(QStringLiteral("cert.pem"));
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-nodes"),
                   QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-keyout"), keyPath,
                   QStringLiteral("-out"), certPath, QStringLiteral("-days"), QStringLiteral("2"),
                   QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost")});
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        qWarning("HttpsTestServer: openssl failed: %s", openssl.readAll().constData());
        return false;
    }
    QFile certFile(certPath);
    QFile keyFile(keyPath);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        qWarning("HttpsTestServer: cannot read the certificate files");
        return false;
    }
    m_certificate = QSslCertificate(certFile.readAll(), QSsl::Pem);
    m_key = QSslKey(keyFile.readAll(), QSsl::Ec, QSsl::Pem);
    if (m_certificate.isNull() || m_key.isNull()) {
        qWarning("HttpsTestServer: cannot load the certificate or key");
        return false;
    }
    return true;
}

bool HttpsTestServer::start()
{
    if (m_listener)
        return m_listener->isListening();
    if (!QSslSocket::supportsSsl()) {
        qWarning("HttpsTestServer: Qt has no TLS backend");
        return false;
    }
    if (!makeCertificate())
        return false;
    m_listener = new Listener(this);
    if (!m_listener->listen(QHostAddress::LocalHost, 0)) {
        qWarning("HttpsTestServer: listen failed: %s", qPrintable(m_listener->errorString()));
        return false;
    }
    return true;
}

quint16 HttpsTestServer::port() const
{
    return m_listener ? m_listener->serverPort() : 0;
}

QString HttpsTestServer::baseAddress() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(port());
}

void HttpsTestServer::trustInThisProcess()
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    QList<QSslCertificate> cas = config.caCertificates();
    if (!cas.contains(m_certificate)) {
        cas.append(m_certificate);
        config.setCaCertificates(cas);
        QSslConfiguration::setDefaultConfiguration(config);
    }
}

void HttpsTestServer::setResponse(const QString& path, const Response& response)
{
    m_responses.insert(path, response);
}

void HttpsTestServer::setText(const QString& path, const QByteArray& text)
{
    Response r;
    r.body = text;
    setResponse(path, r);
}

void HttpsTestServer::removeResponse(const QString& path)
{
    m_responses.remove(path);
}

HttpsTestServer::Response HttpsTestServer::responseFor(const QString& path) const
{
    const auto it = m_responses.constFind(path);
    if (it != m_responses.constEnd())
        return it.value();
    Response notFound;
    notFound.status = 404;
    notFound.body = "Not Found";
    return notFound;
}

void HttpsTestServer::noteRequest(const QString& path)
{
    m_requested.append(path);
    emit requestReceived(path);
}

void HttpsTestServer::acceptConnection(qintptr descriptor)
{
    auto* connection = new Connection(this, m_listener);
    if (!connection->begin(descriptor)) {
        delete connection;
        ::close(int(descriptor));
    }
}
