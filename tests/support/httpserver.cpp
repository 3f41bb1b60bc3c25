#include "support/httpserver.h"

#include "support/testmain.h"

#include <QBuffer>
#include <QImage>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

HttpServer::HttpServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    listen();
}

HttpServer::HttpServer(const QSslConfiguration &tls, QObject *parent) : QObject(parent)
{
    auto *server = new QSslServer(this);
    server->setSslConfiguration(tls);
    m_server = server;
    listen();
}

void HttpServer::listen()
{
    m_server->listen(QHostAddress::LocalHost);
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &HttpServer::onConnection);
}

HttpServer::~HttpServer() = default;

quint16 HttpServer::port() const
{
    return m_server->serverPort();
}

void HttpServer::respond(const QByteArray &targetSuffix, const Response &response)
{
    m_responses.prepend({targetSuffix, response});
}

QByteArray HttpServer::statusPicture()
{
    QImage picture(22, 22, QImage::Format_ARGB32);
    picture.fill(QColor(0, 160, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

void HttpServer::becomeEngineProxy() const
{
    // The engine would reach ".localhost" names directly; "<-loopback>"
    // sends them through the proxy as well.
    addEngineFlags(QStringLiteral("--disable-gpu --proxy-bypass-list=<-loopback> "
                                  "--proxy-server=http://127.0.0.1:%1")
                       .arg(port())
                       .toLatin1());
}

void HttpServer::onConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void HttpServer::onReadable(QTcpSocket *socket)
{
    QByteArray &data = m_pending[socket];
    data += socket->readAll();
    while (true) {
        const int end = data.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = data.left(end);
        data.remove(0, end + 4);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QByteArray target = requestLine.value(1);
        m_targets << QString::fromUtf8(target);

        Response response;
        for (const auto &[suffix, candidate] : m_responses) {
            if (target.endsWith(suffix)) {
                response = candidate;
                break;
            }
        }
        if (response.silent)
            continue;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " Answer\r\n";
        reply += response.extraHeaders;
        reply += "Content-Type: " + response.contentType + "\r\n";
        reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        reply += "Cache-Control: no-store\r\n\r\n";
        reply += response.body;
        socket->write(reply);
    }
}
