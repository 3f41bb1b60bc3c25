#include "http/httpanswer.h"

#include "http/connectionbook.h"
#include "http/connectionguard.h"

#include <QTcpSocket>

const QByteArray HttpAnswer::noSniff = "nosniff";

namespace {

QByteArray statusLine(int status)
{
    switch (status) {
    case 200: return "HTTP/1.1 200 OK\r\n";
    case 302: return "HTTP/1.1 302 Found\r\n";
    case 304: return "HTTP/1.1 304 Not Modified\r\n";
    case 400: return "HTTP/1.1 400 Bad Request\r\n";
    case 404: return "HTTP/1.1 404 Not Found\r\n";
    case 405: return "HTTP/1.1 405 Method Not Allowed\r\n";
    default: return "HTTP/1.1 " + QByteArray::number(status) + " Answer\r\n";
    }
}

} // namespace

HttpAnswer::HttpAnswer(QTcpSocket *socket, bool head)
    : m_socket(socket), m_guard(ConnectionGuard::of(socket)), m_head(head)
{
    if (m_guard)
        m_place = m_guard->requestArrived();
}

QByteArray HttpAnswer::compose(int status, const Headers &headers, const QByteArray &body, bool head)
{
    QByteArray bytes = statusLine(status);
    bytes.reserve(bytes.size() + 256 + (head ? 0 : body.size()));
    for (const auto &[name, value] : headers)
        bytes.append(name).append(": ").append(value).append("\r\n");
    bytes.append("X-Content-Type-Options: ").append(noSniff).append("\r\n");
    // A 304 has no body, and a length would be taken for the kept body's.
    if (status != 304)
        bytes.append("Content-Length: ").append(QByteArray::number(body.size())).append("\r\n");
    bytes.append("\r\n");
    if (!head)
        bytes.append(body);
    return bytes;
}

bool HttpAnswer::holdFor(ConnectionBook &book, const QHostAddress &client)
{
    if (!book.admitRequest(client))
        return false;
    m_held = std::shared_ptr<void>(nullptr, [&book, client](void *) { book.releaseRequest(client); });
    return true;
}

void HttpAnswer::send(int status, const Headers &headers, const QByteArray &body) const
{
    sendComposed(compose(status, headers, body, m_head));
}

void HttpAnswer::sendComposed(const QByteArray &whole) const
{
    if (!m_socket)
        return;
    if (m_guard)
        m_guard->answer(m_place, whole);
    else
        m_socket->write(whole);
}

void HttpAnswer::text(int status, const QByteArray &words, const Headers &extra) const
{
    Headers headers{{"Content-Type", "text/plain; charset=utf-8"}, {"Cache-Control", "no-store"}};
    send(status, headers + extra, words + '\n');
}
