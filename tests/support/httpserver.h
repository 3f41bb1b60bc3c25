#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QObject>
#include <QStringList>

class QSslConfiguration;
class QTcpServer;
class QTcpSocket;

// A small HTTP server on the loopback address for the end-to-end tests. It
// records the target of every request it receives and answers each with a
// page, or with the response set for that target. Used as the web engine's
// proxy it sees whole addresses ("http://host:port/path").
class HttpServer : public QObject
{
    Q_OBJECT

public:
    explicit HttpServer(QObject *parent = nullptr);
    // An https server with the given certificate and key.
    HttpServer(const QSslConfiguration &tls, QObject *parent = nullptr);
    ~HttpServer() override;

    quint16 port() const;

    struct Response
    {
        int status = 200;
        QByteArray contentType = "text/html";
        QByteArray body = "<html><body><p>status page</p></body></html>";
        QByteArray extraHeaders = {}; // whole lines, each ending in CR LF
        bool silent = false;          // never answer at all
        bool drop = false;            // close the connection without an answer
    };
    // The answer to a request whose target ends with the suffix.
    void respond(const QByteArray &targetSuffix, const Response &response);

    // Request targets, in the order they arrived.
    QStringList targets() const { return m_targets; }
    bool received(const QString &target) const { return m_targets.contains(target); }

    // A small status picture of one colour (22 x 22, green by default) in
    // the image format named ("PNG", "GIF", "JPEG", "WEBP").
    static QByteArray statusPicture(const char *format = "PNG", QRgb colour = qRgb(0, 160, 0));

    // Makes this server the web engine's proxy for every address, the
    // ".localhost" names included, before the first web view starts it;
    // hosts in the bypass list (";"-separated) are reached directly.
    void becomeEngineProxy(const QString &bypass = {}) const;

private:
    void listen();
    void onConnection();
    void onReadable(QTcpSocket *socket);

    QTcpServer *m_server;
    QStringList m_targets;
    QList<QPair<QByteArray, Response>> m_responses;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
