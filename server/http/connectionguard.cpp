#include "http/connectionguard.h"

#include "http/connectionbook.h"

#include <QTcpSocket>

ConnectionGuard::ConnectionGuard(QTcpSocket *socket, ConnectionBook &book)
    : QObject(socket), m_socket(socket), m_book(book), m_client(socket->peerAddress()),
      m_head(book.limits().maxHeaders, book.limits().maxRequestBytes)
{
    setObjectName(QStringLiteral("connectionguard"));
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ConnectionGuard::onDeadline);
    setDeadline(m_book.limits().requestMs);
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
    if (m_refused)
        return;
    switch (m_head.feed(m_socket->peek(m_socket->bytesAvailable()))) {
    case RequestHeadCheck::Verdict::Fine: return;
    case RequestHeadCheck::Verdict::Malformed: return refuse("400 Bad Request");
    case RequestHeadCheck::Verdict::TooManyHeaders:
    case RequestHeadCheck::Verdict::TooLarge: return refuse("431 Request Header Fields Too Large");
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
    setDeadline(m_book.limits().refusalLingerMs);
}

quint64 ConnectionGuard::requestArrived()
{
    const quint64 place = m_nextPlace++;
    restartDeadline();
    return place;
}

void ConnectionGuard::answer(quint64 place, const QByteArray &bytes)
{
    if (m_refused)
        return;
    if (place != m_nextToWrite) {
        // Behind one that still waits. A client that piles up more than
        // this has no use for the answers: the connection ends.
        if (m_readyEarly.size() >= m_book.limits().maxWaitingAnswers)
            return refuse("429 Too Many Requests");
        m_readyEarly.insert(place, bytes);
        return;
    }
    m_socket->write(bytes);
    m_head.answered();
    ++m_nextToWrite;
    for (auto next = m_readyEarly.find(m_nextToWrite); next != m_readyEarly.end();
         next = m_readyEarly.find(m_nextToWrite)) {
        m_socket->write(next.value());
        m_head.answered();
        m_readyEarly.erase(next);
        ++m_nextToWrite;
    }
    restartDeadline();
}

// While a request is in the handler's hands the connection has the
// handler's time; then the client has the request time for its next one.
void ConnectionGuard::restartDeadline()
{
    const bool waiting = m_nextToWrite != m_nextPlace;
    setDeadline(waiting ? m_book.handlerAbortMs() : m_book.limits().requestMs);
}

void ConnectionGuard::setDeadline(int ms)
{
    m_until.setRemainingTime(ms);
    if (!m_deadline.isActive() || m_deadline.remainingTime() > ms)
        m_deadline.start(ms);
}

void ConnectionGuard::onDeadline()
{
    if (!m_until.hasExpired())
        return m_deadline.start(int(m_until.remainingTime()));
    m_socket->abort();
    m_socket->deleteLater();
}
