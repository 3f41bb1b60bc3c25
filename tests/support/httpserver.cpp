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

namespace {

// Qt reads GIF but does not write it. A picture of one colour needs no
// compression: each pair of pixels follows a clear code, so the LZW table
// never grows past 3-bit codes.
QByteArray solidGif(int width, int height, QRgb colour)
{
    QByteArray gif("GIF89a");
    const auto word = [&gif](int value) { gif.append(char(value & 0xff)).append(char(value >> 8)); };
    word(width);
    word(height);
    gif.append(char(0x80)).append('\0').append('\0'); // a global table of two colours
    gif.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
    gif.append(char(0xff)).append(char(0xff)).append(char(0xff));
    gif.append(',');
    word(0);
    word(0);
    word(width);
    word(height);
    gif.append('\0').append(char(2)); // no local table; LZW codes start at 3 bits
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto code = [&](quint32 value) {
        bits |= value << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data.append(char(bits & 0xff));
    };
    for (int pixel = 0; pixel < width * height; pixel += 2) {
        code(4); // clear
        code(0);
        if (pixel + 1 < width * height)
            code(0);
    }
    code(5); // end of information
    if (count > 0)
        data.append(char(bits & 0xff));
    for (qsizetype at = 0; at < data.size(); at += 255)
        gif.append(char(qMin<qsizetype>(255, data.size() - at))).append(data.mid(at, 255));
    return gif.append('\0').append(';');
}

} // namespace

QByteArray HttpServer::statusPicture(const char *format, QRgb colour)
{
    if (qstrcmp(format, "GIF") == 0)
        return solidGif(22, 22, colour);
    QImage picture(22, 22, QImage::Format_RGB32);
    picture.fill(colour);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, format, 100))
        qWarning("the test cannot write %s pictures", format);
    return encoded;
}

void HttpServer::becomeEngineProxy(const QString &bypass) const
{
    // The engine would reach ".localhost" names directly; "<-loopback>"
    // sends them through the proxy as well.
    const QString bypassList = bypass.isEmpty() ? QStringLiteral("<-loopback>") : "<-loopback>;" + bypass;
    addEngineFlags(QStringLiteral("--disable-gpu --proxy-bypass-list=%1 --proxy-server=http://127.0.0.1:%2")
                       .arg(bypassList)
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
        if (response.drop) {
            socket->abort();
            return;
        }
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " Answer\r\n";
        reply += response.extraHeaders;
        reply += "Content-Type: " + response.contentType + "\r\n";
        reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        reply += "Cache-Control: no-store\r\n\r\n";
        reply += response.body;
        socket->write(reply);
    }
}
