#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class QTcpServer;

// A local HTTPS server standing in for the download server. It listens on 127.0.0.1 (a
// free port), presents a self-signed certificate made with the openssl CLI when started,
// and answers GET requests from a table of canned responses; unknown paths answer 404.
// Each response is sent with "Connection: close", so every request is its own connection.
//
// The certificate is trusted by nobody until trustInThisProcess() adds it to the process's
// default TLS configuration; product code never ignores TLS errors. Two servers have two
// different certificates, so an untrusted server is simply one that was never trusted.
class HttpsTestServer : public QObject
{
    Q_OBJECT

public:
    struct Response {
        int status = 200;
        QByteArray body;
        int truncateAfter = -1;         // close the connection after this many body bytes
        int bytesPerChunk = 0;          // send the body in pieces of this size (0: all at once)
        int msBetweenChunks = 0;        // pause between pieces (slow body)
        bool omitContentLength = false; // the end of the body is the end of the connection
        bool resetConnection = false;   // abort the connection before answering
    };

    explicit HttpsTestServer(QObject* parent = nullptr);
    ~HttpsTestServer() override;

    // Makes the certificate and starts listening; false (with a warning) on failure.
    bool start();
    // "https://127.0.0.1:<port>"
    QString baseAddress() const;
    quint16 port() const;

    // Adds this server's certificate to the CA certificates of the process's default
    // QSslConfiguration (used by every QNetworkRequest created afterwards).
    void trustInThisProcess();
    QSslCertificate certificate() const { return m_certificate; }

    // Paths are matched decoded and without the query string, e.g. "/download/x/update.txt".
    void setResponse(const QString& path, const Response& response);
    void setText(const QString& path, const QByteArray& text);
    void removeResponse(const QString& path);

    // Every request path in arrival order (decoded, without query strings). The client may
    // retry a request whose connection was reset, so such a path can appear more than once.
    QStringList requestedPaths() const { return m_requested; }
    int requestCount(const QString& path) const { return m_requested.count(path); }
    // Connections currently open (accepted and not yet closed).
    int openConnections() const { return m_openConnections; }

signals:
    void requestReceived(QString path);

private:
    class Listener;
    class Connection;
    friend class Connection;

    bool makeCertificate();
    void acceptConnection(qintptr descriptor);
    Response responseFor(const QString& path) const;
    void noteRequest(const QString& path);

    QTemporaryDir m_dir;
    QSslCertificate m_certificate;
    QSslKey m_key;
    Listener* m_listener = nullptr;
    QHash<QString, Response> m_responses;
    QStringList m_requested;
    int m_openConnections = 0;
};
