#include "connectionguard.h"

#include <QTcpSocket>

bool ConnectionBook::admit(const QHostAddress &client)
{
    if (m_open >= m_limits.maxConnections || m_perAddress.value(client) >= m_limits.maxPerAddress)
        return false;
    ++m_open;
    ++m_perAddress[client];
    return true;
}

void ConnectionBook::release(const QHostAddress &client)
{
    --m_open;
    if (--m_perAddress[client] <= 0)
        m_perAddress.remove(client);
}

ConnectionGuard::ConnectionGuard(QTcpSocket *socket, ConnectionBook &book)
    : QObject(socket), m_socket(socket), m_book(book), m_client(socket->peerAddress()),
      m_head(book.limits().maxHeaders)
{
    setObjectName(QStringLiteral("connectionguard"));
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_socket->abort();
        m_socket->deleteLater();
    });
    m_deadline.start(m_book.limits().requestMs);
    // Connected before the HTTP server's own handler, so this sees each
    // piece of a request before the server reads it.
    connect(socket, &QTcpSocket::readyRead, this, &ConnectionGuard::onReadable);
}

ConnectionGuard::~ConnectionGuard()
{
    m_book.release(m_client);
}

ConnectionGuard *ConnectionGuard::of(QTcpSocket *socket)
{
    return socket ? socket->findChild<ConnectionGuard *>(QStringLiteral("connectionguard"), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void ConnectionGuard::onReadable()
{
    if (m_handling || m_refused)
        return;
    const QByteArray fresh = m_socket->peek(m_socket->bytesAvailable());
    m_requestBytes += fresh.size();
    // Too big to be any address the program composes.
    if (m_requestBytes > m_book.limits().maxRequestBytes)
        return refuse("431 Request Header Fields Too Large");
    switch (m_head.feed(fresh)) {
    case RequestHeadCheck::Verdict::Fine: return;
    case RequestHeadCheck::Verdict::Malformed: return refuse("400 Bad Request");
    case RequestHeadCheck::Verdict::TooManyHeaders: return refuse("431 Request Header Fields Too Large");
    }
}

// A fixed refusal, and the connection ends before the HTTP server reads any of the request.
void ConnectionGuard::refuse(const QByteArray &status)
{
    m_refused = true;
    QObject::disconnect(m_socket, &QTcpSocket::readyRead, nullptr, nullptr);
    m_socket->write("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\n"
                    "X-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n");
    m_socket->disconnectFromHost();
    m_deadline.start(1'000);
}

void ConnectionGuard::requestArrived()
{
    m_handling = true;
    m_deadline.start(m_book.limits().answerMs);
}

void ConnectionGuard::answered()
{
    m_handling = false;
    m_requestBytes = 0;
    m_head.restart();
    m_deadline.start(m_book.limits().requestMs);
}

namespace {

bool isTokenChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
           || (c != 0 && QByteArray("!#$%&'*+-.^_`|~").contains(c));
}

} // namespace

RequestHeadCheck::Verdict RequestHeadCheck::feed(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (const Verdict verdict = step(c); verdict != Verdict::Fine)
            return verdict;
    return Verdict::Fine;
}

void RequestHeadCheck::restart()
{
    m_state = State::Method;
    m_length = m_headers = 0;
    m_word.clear();
    m_hasBody = false;
}

RequestHeadCheck::Verdict RequestHeadCheck::step(char c)
{
    constexpr Verdict bad = Verdict::Malformed;
    const auto u = static_cast<unsigned char>(c);
    switch (m_state) {
    case State::Method:
        if (c == ' ' && m_length > 0)
            return m_length = 0, m_state = State::Target, Verdict::Fine;
        return isTokenChar(c) && ++m_length <= 16 ? Verdict::Fine : bad;
    case State::Target:
        if (c == ' ' && m_length > 0)
            return m_word.clear(), m_state = State::Version, Verdict::Fine;
        return u > 0x20 && u < 0x7f ? (++m_length, Verdict::Fine) : bad;
    case State::Version:
        if (c == '\r' || c == '\n') {
            if (m_word != "HTTP/1.1" && m_word != "HTTP/1.0")
                return bad;
            m_state = c == '\r' ? State::LineEnd : State::HeaderStart;
            return Verdict::Fine;
        }
        m_word += c;
        return m_word.size() <= 8 ? Verdict::Fine : bad;
    case State::LineEnd:
    case State::ValueEnd:
        return c == '\n' ? (m_state = State::HeaderStart, Verdict::Fine) : bad;
    case State::HeaderStart:
        if (c == '\r')
            return m_state = State::HeadEnd, Verdict::Fine;
        if (c == '\n') {
            m_state = m_hasBody ? State::Body : State::Method;
            m_length = m_headers = 0;
            return Verdict::Fine;
        }
        if (!isTokenChar(c))
            return bad;
        if (++m_headers > m_maxHeaders)
            return Verdict::TooManyHeaders;
        m_word = QByteArray(1, c);
        m_state = State::Name;
        return Verdict::Fine;
    case State::Name:
        if (c == ':') {
            const QByteArray name = m_word.toLower();
            m_hasBody = m_hasBody || name == "content-length" || name == "transfer-encoding";
            return m_state = State::Value, Verdict::Fine;
        }
        if (!isTokenChar(c))
            return bad;
        if (m_word.size() < 32)
            m_word += c;
        return Verdict::Fine;
    case State::Value:
        if (c == '\r')
            return m_state = State::ValueEnd, Verdict::Fine;
        if (c == '\n')
            return m_state = State::HeaderStart, Verdict::Fine;
        return c == '\t' || u >= 0x20 ? (u == 0x7f ? bad : Verdict::Fine) : bad;
    case State::HeadEnd:
        if (c != '\n')
            return bad;
        m_state = m_hasBody ? State::Body : State::Method;
        m_length = m_headers = 0;
        return Verdict::Fine;
    case State::Body:
        return Verdict::Fine; // until the answer, which restarts the check
    }
    return Verdict::Fine;
}
